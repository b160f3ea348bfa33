// The compile-time check every effect's parameter list must pass: a list it lets through must
// register without undefined behaviour, so numbers stored as 16.16 have to fit it.
#include <gtest/gtest.h>

#include "ZelfinParams.h"

namespace {

using namespace zelfin;

constexpr SliderRange Fixed(double validMax) { return {0, validMax, 0, 100, 50, 1, 0}; }

constexpr ParamEntry kFitting[] = {Point("P", kNoFlags, -32768, 32767.99998),
                                   FixSlider("S", kNoFlags, Fixed(32767))};
constexpr ParamEntry kPointTooFar[] = {Point("P", kNoFlags, 32768, 0)};
constexpr ParamEntry kPointTooFarNegative[] = {Point("P", kNoFlags, 0, -32769)};
constexpr ParamEntry kFixSliderTooWide[] = {FixSlider("S", kNoFlags, Fixed(10000000))};
// A float slider is registered as a float: its range is not bound by 16.16.
constexpr ParamEntry kFloatSliderWide[] = {FloatSlider("S", kNoFlags, Fixed(10000000))};
constexpr ParamEntry kUnclosedGroup[] = {GroupStart("G", kNoFlags)};
constexpr ParamEntry kPopupDefaultOutOfRange[] = {Popup("T", kNoFlags, "A|B", 3)};

TEST(ParamListCheck, AcceptsWhatRegistersSafelyAndRefusesTheRest) {
  static_assert(WellFormed(kFitting));
  static_assert(WellFormed(kFloatSliderWide));
  static_assert(!WellFormed(kPointTooFar));
  static_assert(!WellFormed(kPointTooFarNegative));
  static_assert(!WellFormed(kFixSliderTooWide));
  static_assert(!WellFormed(kUnclosedGroup));
  static_assert(!WellFormed(kPopupDefaultOutOfRange));
  EXPECT_FALSE(FitsFixed(32768.0));
  EXPECT_TRUE(FitsFixed(-32768.0));
  EXPECT_FALSE(FitsFixed(-32768.5));
}

}  // namespace
