// The loader runs macOS code: the tiny bundle of tiny_bundle.cpp (kept as the fuzzing seed) copies
// bytes through its import of memcpy, and throws and catches an exception inside its own code,
// which the unwinder can do only through the frame data translated from its compact unwind.
#include <gtest/gtest.h>

#include <string>

#include "testhost/formats/MachO.h"
#include "testhost/macho/MachOImage.h"

namespace {

using TinyEntry = int (*)(int cmd, char* out, const char* in);

TEST(TinyBundle, CallsItsImportsAndCatchesWhatItThrows) {
  const testhost::MachOImage image(testhost::ReadMachOFile(ZELFIN_TINY_BUNDLE));
  const auto entry = reinterpret_cast<TinyEntry>(image.find("EntryPointFunc_tiny"));
  ASSERT_NE(entry, nullptr);
  char out[8] = {};
  EXPECT_EQ(entry(3, out, "abcdef"), 0);
  EXPECT_EQ(std::string(out), "abc");
  EXPECT_EQ(entry(-5, out, "xyz"), -5);  // copies 3 bytes, then throws -5
}

// Each load registers its frame data and each unload deregisters it: the unwinder aborts on a
// deregistration it cannot match, and finds stale frames if one is missed.
TEST(TinyBundle, LoadsAgainAndAgainWithItsExceptionsWorkingEachTime) {
  const std::vector<std::uint8_t> file = testhost::ReadMachOFile(ZELFIN_TINY_BUNDLE);
  for (int i = 0; i < 50; ++i) {
    const testhost::MachOImage image(file);
    const auto entry = reinterpret_cast<TinyEntry>(image.find("EntryPointFunc_tiny"));
    char out[8] = {};
    const char in[8] = {};  // the code copies (cmd & 7) bytes before it throws
    ASSERT_EQ(entry(-1 - i, out, in), -1 - i);
  }
}

}  // namespace
