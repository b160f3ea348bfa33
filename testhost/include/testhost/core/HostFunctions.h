// What every host function is made of besides its gate (HostCall.h): its arguments as the call
// log records them, and the stub that fills a slot of a callback or suite table the stand-in
// host does not provide. The core's callbacks and suites and the panel's conversions use them.
#pragma once

#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>

#include "testhost/core/Fixed.h"
#include "testhost/core/HostCall.h"

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

// Fills a slot of a callback or suite table that the stand-in host does not provide: the table is
// written as one aggregate, every member in declaration order (so that a slot left out is a
// compiler warning, not a null), and kNotProvided stands for each slot the host does not fill.
struct NotProvided {
  template <typename F>
  constexpr operator F() const {
    return &Unsupported<F>::call;
  }
};
inline constexpr NotProvided kNotProvided{};

}  // namespace testhost::detail
