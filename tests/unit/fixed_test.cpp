// The plug-in's 16.16 conversions: rounding, clamping and whole pixels.
#include "ZelfinFixed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using zelfin::FitsFixed;
using zelfin::FixedToDouble;
using zelfin::RoundToFixed;

constexpr PF_Fixed kFixedMax = std::numeric_limits<PF_Fixed>::max();
constexpr PF_Fixed kFixedMin = std::numeric_limits<PF_Fixed>::min();

TEST(FixedPointTest, RoundingTakesHalvesAwayFromZero) {
  struct Case {
    double pixels;
    PF_Fixed fixed;
  };
  const double step = 1.0 / 65536;
  const Case cases[] = {
      {0.5 * step, 1},   {-0.5 * step, -1}, {1.5 * step, 2}, {-1.5 * step, -2},
      {0.49 * step, 0},  {-0.49 * step, 0}, {50.0, 50 << 16}, {-0.25, -(1 << 14)},
      {-32768.0, kFixedMin}, {32768.0 - step, kFixedMax},
  };
  for (const Case& c : cases) {
    PF_Fixed out = 12345;
    EXPECT_TRUE(RoundToFixed(c.pixels, &out)) << c.pixels;
    EXPECT_EQ(out, c.fixed) << c.pixels;
    if (std::fabs(c.pixels) >= 1) {
      EXPECT_EQ(FixedToDouble(out), c.pixels);
    }
  }
}

TEST(FixedPointTest, ValuesBeyondFixedPointAreReportedAndClamped) {
  struct Case {
    double pixels;
    PF_Fixed clamped;
  };
  const Case cases[] = {
      {32768.0, kFixedMax},
      {1e12, kFixedMax},
      {std::numeric_limits<double>::infinity(), kFixedMax},
      {-32768.0 - 1.0 / 65536, kFixedMin},
      {-1e300, kFixedMin},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) {
    PF_Fixed out = 12345;
    EXPECT_FALSE(RoundToFixed(c.pixels, &out)) << c.pixels;
    EXPECT_EQ(out, c.clamped) << c.pixels;
  }
}

// The parameter lists' compile-time check must pass exactly the numbers the rounding can store.
TEST(FixedPointTest, FitsFixedAgreesWithTheRoundingAtBothEnds) {
  const double step = 1.0 / 65536;
  for (double pixels : {32768.0 - 0.51 * step, 32768.0 - 0.5 * step, 32768.0,
                        -32768.0 - 0.49 * step, -32768.0 - 0.5 * step, -32769.0, 0.0,
                        std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()}) {
    PF_Fixed out = 0;
    EXPECT_EQ(FitsFixed(pixels), RoundToFixed(pixels, &out)) << pixels;
  }
  static_assert(FitsFixed(32767.0) && !FitsFixed(-32769.0), "usable in a constant expression");
}

}  // namespace
