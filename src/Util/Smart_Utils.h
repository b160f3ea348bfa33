// Rectangle arithmetic for the smart-render handshake.
#pragma once

#include "host/host.h"

namespace zelfin {

// True when the rectangle has no area: left >= right or top >= bottom.
bool IsEmptyRect(const PF_LRect* rectP);

// Grows *destP to cover *srcP as well. An empty destination takes the source's four values
// (even when the source is empty too); an empty source leaves the destination as it is.
void UnionLRect(const PF_LRect* srcP, PF_LRect* destP);

}  // namespace zelfin
