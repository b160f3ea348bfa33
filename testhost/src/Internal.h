// Shared by the host's callback and suite implementations.
#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "testhost/Fixed.h"
#include "testhost/Host.h"
#include "testhost/HostCall.h"

namespace testhost::detail {

inline std::string Arg(const char* s) { return s ? s : "(null)"; }
inline std::string Arg(const std::string& s) { return s; }
inline std::string Arg(bool b) { return b ? "true" : "false"; }
inline std::string Arg(double d) {
  std::ostringstream s;
  s << d;
  return s.str();
}
template <typename T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
std::string Arg(T v) {
  return std::to_string(v);
}
inline std::string Arg(const void* p) {
  if (!p) return "null";
  std::ostringstream s;
  s << p;
  return s.str();
}
inline std::string Arg(const PF_FixedPoint* p) {
  return p ? "(" + Arg(FromFixed(p->x)) + ", " + Arg(FromFixed(p->y)) + ")" : "(null)";
}
inline std::string Arg(const PF_LRect& r) {
  return "(" + Arg(r.left) + ", " + Arg(r.top) + ", " + Arg(r.right) + ", " + Arg(r.bottom) + ")";
}

// A parameter name as recorded: at most the 32 bytes of the field, even without a terminator.
inline std::string ParamName(const A_char (&name)[32]) {
  return std::string(name, strnlen(name, sizeof name));
}

// The host's parameter at `index`, or null with the call refused: the list has no such entry.
inline PF_ParamDef* ParamAt(HostCall& call, PF_ParamIndex index) {
  Host& h = *call.host();
  if (index >= 0 && index < h.paramCount()) return &h.param(index);
  call.refuse(HostRule::NoSuchParam,
              std::string(call.name()) + " of index " + Arg(index) + ", which is not in the list");
  return nullptr;
}

// Answers a call of a function the stand-in host does not provide: recorded as "unsupported",
// reported as a violation, failed.
inline void RefuseUnsupported(HostCall& call) {
  call.refuse(HostRule::UnsupportedFunction,
              "called a host function that the stand-in host does not provide");
}

// Fills a slot of a callback or suite table that the stand-in host does not provide.
template <typename F>
struct Unsupported;
template <typename R, typename... A>
struct Unsupported<R (*)(A...)> {
  static R call(A...) {
    HostCall gate(contracts::kUnsupported, [] { return CallArgs{}; });
    RefuseUnsupported(gate);
    return gate.result<R>();
  }
};
template <typename R, typename... A>
struct Unsupported<R (*)(A..., ...)> {
  static R call(A..., ...) {
    HostCall gate(contracts::kUnsupported, [] { return CallArgs{}; });
    RefuseUnsupported(gate);
    return gate.result<R>();
  }
};

template <typename F>
void Stub(F& slot) {
  slot = &Unsupported<F>::call;
}

// Defined with the callbacks: the ANSI and handle functions shared with the suites, and the
// installation of every callback into a host's records.
void FillAnsi(PF_ANSICallbacksSuite1& suite);
#if defined(__aarch64__)
// For Darwin arm64 code, which passes variadic arguments on the stack: a sprintf that reads them
// from there, alone and in an ANSI suite.
using SprintfFunc = int (*)(A_char* buffer, const A_char* format, ...);
SprintfFunc StackSlotSprintf();
const PF_ANSICallbacksSuite1* StackSlotAnsiSuite();
#endif
void FillHandleSuite(PF_HandleSuite1& suite);
void InstallCallbacks(PF_InData& in, PF_UtilCallbacks& utils, PF_PreRenderCallbacks& pre,
                      PF_SmartRenderCallbacks& smart);
void InstallBasicSuite(SPBasicSuite& basic);
// The default suite tables, by name and version.
struct SuiteEntry {
  const char* name;
  int version;
  const void* table;
};
const std::vector<SuiteEntry>& DefaultSuites();
const std::vector<SuiteEntry>& DrawingSuites();

}  // namespace testhost::detail
