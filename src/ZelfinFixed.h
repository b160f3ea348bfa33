// 16.16 fixed point (the host's PF_Fixed) as the plug-in converts it: the one place for the
// rounding rules that the parameter lists and the vertex editor rely on.
#pragma once

#include "host/host.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace zelfin {

// 1.0 in 16.16.
inline constexpr std::int64_t kFixedOne = 65536;
inline constexpr std::int64_t kFixedMin = std::numeric_limits<PF_Fixed>::min();
inline constexpr std::int64_t kFixedMax = std::numeric_limits<PF_Fixed>::max();

inline double FixedToDouble(PF_Fixed value) {
  return static_cast<double>(value) / static_cast<double>(kFixedOne);
}

// Whether RoundToFixed takes value into the range of 16.16, so that the conversion is defined.
// Parameter lists check their numbers with it at compile time.
constexpr bool FitsFixed(double value) {
  const double scaled = value * static_cast<double>(kFixedOne);
  return scaled + 0.5 < static_cast<double>(kFixedMax) + 1 &&
         scaled - 0.5 > static_cast<double>(kFixedMin) - 1;
}

// Rounds value * kFixedOne to the nearest integer, halves away from zero. Returns false when the
// result does not fit in 16.16 (or is not a number); *outP then holds the nearest representable
// value (0 for not-a-number), which is good enough to draw with but never stored as a parameter.
inline bool RoundToFixed(double value, PF_Fixed* outP) {
  const double rounded = std::round(value * static_cast<double>(kFixedOne));
  if (std::isnan(rounded)) {
    *outP = 0;
    return false;
  }
  if (rounded < static_cast<double>(kFixedMin)) {
    *outP = static_cast<PF_Fixed>(kFixedMin);
    return false;
  }
  if (rounded > static_cast<double>(kFixedMax)) {
    *outP = static_cast<PF_Fixed>(kFixedMax);
    return false;
  }
  *outP = static_cast<PF_Fixed>(rounded);
  return true;
}

// Whole pixels to fixed point, clamped to the range of 16.16.
inline PF_Fixed IntToFixed(A_long whole) {
  std::int64_t fixed = static_cast<std::int64_t>(whole) * kFixedOne;
  if (fixed < kFixedMin) {
    fixed = kFixedMin;
  } else if (fixed > kFixedMax) {
    fixed = kFixedMax;
  }
  return static_cast<PF_Fixed>(fixed);
}

// Whole pixels, rounded toward negative infinity: 10.75 gives 10 and -0.5 gives -1 (kept on
// purpose: "Compatibility decisions" in docs/developer-guide.md).
inline A_long FixedToInt(PF_Fixed fixed) {
  const std::int64_t value = fixed;
  const std::int64_t remainder = ((value % kFixedOne) + kFixedOne) % kFixedOne;
  return static_cast<A_long>((value - remainder) / kFixedOne);
}

}  // namespace zelfin
