// 16.16 fixed point as the host converts it, for every record that carries PF_Fixed.
#pragma once

#include "host/host.h"

namespace testhost {

// Halves away from zero, clamped to the range; NaN becomes 0.
PF_Fixed ToFixed(double value);
double FromFixed(PF_Fixed value);

}  // namespace testhost
