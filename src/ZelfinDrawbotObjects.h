// Owners of the host drawing objects (paths, pens, brushes) that the vertex editor makes for one
// draw event, and the exception that reports a failed create or release call.
#pragma once

#include <exception>

#include "host/host.h"

namespace zelfin {

// A Drawbot call failed; Error() is the code the host returned. Thrown by the owners below and
// kept inside the plug-in by the drawing code.
class DRAWBOT_Exception : public std::exception {
 public:
  explicit DRAWBOT_Exception(SPErr error) : error_(error) {}
  SPErr Error() const { return error_; }

 private:
  SPErr error_;
};

// Holds one host object of reference type T and releases it, through the supplier suite that
// made it, when destroyed. Not copyable: the object is released exactly once.
template <typename T>
class SharedRefImpl {
 public:
  explicit SharedRefImpl(const DRAWBOT_SupplierSuite1* suiteP) : ref_(nullptr), suiteP_(suiteP) {}
  SharedRefImpl(const SharedRefImpl&) = delete;
  SharedRefImpl& operator=(const SharedRefImpl&) = delete;

  // Releases the held object. A failed release throws DRAWBOT_Exception (the object stays
  // referenced), unless an exception is already on its way out: a second one would end the
  // process, so the failure is dropped then.
  virtual ~SharedRefImpl() noexcept(false);

  // The held reference, null when nothing is held.
  T Get() const { return ref_; }

 protected:
  // Takes ownership of a just-created object. A different object already held is released
  // first; if that release fails, the old object stays held, the new one is given back to the
  // host (its own failure is not looked at) and DRAWBOT_Exception is thrown.
  void Hold(const DRAWBOT_SupplierSuite1* suiteP, T created);

 private:
  T ref_;
  const DRAWBOT_SupplierSuite1* suiteP_;
};

class DRAWBOT_BrushP : public SharedRefImpl<_DRAWBOT_BrushRef*> {
 public:
  using SharedRefImpl::SharedRefImpl;
  // Makes a brush of the colour; a failure throws DRAWBOT_Exception and keeps what was held.
  void New(const DRAWBOT_SupplierSuite1* suiteP, _DRAWBOT_SupplierRef* supplier,
           const DRAWBOT_ColorRGBA* colourP);
};

class DRAWBOT_PenP : public SharedRefImpl<_DRAWBOT_PenRef*> {
 public:
  using SharedRefImpl::SharedRefImpl;
  // Makes a pen of the colour and width; a failure throws DRAWBOT_Exception and keeps what was
  // held.
  void New(const DRAWBOT_SupplierSuite1* suiteP, _DRAWBOT_SupplierRef* supplier,
           const DRAWBOT_ColorRGBA* colourP, float size);
};

class DRAWBOT_PathP : public SharedRefImpl<_DRAWBOT_PathRef*> {
 public:
  using SharedRefImpl::SharedRefImpl;
  // Makes an empty path; a failure throws DRAWBOT_Exception and keeps what was held.
  void New(const DRAWBOT_SupplierSuite1* suiteP, _DRAWBOT_SupplierRef* supplier);
};

extern template class SharedRefImpl<_DRAWBOT_BrushRef*>;
extern template class SharedRefImpl<_DRAWBOT_PenRef*>;
extern template class SharedRefImpl<_DRAWBOT_PathRef*>;

}  // namespace zelfin
