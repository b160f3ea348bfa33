// The generated property lists against the lists written out by hand, and the layout rules they
// follow, read back through the stand-in host's parser.
#include "ExpectedPropertyLists.h"

#include "PropertyList.h"
#include "ZelfinEffects.h"
#include "testhost/registration/PiPL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using zelfin::ResourcePlatform;
using testhost::PiplFormat;

std::string Generated(int effect, ResourcePlatform platform) {
  const std::vector<std::uint8_t> list = zelfin::BuildPropertyList(zelfin::kEffects[effect], platform);
  return std::string(list.begin(), list.end());
}

// Shows the first differing byte instead of two long binary strings.
testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
    if (expected[i] != actual[i]) {
      return testing::AssertionFailure()
             << "first difference at offset " << i << ": expected 0x" << std::hex
             << (expected[i] & 0xff) << ", got 0x" << (actual[i] & 0xff);
    }
  }
  if (expected.size() != actual.size()) {
    return testing::AssertionFailure() << "expected " << expected.size() << " bytes, got "
                                       << actual.size();
  }
  return testing::AssertionSuccess();
}

class PropertyListOfEffect : public testing::TestWithParam<int> {};

TEST_P(PropertyListOfEffect, MatchesTheWrittenOutBytesOnBothPlatforms) {
  const expected::Lists& lists = expected::kLists[GetParam()];
  ASSERT_STREQ(lists.effect, zelfin::kEffects[GetParam()].name);
  EXPECT_TRUE(SameBytes(lists.windows, Generated(GetParam(), ResourcePlatform::kWindows)));
  EXPECT_TRUE(SameBytes(lists.mac, Generated(GetParam(), ResourcePlatform::kMac)));
}

TEST_P(PropertyListOfEffect, TheArm64ListIsTheX64ListButForTheEntryPointKey) {
  std::string arm64 = Generated(GetParam(), ResourcePlatform::kWindowsArm64);
  const std::string x64 = Generated(GetParam(), ResourcePlatform::kWindows);
  // '8BIM' 'wa64' little-endian, where the x64 list has '8BIM' '8664'.
  const std::size_t key = arm64.find("MIB846aw");
  ASSERT_NE(key, std::string::npos);
  EXPECT_EQ(arm64.find("4668"), std::string::npos);
  EXPECT_TRUE(SameBytes(arm64.replace(key, 8, "MIB84668"), x64));
}

TEST_P(PropertyListOfEffect, ReadsBackAsTheDescriptionOnBothPlatforms) {
  const zelfin::EffectDescription& effect = zelfin::kEffects[GetParam()];
  // Each Windows file holds the code of one architecture; the macOS code file holds an Intel
  // and an arm64 slice.
  const struct {
    ResourcePlatform platform;
    PiplFormat format;
    std::vector<std::string> architectures;
  } platforms[] = {{ResourcePlatform::kWindows, PiplFormat::kWindows, {"x86_64"}},
                   {ResourcePlatform::kWindowsArm64, PiplFormat::kWindows, {"arm64"}},
                   {ResourcePlatform::kMac, PiplFormat::kMac, {"x86_64", "arm64"}}};
  for (const auto& [platform, format, architectures] : platforms) {
    const std::string list = Generated(GetParam(), platform);
    const testhost::EffectRegistration read =
        testhost::ReadRegistration(list.data(), list.size(), format);
    EXPECT_EQ(read.kind, PF_FourCharCode("eFKT"));
    EXPECT_EQ(read.name, effect.name);
    EXPECT_EQ(read.category, "ZelfinControls");
    EXPECT_EQ(read.entryPoint, effect.entryPoint);
    EXPECT_EQ(read.architectures, architectures);
    EXPECT_EQ(read.propertyListVersion.major, 2);
    EXPECT_EQ(read.propertyListVersion.minor, 0);
    EXPECT_EQ(read.apiVersion.major, 13);
    EXPECT_EQ(read.apiVersion.minor, 1);
    EXPECT_EQ(read.version, 0x00088601u);
    EXPECT_EQ(read.infoFlags, 0);
    EXPECT_EQ(read.outFlags, effect.outFlags);
    EXPECT_EQ(read.outFlags2, effect.outFlags2);
    EXPECT_EQ(read.matchName, effect.matchName);
    EXPECT_EQ(read.reservedInfo, 8u);
  }
}

