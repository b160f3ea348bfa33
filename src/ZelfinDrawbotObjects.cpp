#include "ZelfinDrawbotObjects.h"

namespace zelfin {

namespace {

template <typename T>
DRAWBOT_ObjectRef AsObject(T ref) {
  return reinterpret_cast<DRAWBOT_ObjectRef>(ref);
}

}  // namespace

template <typename T>
SharedRefImpl<T>::~SharedRefImpl() noexcept(false) {
  if (ref_ == nullptr) {
    return;
  }
  const SPErr error = suiteP_->ReleaseObject(AsObject(ref_));
  if (error == 0) {
    ref_ = nullptr;
  } else if (std::uncaught_exceptions() == 0) {
    throw DRAWBOT_Exception(error);
  }
}

template <typename T>
void SharedRefImpl<T>::Hold(const DRAWBOT_SupplierSuite1* suiteP, T created) {
  if (created == ref_) {
    return;
  }
  if (ref_ != nullptr) {
    const SPErr error = suiteP_->ReleaseObject(AsObject(ref_));
    if (error != 0) {
      if (created != nullptr) {
        suiteP->ReleaseObject(AsObject(created));
      }
      throw DRAWBOT_Exception(error);
    }
    ref_ = nullptr;
  }
  ref_ = created;
}

template class SharedRefImpl<_DRAWBOT_BrushRef*>;
template class SharedRefImpl<_DRAWBOT_PenRef*>;
template class SharedRefImpl<_DRAWBOT_PathRef*>;

void DRAWBOT_BrushP::New(const DRAWBOT_SupplierSuite1* suiteP, _DRAWBOT_SupplierRef* supplier,
                         const DRAWBOT_ColorRGBA* colourP) {
  DRAWBOT_BrushRef brush = nullptr;
  if (const SPErr error = suiteP->NewBrush(supplier, colourP, &brush)) {
    throw DRAWBOT_Exception(error);
  }
  Hold(suiteP, brush);
}

void DRAWBOT_PenP::New(const DRAWBOT_SupplierSuite1* suiteP, _DRAWBOT_SupplierRef* supplier,
                       const DRAWBOT_ColorRGBA* colourP, float size) {
  DRAWBOT_PenRef pen = nullptr;
  if (const SPErr error = suiteP->NewPen(supplier, colourP, size, &pen)) {
    throw DRAWBOT_Exception(error);
  }
  Hold(suiteP, pen);
}

void DRAWBOT_PathP::New(const DRAWBOT_SupplierSuite1* suiteP, _DRAWBOT_SupplierRef* supplier) {
  DRAWBOT_PathRef path = nullptr;
  if (const SPErr error = suiteP->NewPath(supplier, &path)) {
    throw DRAWBOT_Exception(error);
  }
  Hold(suiteP, path);
}

}  // namespace zelfin
