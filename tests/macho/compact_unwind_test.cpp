// Reading __unwind_info and turning its compact encodings into DWARF frame data: the table's two
// page kinds, and each x86_64 encoding's saved-register layout, worked out from the pushes a
// function makes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "testhost/macho/MachOUnwind.h"
#include "testhost/loader/PluginModule.h"

namespace {

using testhost::ByteReader;
using testhost::macho::UnwindFunction;
using Data = std::vector<std::uint8_t>;
constexpr std::uint32_t kX86_64 = 0x01000007;
constexpr std::uint32_t kArm64 = 0x0100000C;

void Put32(Data& d, std::size_t at, std::uint32_t v) {
  if (d.size() < at + 4) d.resize(at + 4);
  std::memcpy(d.data() + at, &v, 4);
}
void Put16(Data& d, std::size_t at, std::uint16_t v) {
  if (d.size() < at + 2) d.resize(at + 2);
  std::memcpy(d.data() + at, &v, 2);
}

// Functions at 0x1000 (common encoding), 0x1040 (page encoding, with LSDA and personality 1) in a
// compressed page, 0x1080 in a regular page; the table ends at 0x1100.
Data UnwindSection() {
  Data d;
  Put32(d, 0, 1);     // version
  Put32(d, 4, 0x1C);  // common encodings
  Put32(d, 8, 1);
  Put32(d, 12, 0x20);  // personalities
  Put32(d, 16, 1);
  Put32(d, 20, 0x24);  // index
  Put32(d, 24, 3);
  Put32(d, 0x1C, 0x01000000);
  Put32(d, 0x20, 0x3000);  // the personality's pointer slot
  // Index: page, page, closing entry; LSDA index from 0x48 to 0x50.
  Put32(d, 0x24, 0x1000), Put32(d, 0x28, 0x60), Put32(d, 0x2C, 0x48);
  Put32(d, 0x30, 0x1080), Put32(d, 0x34, 0x80), Put32(d, 0x38, 0x50);
  Put32(d, 0x3C, 0x1100), Put32(d, 0x40, 0), Put32(d, 0x44, 0x50);
  Put32(d, 0x48, 0x1040), Put32(d, 0x4C, 0x2000);
  // Compressed page: two entries, one page encoding.
  Put32(d, 0x60, 3), Put16(d, 0x64, 12), Put16(d, 0x66, 2), Put16(d, 0x68, 20), Put16(d, 0x6A, 1);
  Put32(d, 0x6C, 0x000000);    // +0x00, common encoding 0
  Put32(d, 0x70, 0x01000040);  // +0x40, encoding 1: the page's first
  Put32(d, 0x74, 0x51010001);
  // Regular page: one entry.
  Put32(d, 0x80, 2), Put16(d, 0x84, 8), Put16(d, 0x86, 1);
  Put32(d, 0x88, 0x1080), Put32(d, 0x8C, 0x02030000);
  return d;
}

TEST(CompactUnwind, ReadsCompressedAndRegularPagesWithLsdaAndPersonality) {
  const Data section = UnwindSection();
  const std::vector<UnwindFunction> f =
      testhost::macho::ReadCompactUnwind(ByteReader(section.data(), section.size()));
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0].start, 0x1000u);
  EXPECT_EQ(f[0].end, 0x1040u);
  EXPECT_EQ(f[0].encoding, 0x01000000u);
  EXPECT_EQ(f[0].lsda, 0u);
  EXPECT_EQ(f[0].personalitySlot, 0u);
  EXPECT_EQ(f[1].start, 0x1040u);
  EXPECT_EQ(f[1].end, 0x1080u);
  EXPECT_EQ(f[1].encoding, 0x51010001u);
  EXPECT_EQ(f[1].lsda, 0x2000u);
  EXPECT_EQ(f[1].personalitySlot, 0x3000u);
  EXPECT_EQ(f[2].start, 0x1080u);
  EXPECT_EQ(f[2].end, 0x1100u);
  EXPECT_EQ(f[2].encoding, 0x02030000u);
}