INSTANTIATE_TEST_SUITE_P(AllEffects, PropertyListOfEffect, testing::Range(0, int{zelfin::kEffectCount}),
                         [](const testing::TestParamInfo<int>& info) {
                           std::string name = zelfin::kEffects[info.param].name;
                           name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                           return name;
                         });

TEST(PropertyListLayout, HasTheLengthOfItsPaddedProperties) {
  const std::size_t windowsLengths[] = {318, 322, 314, 314, 310};
  // The same twelve without the leading word (`mi64` pads to the length of `8664`), and `ma64`
  // again as long as `mi64`: 36 bytes for the 17-character names, 40 for the others.
  const std::size_t macLengths[] = {352, 356, 352, 352, 348};
  for (int effect = 0; effect < zelfin::kEffectCount; ++effect) {
    SCOPED_TRACE(zelfin::kEffects[effect].name);
    EXPECT_EQ(Generated(effect, ResourcePlatform::kWindows).size(), windowsLengths[effect]);
    EXPECT_EQ(Generated(effect, ResourcePlatform::kMac).size(), macLengths[effect]);
  }
}

TEST(PropertyListLayout, FirstPropertyFollowsTheCountWithoutPadding) {
  const std::string windows = Generated(zelfin::kTransformControl2D, ResourcePlatform::kWindows);
  const std::string mac = Generated(zelfin::kTransformControl2D, ResourcePlatform::kMac);
  const testhost::PropertyList windowsList =
      testhost::ParsePropertyList(windows.data(), windows.size(), PiplFormat::kWindows);
  const testhost::PropertyList macList =
      testhost::ParsePropertyList(mac.data(), mac.size(), PiplFormat::kMac);
  ASSERT_EQ(windowsList.properties.size(), 12u);
  ASSERT_EQ(macList.properties.size(), 13u);
  EXPECT_EQ(windowsList.properties[0].offset, 10u);
  EXPECT_EQ(macList.properties[0].offset, 8u);
  EXPECT_EQ(windows.substr(10, 4), "MIB8");
  // Padding runs from each value's start: "Transform Control" takes 18 bytes, padded to 20, so
  // `catg` starts 10 + 20 (kind) + 36 (name) bytes in, still two bytes off a multiple of 4.
  EXPECT_EQ(windowsList.properties[2].offset, 66u);
  EXPECT_EQ(windowsList.properties[2].key, PF_FourCharCode("catg"));
}

TEST(PropertyListLayout, MatchNameThatFillsItsLengthGetsNoPadding) {
  const std::string list = Generated(zelfin::kTransformControl3D, ResourcePlatform::kWindows);
  const testhost::PropertyList parsed =
      testhost::ParsePropertyList(list.data(), list.size(), PiplFormat::kWindows);
  const testhost::PiplProperty& matchName = parsed.properties[10];
  const testhost::PiplProperty& reserved = parsed.properties[11];
  ASSERT_EQ(matchName.key, PF_FourCharCode("eMNA"));
  EXPECT_EQ(matchName.length, 28u);
  EXPECT_EQ(matchName.value[0], 27);
  EXPECT_EQ(std::string(matchName.value.begin() + 1, matchName.value.end()),
            "Zelfin 3D Transform Control");
  EXPECT_EQ(reserved.offset, matchName.offset + 16 + 28);
}

TEST(PropertyListLayout, InfoFlagsStoreTwoBytesAndArePaddedToFour) {
  const std::string list = Generated(zelfin::kCameraControl, ResourcePlatform::kMac);
  const testhost::PropertyList parsed =
      testhost::ParsePropertyList(list.data(), list.size(), PiplFormat::kMac);
  const testhost::PiplProperty& info = parsed.properties[8];
  ASSERT_EQ(info.key, PF_FourCharCode("eINF"));
  EXPECT_EQ(info.length, 2u);
  EXPECT_EQ(parsed.properties[9].offset, info.offset + 16 + 4);
}

}  // namespace
