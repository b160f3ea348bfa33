// The stand-in host's reading of property lists refuses what the host could not read.
#include "ExpectedPropertyLists.h"

#include "testhost/registration/PiPL.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testhost::PiplFormat;
using namespace std::string_literals;

struct Damage {
  const char* what;
  PiplFormat format;
  std::string list;
};

std::string Windows() { return expected::kLists[0].windows; }
std::string Mac() { return expected::kLists[0].mac; }

// Offsets into the Transform Control lists. Windows: first property at 10, the name's header at
// 30 (its length at 42) and value at 46, the entry point's key at 102 and value at 114. macOS: first property at
// 8, the name's key at 32, `mi64` at 96 and `ma64` at 132 (its entry point's "2d" at 164).
std::string Patched(std::string list, std::size_t at, const std::string& bytes) {
  return list.replace(at, bytes.size(), bytes);
}

// The Windows list with a `wa64` property naming `function` appended (17 characters and the
// terminator, padded to 20) and the count raised to 13.
std::string WithArm64EntryPoint(const std::string& function) {
  return Patched(Windows(), 6, "\x0d"s) + "MIB8" "46aw" "\0\0\0\0" "\x14\0\0\0"s + function +
         std::string(20 - function.size(), '\0');
}

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.what; }

// "cut inside the last value" -> "CutInsideTheLastValue"
std::string TestName(const testing::TestParamInfo<Damage>& info) {
  std::string name;
  bool upper = true;
  for (const char c : std::string(info.param.what)) {
    if (!std::isalnum(static_cast<unsigned char>(c))) {
      upper = true;
    } else {
      name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
      upper = false;
    }
  }
  return name;
}

class DamagedList : public testing::TestWithParam<Damage> {};

TEST_P(DamagedList, IsRefused) {
  const Damage& damage = GetParam();
  EXPECT_THROW(
      testhost::ReadRegistration(damage.list.data(), damage.list.size(), damage.format),
      testhost::PiplError)
      << damage.what;
}


INSTANTIATE_TEST_SUITE_P(
    Lists, DamagedList,
    testing::Values(
        Damage{"empty", PiplFormat::kWindows, ""},
        Damage{"leading word 0", PiplFormat::kWindows, Patched(Windows(), 0, "\0\0"s)},
        Damage{"a macOS list read as a Windows one", PiplFormat::kWindows, Mac()},
        Damage{"a Windows list read as a macOS one", PiplFormat::kMac, Windows()},
        Damage{"cut inside the last value", PiplFormat::kWindows, Windows().substr(0, 316)},
        Damage{"cut inside a property header", PiplFormat::kMac, Mac().substr(0, 20)},
        Damage{"one byte too many", PiplFormat::kMac, Mac() + "\0"s},
        Damage{"count one too high", PiplFormat::kWindows, Patched(Windows(), 6, "\x0d"s)},
        Damage{"count one too low", PiplFormat::kWindows, Patched(Windows(), 6, "\x0b"s)},
        Damage{"value length beyond the end", PiplFormat::kWindows,
               Patched(Windows(), 42, "\xff\xff\xff\x7f"s)},
        Damage{"non-zero byte after the name's characters", PiplFormat::kWindows,
               Patched(Windows(), 64, "\x01"s)},
        Damage{"name length byte beyond its value", PiplFormat::kWindows,
               Patched(Windows(), 46, "\x14"s)},
        Damage{"entry point without its terminating zero", PiplFormat::kWindows,
               Patched(Windows(), 114, "EntryPointFunc_2dXYZ"s)},
        Damage{"vendor other than 8BIM", PiplFormat::kMac, Patched(Mac(), 8, "8BIN"s)},
        Damage{"kind stored twice, name missing", PiplFormat::kMac, Patched(Mac(), 32, "kind"s)},
        Damage{"ma64 naming another function than mi64", PiplFormat::kMac,
               Patched(Mac(), 164, "3d"s)},
        Damage{"no entry point under 8664 or wa64", PiplFormat::kWindows,
               Patched(Windows(), 102, "4668"s.replace(0, 1, "X"))},
        Damage{"wa64 naming another function than 8664", PiplFormat::kWindows,
               WithArm64EntryPoint("EntryPointFunc_3d")}),
    TestName);

TEST(WindowsList, NamesItsEntryPointForTheArchitectureOfItsKey) {
  const struct {
    const char* what;
    std::string list;
    std::vector<std::string> architectures;
  } lists[] = {
      {"8664 alone, as in the x64 file", Windows(), {"x86_64"}},
      {"wa64 alone, as in the ARM64 file", Patched(Windows(), 102, "46aw"s), {"arm64"}},
      {"both naming one function", WithArm64EntryPoint("EntryPointFunc_2d"), {"x86_64", "arm64"}},
  };
  for (const auto& list : lists) {
    SCOPED_TRACE(list.what);
    const testhost::EffectRegistration read =
        testhost::ReadRegistration(list.list.data(), list.list.size(), PiplFormat::kWindows);
    EXPECT_EQ(read.entryPoint, "EntryPointFunc_2d");
    EXPECT_EQ(read.architectures, list.architectures);
  }
}

TEST(MacList, WithoutMa64NamesTheEntryPointForIntelOnly) {
  // An Intel-only list: the 36 bytes of `ma64` taken out and the count lowered to 12.
  const std::string intelOnly = Patched(Mac(), 4, "\0\0\0\x0c"s).erase(132, 36);
  const testhost::EffectRegistration read =
      testhost::ReadRegistration(intelOnly.data(), intelOnly.size(), PiplFormat::kMac);
  EXPECT_EQ(read.entryPoint, "EntryPointFunc_2d");
  EXPECT_EQ(read.architectures, std::vector<std::string>{"x86_64"});
}

TEST(ResourceFileReading, RefusesOffsetsOutsideTheFile) {
  std::vector<std::uint8_t> header(16, 0);
  header[2] = 1;  // data at 256 in a file of 16 bytes
  EXPECT_THROW(testhost::ReadResourceFile(header, 0x5069504C), testhost::PiplError);
  EXPECT_THROW(testhost::ReadResourceFile({}, 0x5069504C), testhost::PiplError);
}

}  // namespace
