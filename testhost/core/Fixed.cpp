#include "testhost/core/Fixed.h"

#include <cmath>
#include <limits>

namespace testhost {

namespace {
constexpr double kFixedOne = 65536.0;
}  // namespace

PF_Fixed ToFixed(double value) {
  const double scaled = std::round(value * kFixedOne);
  if (std::isnan(scaled)) return 0;
  if (scaled <= std::numeric_limits<PF_Fixed>::min()) return std::numeric_limits<PF_Fixed>::min();
  if (scaled >= std::numeric_limits<PF_Fixed>::max()) return std::numeric_limits<PF_Fixed>::max();
  return static_cast<PF_Fixed>(scaled);
}

double FromFixed(PF_Fixed value) { return value / kFixedOne; }

}  // namespace testhost
