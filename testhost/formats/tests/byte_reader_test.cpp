// The bounds of the one reader every format is read through: reads that end exactly at the end
// succeed, one byte more fails naming the part, and offsets near 2^64 cannot wrap into range.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "testhost/formats/ByteReader.h"

namespace {

using testhost::ByteCursor;
using testhost::ByteOrder;
using testhost::ByteReader;
using testhost::FormatError;
using testhost::OutOfBounds;

constexpr std::uint64_t kHuge = std::numeric_limits<std::uint64_t>::max();

const std::vector<std::uint8_t> kEight = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};

// The message of the OutOfBounds that `read` throws, or "" when it throws none.
template <typename Read>
std::string Outside(Read read) {
  try {
    read();
  } catch (const OutOfBounds& e) {
    return e.what();
  }
  return "";
}

TEST(ByteReader, ReadsFieldsInEitherOrderUpToTheLastByte) {
  const ByteReader bytes(kEight);
  EXPECT_EQ(bytes.le32(4, "x"), 0x08070605u);
  EXPECT_EQ(bytes.be32(4, "x"), 0x05060708u);
  EXPECT_EQ(bytes.le16(6, "x"), 0x0807u);
  EXPECT_EQ(bytes.u8(7, "x"), 0x08u);
  EXPECT_EQ(bytes.be64(0, "x"), 0x0102030405060708u);
  EXPECT_EQ(bytes.number(5, 3, ByteOrder::kBig, "x"), 0x060708u);
  EXPECT_EQ(bytes.record<std::uint16_t>(6, "x"), bytes.le16(6, "x"));  // both machines little
  EXPECT_NO_THROW(bytes.require(8, 0, "nothing at the end"));
  EXPECT_EQ(bytes.copy(6, 2, "x"), (std::vector<std::uint8_t>{7, 8}));
}

TEST(ByteReader, AReadPastTheEndNamesItsPartAndRange) {
  const ByteReader bytes(kEight, "the list");
  try {
    bytes.le32(5, "the header");
    FAIL() << "read past the end";
  } catch (const OutOfBounds& e) {
    EXPECT_STREQ(e.what(), "the list ends before the end of the header");
    EXPECT_EQ(e.part(), "the header");
    EXPECT_EQ(e.offset(), 5u);
    EXPECT_EQ(e.count(), 4u);
    EXPECT_EQ(e.size(), 8u);
  }
  EXPECT_NE(Outside([&] { bytes.u8(8, "x"); }), "");
  EXPECT_NE(Outside([&] { bytes.be64(1, "x"); }), "");
  EXPECT_NE(Outside([&] { bytes.record<std::uint64_t>(1, "x"); }), "");
  EXPECT_NE(Outside([&] { bytes.require(9, 0, "x"); }), "");
  EXPECT_NE(Outside([&] { bytes.copy(4, 5, "x"); }), "");
}

TEST(ByteReader, OffsetsAndLengthsThatWouldOverflowAreOutside) {
  const ByteReader bytes(kEight);
  EXPECT_FALSE(bytes.holds(kHuge, 2));
  EXPECT_FALSE(bytes.holds(2, kHuge));
  EXPECT_FALSE(bytes.holds(kHuge - 1, 4));
  EXPECT_NE(Outside([&] { bytes.le32(kHuge - 1, "x"); }), "");
  EXPECT_NE(Outside([&] { bytes.window(4, kHuge - 2, "x"); }), "");
}

TEST(ByteReader, AWindowHasItsOwnOffsetsAndKeepsItsParentsName) {
  const ByteReader window = ByteReader(kEight).window(2, 4, "the middle");
  EXPECT_EQ(window.size(), 4u);
  EXPECT_EQ(window.u8(0, "x"), 0x03);
  EXPECT_EQ(Outside([&] { window.u8(4, "the fifth byte"); }),
            "the file ends before the end of the fifth byte");
  EXPECT_NE(Outside([&] { ByteReader(kEight).window(6, 3, "x"); }), "");
}

TEST(ByteReader, TextEndsAtItsZeroWithinItsLimitAndTheBytes) {
  const std::vector<std::uint8_t> text = {'a', 'b', 0, 'c', 'd', 3, 'x', 'y', 'z', 9};
  const ByteReader bytes(text);
  EXPECT_EQ(bytes.text(0, 2, "a name"), "ab");
  EXPECT_EQ(bytes.text(2, 0, "a name"), "");
  EXPECT_THROW(bytes.text(0, 1, "a name"), FormatError);  // longer than its limit
  try {
    bytes.text(3, 100, "a name");  // no zero before the end
    FAIL() << "unterminated text read";
  } catch (const FormatError& e) {
    EXPECT_STREQ(e.what(), "a name is not terminated");
  }
  EXPECT_NE(Outside([&] { bytes.text(10, 4, "x"); }), "");
  EXPECT_EQ(bytes.lengthPrefixedText(5, "a name"), "xyz");
  EXPECT_NE(Outside([&] { bytes.lengthPrefixedText(9, "x"); }), "");  // 9 characters, 0 there
}

TEST(ByteCursor, ReadsNumbersAndNamesAndRefusesOnesCutShort) {
  const std::vector<std::uint8_t> stream = {0xE5, 0x8E, 0x26, 0x7F, 'o', 'k', 0, 'n', 'o'};
  ByteCursor in(ByteReader(stream), "the stream");
  EXPECT_EQ(in.uleb(), 624485u);
  EXPECT_EQ(in.sleb(), -1);
  EXPECT_EQ(in.cstring(), "ok");
  try {
    in.cstring();
    FAIL() << "unterminated name read";
  } catch (const FormatError& e) {
    EXPECT_STREQ(e.what(), "the stream holds a name without its terminating zero");
  }
  ByteCursor cut(ByteReader(stream.data(), 2), "the stream");
  EXPECT_THROW(cut.uleb(), FormatError);  // both bytes continue the number
  const std::vector<std::uint8_t> tooLong(11, 0xFF);
  ByteCursor wide(ByteReader(tooLong), "the stream");
  EXPECT_THROW(wide.uleb(), FormatError);
  ByteCursor past(ByteReader(stream), "the stream", stream.size() + 4);
  EXPECT_TRUE(past.atEnd());
  EXPECT_THROW(past.cstring(), FormatError);
}

}  // namespace