TEST(CompactUnwind, RefusesReferencesOutsideTheTable) {
  const struct {
    std::size_t at;
    std::uint32_t value;
    const char* message;
  } cases[] = {
      {0, 2, "unknown version 2"},
      {0x28, 0xFFF0, "ends before the end of the unwind information's page"},
      {0x60, 7, "is of unknown kind 7"},
      {0x70, 0x05000040, "names encoding 5, which it does not hold"},
      {0x74, 0x61010001, "names personality 2 of 1"},
      {0x48, 0x1044, "an LSDA it does not list"},
      {0x44, 0x4C, "malformed LSDA index"},
  };
  for (const auto& c : cases) {
    Data section = UnwindSection();
    Put32(section, c.at, c.value);
    try {
      testhost::macho::ReadCompactUnwind(ByteReader(section.data(), section.size()));
      ADD_FAILURE() << c.message << ": read";
    } catch (const testhost::MachOError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// The call-frame instructions of the one FDE for a function at 0x100 without personality: after
// the CIE come length, CIE pointer, start, size and an empty augmentation.
Data Instructions(std::uint32_t encoding, const Data& image = Data(0x400, 0),
                  std::uint32_t cpuType = kX86_64) {
  const Data eh = testhost::macho::BuildEhFrame({{0x100, 0x140, encoding, 0, 0}},
                                                ByteReader(image.data(), image.size()), cpuType);
  std::uint32_t cieLength, fdeLength;
  std::memcpy(&cieLength, eh.data(), 4);
  const std::size_t fde = 4 + cieLength, instructions = fde + 4 + 4 + 8 + 8 + 1;
  std::memcpy(&fdeLength, eh.data() + fde, 4);
  Data out(eh.begin() + static_cast<std::ptrdiff_t>(instructions),
           eh.begin() + static_cast<std::ptrdiff_t>(fde + 4 + fdeLength));
  while (!out.empty() && out.back() == 0) out.pop_back();  // padding
  return out;
}

TEST(CompactUnwind, RbpFrameSavesTheRegistersBelowTheFramePointer) {
  // push rbp; mov rbp, rsp; push r15; push r14; push r12; push rbx: rbx lowest, at rbp - 32.
  const Data cfi = Instructions(0x01040B11);
  const Data expected = {0x0C, 6, 16,  // CFA = rbp + 16
                         0x86, 2,      // rbp at CFA - 16
                         0x83, 6,      // rbx at CFA - 48
                         0x8C, 5,      // r12 at CFA - 40
                         0x8E, 4,      // r14
                         0x8F, 3};     // r15 at CFA - 24
  EXPECT_EQ(cfi, expected);
}

TEST(CompactUnwind, FramelessFunctionsPushedRegistersFollowThePermutation) {
  // push r14; push r12; push rbx; sub rsp, 16: 48 bytes with the return address; rbx pushed last.
  // Register numbers among those unused: rbx 0, r12 0, r14 1 → 0·20 + 0·4 + 1.
  const Data expected = {0x0E, 48, 0x83, 4, 0x8C, 3, 0x8E, 2};
  EXPECT_EQ(Instructions(0x02060000 | 3 << 10 | 1), expected);
  // The same with the size in the function's own sub instruction (immediate at +0x10), adjusted
  // by the 3 pushes.
  Data image(0x400, 0);
  const std::uint32_t immediate = 24;
  std::memcpy(image.data() + 0x110, &immediate, 4);
  EXPECT_EQ(Instructions(0x03100000 | 3 << 13 | 3 << 10 | 1, image), expected);
  // No saved registers: only the stack size.
  EXPECT_EQ(Instructions(0x02010000), (Data{0x0E, 8}));
}

TEST(CompactUnwind, Arm64FramesSaveTheirPairsBelowTheFrameRecord) {
  // stp x20, x19, [sp, #-32]!; stp x29, x30, [sp, #16]; add x29, sp, #16: x19 at fp - 8.
  const Data pairs = {0x0C, 29, 16, 0x9E, 1, 0x9D, 2, 0x93, 3, 0x94, 4};
  EXPECT_EQ(Instructions(0x04000001, Data(0x400, 0), kArm64), pairs);
  // d8/d9 come after the integer pairs, written in the extended form (registers 72 and 73).
  const Data withFloat = {0x0C, 29, 16,   0x9E, 1, 0x9D, 2,  0x93, 3,
                          0x94, 4,  0x05, 72,   5, 0x05, 73, 6};
  EXPECT_EQ(Instructions(0x04000101, Data(0x400, 0), kArm64), withFloat);
  // Frameless: 48 bytes of stack, the return address in lr.
  EXPECT_EQ(Instructions(0x02003000, Data(0x400, 0), kArm64), (Data{0x0E, 48}));
  for (const std::uint32_t untranslatable : {0x02003001u, 0x03000000u, 0x01000000u}) {
    EXPECT_THROW(Instructions(untranslatable, Data(0x400, 0), kArm64), testhost::MachOError);
  }
}

TEST(CompactUnwind, EncodingsThatCannotBeTranslatedAreRefused) {
  for (const std::uint32_t encoding : {0x04000000u, 0x05000000u, 0x01000007u, 0x02010000u | 6 << 10,
                                       0x02060000u | 2 << 10 | 1023u}) {
    EXPECT_THROW(Instructions(encoding), testhost::MachOError) << std::hex << encoding;
  }
}

}  // namespace
