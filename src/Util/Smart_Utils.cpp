#include "Util/Smart_Utils.h"

#include <algorithm>

namespace zelfin {

bool IsEmptyRect(const PF_LRect* rectP) {
  return rectP->left >= rectP->right || rectP->top >= rectP->bottom;
}

void UnionLRect(const PF_LRect* srcP, PF_LRect* destP) {
  if (IsEmptyRect(destP)) {
    *destP = *srcP;
  } else if (!IsEmptyRect(srcP)) {
    destP->left = std::min(destP->left, srcP->left);
    destP->top = std::min(destP->top, srcP->top);
    destP->right = std::max(destP->right, srcP->right);
    destP->bottom = std::max(destP->bottom, srcP->bottom);
  }
}

}  // namespace zelfin
