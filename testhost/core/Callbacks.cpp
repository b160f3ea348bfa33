// The callbacks the host passes in PF_InData, its utility table and the smart-render extras.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include "Internal.h"

namespace testhost {

using detail::Arg;
using detail::kNotProvided;
using detail::ParamName;

namespace {

// The message buffer of PF_OutData, the one buffer PF_SPRINTF writes into.
constexpr std::size_t kReturnMsgSize = sizeof(PF_OutData{}.return_msg);
// Larger handle requests are refused as a host out of memory would.
constexpr A_HandleSize kMaxHandleSize = A_HandleSize{1} << 30;
// Larger worlds are refused as a host out of memory would.
constexpr long long kMaxWorldPixels = 1LL << 26;
// The flags of new_world the host reads: PF_NewWorldFlag_CLEAR_PIXELS and
// PF_NewWorldFlag_DEEP_PIXELS.
constexpr PF_NewWorldFlags kNewWorldClearPixels = 1 << 0;
constexpr PF_NewWorldFlags kNewWorldDeepPixels = 1 << 1;

// Ends a call that has nothing to do once the gate lets it through.
PF_Err Acknowledge(HostCall& call) {
  return call.proceeds() ? call.finish(PF_Err_NONE) : call.result<PF_Err>();
}

// --- Interaction callbacks.

PF_Err AddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  HostCall call(contracts::kAddParam, ref,
                [&] { return CallArgs{Arg(index), def ? ParamName(def->name) : "(null)"}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!def) return call.refuse(HostRule::NullArgument, "add_param with a null definition");
  const int count = call.host()->paramCount();
  if (index != -1 && index != count) {
    return call.refuse(HostRule::ParamNotAppended, "add_param at index " + Arg(index) +
                                                       " while the list has " + Arg(count) +
                                                       " entries");
  }
  call.served().params.push_back(*def);
  return call.finish(PF_Err_NONE);
}

PF_Err RegisterUI(PF_ProgPtr ref, PF_CustomUIInfo* info) {
  HostCall call(contracts::kRegisterUI, ref,
                [&] { return CallArgs{info ? Arg(info->events) : "(null)"}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!info) return call.refuse(HostRule::NullArgument, "register_ui with a null record");
  call.served().customUI = *info;
  return call.finish(PF_Err_NONE);
}

PF_Err CheckoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step,
                     A_u_long scale, PF_ParamDef* param) {
  HostCall call(contracts::kCheckoutParam, ref,
                [&] { return CallArgs{Arg(index), Arg(time), Arg(step), Arg(scale)}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!param) return call.refuse(HostRule::NullArgument, "checkout_param into a null record");
  const PF_ParamDef* own = detail::ParamAt(call, index);
  if (!own) return call.result<PF_Err>();
  *param = *own;
  return call.finish(PF_Err_NONE);
}

PF_Err CheckinParam(PF_ProgPtr ref, PF_ParamDef* param) {
  HostCall call(contracts::kCheckinParam, ref,
                [&] { return CallArgs{Arg(static_cast<const void*>(param))}; });
  return Acknowledge(call);
}

PF_Err Abort(PF_ProgPtr ref) {
  HostCall call(contracts::kAbort, ref, [] { return CallArgs{}; });
  return Acknowledge(call);
}

PF_Err Progress(PF_ProgPtr ref, A_long count, A_long total) {
  HostCall call(contracts::kProgress, ref, [&] { return CallArgs{Arg(count), Arg(total)}; });
  return Acknowledge(call);
}

// --- Utility callbacks.

PF_Err Copy(PF_ProgPtr ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* srcRect,
            PF_Rect* dstRect) {
  HostCall call(contracts::kCopy, ref, [&] {
    return CallArgs{Arg(static_cast<const void*>(src)), Arg(static_cast<const void*>(dst)),
                    srcRect ? Arg(*srcRect) : "whole", dstRect ? Arg(*dstRect) : "whole"};
  });
  if (!call.proceeds()) return call.result<PF_Err>();
  Host& h = *call.host();
  World* from = h.worldFor(src);
  World* to = h.worldFor(dst);
  if (!from || !to) {
    return call.refuse(HostRule::BufferNotTheHosts,
                       "PF_COPY of a buffer the host did not hand out");
  }
  for (const PF_EffectWorld* w : {src, dst}) {
    const PF_EffectWorld& own = (w == src ? from : to)->record();
    if (w->data != own.data || w->rowbytes != own.rowbytes || w->width != own.width ||
        w->height != own.height) {
      return call.refuse(HostRule::BufferRecordChanged,
                         "PF_COPY with a buffer record that differs from the host's");
    }
  }
  const PF_Err err = CopyPixels(*from, *to, srcRect, dstRect);
  if (err) {
    call.violation(HostRule::CopyBetweenDepths, "PF_COPY between buffers of different depths");
  }
  return call.finish(err);
}

PF_Err NewWorld(PF_ProgPtr ref, A_long width, A_long height, PF_NewWorldFlags flags,
                PF_EffectWorld* world) {
  HostCall call(contracts::kNewWorld, ref,
                [&] { return CallArgs{Arg(width), Arg(height), Arg(flags)}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!world) return call.refuse(HostRule::NullArgument, "new_world into a null record");
  if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxWorldPixels) {
    return call.finish(PF_Err_OUT_OF_MEMORY);
  }
  const Depth depth = (flags & kNewWorldDeepPixels) ? Depth::Bits16 : Depth::Bits8;
  auto made = std::make_unique<World>(width, height, depth);
  if ((flags & kNewWorldClearPixels) && width > 0 && height > 0) {
    std::memset(made->pixelAddress(0, 0), 0, made->rowBytes() * static_cast<std::size_t>(height));
  }
  *world = made->record();
  call.served().worlds.push_back({std::move(made), call.host()->commandSerial()});
  return call.finish(PF_Err_NONE);
}

PF_Err DisposeWorld(PF_ProgPtr ref, PF_EffectWorld* world) {
  HostCall call(contracts::kDisposeWorld, ref,
                [&] { return CallArgs{Arg(static_cast<const void*>(world))}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!world) return call.refuse(HostRule::NullArgument, "dispose_world of a null record");
  auto& worlds = call.served().worlds;
  const auto made = std::find_if(worlds.begin(), worlds.end(), [&](const detail::MadeWorld& m) {
    return m.world->record().data == world->data;
  });
  if (made == worlds.end()) {
    return call.refuse(HostRule::BufferNotTheHosts,
                       "dispose_world of a buffer that new_world did not make");
  }
  worlds.erase(made);
  *world = PF_EffectWorld{};
  return call.finish(PF_Err_NONE);
}

// A PF_SPRINTF with no buffer or no format to work with fails.
int RefuseSprintf(HostCall& call) {
  return call.refuse(HostRule::NullArgument, "PF_SPRINTF with a null buffer or format", -1);
}

// Records what PF_SPRINTF wrote and checks it fitted return_msg.
int Formatted(HostCall& call, const A_char* buffer, int n) {
  call.addArg(buffer);
  const int written = call.finish(n);
  if (n >= static_cast<int>(kReturnMsgSize)) {
    call.violation(HostRule::ReturnMsgOverflow,
                   "PF_SPRINTF of " + Arg(n) + " characters, more than return_msg holds");
  }
  return written;
}

int Sprintf(A_char* buffer, const A_char* format, ...) {
  HostCall call(contracts::kSprintf, [&] { return CallArgs{Arg(format)}; });
  if (!buffer || !format) return RefuseSprintf(call);
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, kReturnMsgSize, format, args);
  va_end(args);
  return Formatted(call, buffer, n);
}

#if defined(__aarch64__)
// printf formatting with each argument taken from the next slot: one conversion at a time,
// typed by its conversion character and length. More arguments than slots format as 0.
std::string FormatFromSlots(const char* format, const std::uint64_t* slots, std::size_t count) {
  std::string out;
  std::size_t next = 0;
  const auto take = [&] { return next < count ? slots[next++] : std::uint64_t{0}; };
  for (const char* p = format; *p;) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    while (*p && std::strchr("-+ #0123456789.*hljztL", *p)) ++p;
    if (!*p) break;
    std::string directive(start, p + 1);
    const char conversion = *p++;
    char piece[512];
    // A '*' width or precision is an int of its own slot.
    for (std::size_t star; (star = directive.find('*')) != std::string::npos;) {
      directive.replace(star, 1, std::to_string(static_cast<int>(take())));
    }
    const bool wide = directive.find_first_of("lzjt") != std::string::npos;  // a 64-bit argument
    if (conversion == '%') {
      out += '%';
      continue;
    } else if (std::strchr("di", conversion)) {
      const std::uint64_t v = take();
      wide ? std::snprintf(piece, sizeof piece, directive.c_str(), static_cast<long>(v))
           : std::snprintf(piece, sizeof piece, directive.c_str(), static_cast<int>(v));
    } else if (std::strchr("uxXoc", conversion)) {
      const std::uint64_t v = take();
      wide ? std::snprintf(piece, sizeof piece, directive.c_str(), static_cast<unsigned long>(v))
           : std::snprintf(piece, sizeof piece, directive.c_str(), static_cast<unsigned>(v));
    } else if (std::strchr("feEgGaA", conversion)) {
      const std::uint64_t bits = take();
      double v;
      std::memcpy(&v, &bits, sizeof v);
      std::snprintf(piece, sizeof piece, directive.c_str(), v);
    } else if (conversion == 's') {
      const char* v = reinterpret_cast<const char*>(take());
      std::snprintf(piece, sizeof piece, directive.c_str(), v ? v : "(null)");
    } else if (conversion == 'p') {
      std::snprintf(piece, sizeof piece, directive.c_str(), reinterpret_cast<void*>(take()));
    } else {
      continue;  // unknown conversions print nothing
    }
    out += piece;
  }
  return out;
}

// The same for Darwin arm64 code, which passes the variadic arguments on the stack, each in its
// own 8-byte slot (a double as its raw bytes). A plain Linux aarch64 function takes its 9th and
// later integer parameters from those same slots: the six after the format are the unused
// registers x2-x7.
int SprintfFromStackSlots(A_char* buffer, const A_char* format, long, long, long, long, long, long,
                          std::uint64_t s0, std::uint64_t s1, std::uint64_t s2, std::uint64_t s3,
                          std::uint64_t s4, std::uint64_t s5, std::uint64_t s6,
                          std::uint64_t s7) {
  HostCall call(contracts::kSprintf, [&] { return CallArgs{Arg(format)}; });
  if (!buffer || !format) return RefuseSprintf(call);
  const std::uint64_t slots[] = {s0, s1, s2, s3, s4, s5, s6, s7};
  const std::string text = FormatFromSlots(format, slots, std::size(slots));
  std::snprintf(buffer, kReturnMsgSize, "%s", text.c_str());
  return Formatted(call, buffer, static_cast<int>(text.size()));
}
#endif

A_char* Strcpy(A_char* dst, const A_char* src) {
  HostCall call(contracts::kStrcpy, [&] { return CallArgs{Arg(src)}; });
  if (!dst || !src) {
    call.violation(HostRule::NullArgument, "PF_STRCPY with a null pointer");
    return call.finish(dst);
  }
  return call.finish(std::strcpy(dst, src));
}

// --- Handles, shared by the utility callbacks and "PF Handle Suite".

PF_Handle NewHandle(A_HandleSize size) {
  HostCall call(contracts::kNewHandle, [&] { return CallArgs{Arg(size)}; });
  if (!call.proceeds()) return call.result<PF_Handle>();
  PF_Handle handle = size > kMaxHandleSize ? nullptr : call.host()->handles().create(size);
  if (handle) call.served().handlesMade.push_back(handle);
  return call.finish(handle);
}

// The handle as recorded.
CallArgs HandleArgs(PF_Handle handle) { return {Arg(static_cast<const void*>(handle))}; }

void* LockHandle(PF_Handle handle) {
  HostCall call(contracts::kLockHandle, [&] { return HandleArgs(handle); });
  if (!call.proceeds()) return call.result<void*>();
  return call.finish(call.host()->handles().lock(handle));
}

void UnlockHandle(PF_Handle handle) {
  HostCall call(contracts::kUnlockHandle, [&] { return HandleArgs(handle); });
  if (call.proceeds()) call.host()->handles().unlock(handle);
}

void DisposeHandle(PF_Handle handle) {
  HostCall call(contracts::kDisposeHandle, [&] { return HandleArgs(handle); });
  if (call.proceeds()) call.host()->handles().dispose(handle);
}

A_HandleSize GetHandleSize(PF_Handle handle) {
  HostCall call(contracts::kGetHandleSize, [&] { return HandleArgs(handle); });
  if (!call.proceeds()) return call.result<A_HandleSize>();
  return call.finish(call.host()->handles().size(handle));
}

PF_Err ResizeHandle(A_HandleSize size, PF_Handle* handle) {
  HostCall call(contracts::kResizeHandle, [&] { return CallArgs{Arg(size)}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (size > kMaxHandleSize) return call.finish(PF_Err_OUT_OF_MEMORY);
  return call.finish(call.host()->handles().resize(size, handle));
}

// --- Smart-render callbacks.

PF_Err CheckoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long id,
                     const PF_RenderRequest* request, A_long time, A_long step, A_u_long scale,
                     PF_CheckoutResult* result) {
  HostCall call(contracts::kCheckoutLayer, ref, [&] {
    return CallArgs{Arg(index), Arg(id),   request ? Arg(request->rect) : "(null)",
                    Arg(time),  Arg(step), Arg(scale)};
  });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!request || !result) {
    return call.refuse(HostRule::NullArgument, "checkout_layer with a null request or result");
  }
  if (index != 0) {
    return call.refuse(HostRule::NotALayerParam,
                       "checkout_layer of parameter " + Arg(index) + ", which is not a layer");
  }
  detail::ServedState& served = call.served();
  served.checkouts.push_back({index, id, *request, time, step, scale});
  served.declaredCheckoutIds.push_back(id);
  *result = served.checkoutResult;
  return call.finish(PF_Err_NONE);
}

PF_Err CheckoutLayerPixels(PF_ProgPtr ref, A_long id, PF_EffectWorld** pixels) {
  HostCall call(contracts::kCheckoutLayerPixels, ref, [&] { return CallArgs{Arg(id)}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!pixels) {
    return call.refuse(HostRule::NullArgument, "checkout_layer_pixels into a null pointer");
  }
  *pixels = nullptr;
  // A render sent through Host::send without the frame helpers has no buffers to hand out.
  World* input = call.host()->input();
  if (!input) {
    return call.refuse(HostRule::NoFrameSetUp,
                       "checkout_layer_pixels before the host set up a frame");
  }
  const auto& ids = call.served().declaredCheckoutIds;
  if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
    return call.refuse(HostRule::LayerNotCheckedOut,
                       "checkout_layer_pixels of id " + Arg(id) +
                           ", which the pre-render did not check out");
  }
  *pixels = &input->record();
  return call.finish(PF_Err_NONE);
}

PF_Err CheckinLayerPixels(PF_ProgPtr ref, A_long id) {
  HostCall call(contracts::kCheckinLayerPixels, ref, [&] { return CallArgs{Arg(id)}; });
  return Acknowledge(call);
}

PF_Err CheckoutOutput(PF_ProgPtr ref, PF_EffectWorld** output) {
  HostCall call(contracts::kCheckoutOutput, ref, [] { return CallArgs{}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!output) return call.refuse(HostRule::NullArgument, "checkout_output into a null pointer");
  *output = nullptr;
  World* world = call.host()->output();
  if (!world) {
    return call.refuse(HostRule::NoFrameSetUp, "checkout_output before the host set up a frame");
  }
  *output = &world->record();
  return call.finish(PF_Err_NONE);
}

// --- The ANSI functions, shared by the utility table and "PF ANSI Suite".

// A call of an ANSI function, recorded under its C name with its arguments `xs`; `result` is
// what the function computed.
template <typename... X>
A_FpLong RecordedAnsiCall(const CallContract& contract, A_FpLong result, X... xs) {
  HostCall call(contract, [&] { return CallArgs{Arg(xs)...}; });
  return call.finish(result);
}

A_FpLong Atan(A_FpLong x) { return RecordedAnsiCall(contracts::kAtan, std::atan(x), x); }
A_FpLong Atan2(A_FpLong y, A_FpLong x) { return RecordedAnsiCall(contracts::kAtan2, std::atan2(y, x), y, x); }
A_FpLong Ceil(A_FpLong x) { return RecordedAnsiCall(contracts::kCeil, std::ceil(x), x); }
A_FpLong Cos(A_FpLong x) { return RecordedAnsiCall(contracts::kCos, std::cos(x), x); }
A_FpLong Exp(A_FpLong x) { return RecordedAnsiCall(contracts::kExp, std::exp(x), x); }
A_FpLong Fabs(A_FpLong x) { return RecordedAnsiCall(contracts::kFabs, std::fabs(x), x); }
A_FpLong Floor(A_FpLong x) { return RecordedAnsiCall(contracts::kFloor, std::floor(x), x); }
A_FpLong Fmod(A_FpLong x, A_FpLong y) { return RecordedAnsiCall(contracts::kFmod, std::fmod(x, y), x, y); }
A_FpLong Hypot(A_FpLong x, A_FpLong y) { return RecordedAnsiCall(contracts::kHypot, std::hypot(x, y), x, y); }
A_FpLong Log(A_FpLong x) { return RecordedAnsiCall(contracts::kLog, std::log(x), x); }
A_FpLong Log10(A_FpLong x) { return RecordedAnsiCall(contracts::kLog10, std::log10(x), x); }
A_FpLong Pow(A_FpLong x, A_FpLong y) { return RecordedAnsiCall(contracts::kPow, std::pow(x, y), x, y); }
A_FpLong Sin(A_FpLong x) { return RecordedAnsiCall(contracts::kSin, std::sin(x), x); }
A_FpLong Sqrt(A_FpLong x) { return RecordedAnsiCall(contracts::kSqrt, std::sqrt(x), x); }
A_FpLong Tan(A_FpLong x) { return RecordedAnsiCall(contracts::kTan, std::tan(x), x); }
A_FpLong Asin(A_FpLong x) { return RecordedAnsiCall(contracts::kAsin, std::asin(x), x); }
A_FpLong Acos(A_FpLong x) { return RecordedAnsiCall(contracts::kAcos, std::acos(x), x); }

constexpr PF_ANSICallbacksSuite1 kAnsiSuite = {
    &Atan,  &Atan2, &Ceil, &Cos,  &Exp, &Fabs,    &Floor,  &Fmod, &Hypot, &Log,
    &Log10, &Pow,   &Sin,  &Sqrt, &Tan, &Sprintf, &Strcpy, &Asin, &Acos,
};

// --- A table provided from outside, served behind the gate: each call passes the gate under the
// slot's contract, then runs the function the provided table holds in that slot.

// The provided table of the host whose command runs, or null with the call refused.
const PF_ANSICallbacksSuite1* Provided(HostCall& call) {
  if (const auto& provided = call.served().providedAnsi) return &*provided;
  detail::RefuseUnsupported(call);  // a table kept from another host
  return nullptr;
}

template <const CallContract& Contract, A_FpLong (*PF_ANSICallbacksSuite1::*Slot)(A_FpLong)>
A_FpLong ForwardUnary(A_FpLong x) {
  HostCall call(Contract, [&] { return CallArgs{Arg(x)}; });
  const PF_ANSICallbacksSuite1* provided = call.proceeds() ? Provided(call) : nullptr;
  if (!provided) return call.result<A_FpLong>();
  return call.finish((provided->*Slot)(x));
}

template <const CallContract& Contract,
          A_FpLong (*PF_ANSICallbacksSuite1::*Slot)(A_FpLong, A_FpLong)>
A_FpLong ForwardBinary(A_FpLong x, A_FpLong y) {
  HostCall call(Contract, [&] { return CallArgs{Arg(x), Arg(y)}; });
  const PF_ANSICallbacksSuite1* provided = call.proceeds() ? Provided(call) : nullptr;
  if (!provided) return call.result<A_FpLong>();
  return call.finish((provided->*Slot)(x, y));
}

A_char* ForwardStrcpy(A_char* dst, const A_char* src) {
  HostCall call(contracts::kStrcpy, [&] { return CallArgs{Arg(src)}; });
  const PF_ANSICallbacksSuite1* provided = call.proceeds() ? Provided(call) : nullptr;
  if (!provided) return call.result<A_char*>();
  return call.finish(provided->strcpy(dst, src));
}

// What the host serves in one slot of a provided table: the host's own function as it is (it
// passes the gate itself), the forwarder for any other, and for an empty slot the stub of a
// function the stand-in host does not provide.
template <typename F>
F Served(F provided, F own, F current, F forward) {
  if (!provided) return detail::kNotProvided;
  if (provided == own || provided == current) return current;
  return forward;
}

}  // namespace

namespace detail {

const PF_ANSICallbacksSuite1& OwnAnsiSuite() { return kAnsiSuite; }

PF_ANSICallbacksSuite1 GatedAnsiSuite(const PF_ANSICallbacksSuite1& p,
                                      const PF_ANSICallbacksSuite1& current) {
  using T = PF_ANSICallbacksSuite1;
  namespace c = contracts;
  const T& own = kAnsiSuite;
  // sprintf takes variadic arguments, which no function can pass on to another.
  if (p.sprintf && p.sprintf != own.sprintf && p.sprintf != current.sprintf) {
    throw std::invalid_argument(
        "provideSuite: the sprintf of a provided ANSI table must be the host's own or null");
  }
  return {
      Served(p.atan, own.atan, current.atan, &ForwardUnary<c::kAtan, &T::atan>),
      Served(p.atan2, own.atan2, current.atan2, &ForwardBinary<c::kAtan2, &T::atan2>),
      Served(p.ceil, own.ceil, current.ceil, &ForwardUnary<c::kCeil, &T::ceil>),
      Served(p.cos, own.cos, current.cos, &ForwardUnary<c::kCos, &T::cos>),
      Served(p.exp, own.exp, current.exp, &ForwardUnary<c::kExp, &T::exp>),
      Served(p.fabs, own.fabs, current.fabs, &ForwardUnary<c::kFabs, &T::fabs>),
      Served(p.floor, own.floor, current.floor, &ForwardUnary<c::kFloor, &T::floor>),
      Served(p.fmod, own.fmod, current.fmod, &ForwardBinary<c::kFmod, &T::fmod>),
      Served(p.hypot, own.hypot, current.hypot, &ForwardBinary<c::kHypot, &T::hypot>),
      Served(p.log, own.log, current.log, &ForwardUnary<c::kLog, &T::log>),
      Served(p.log10, own.log10, current.log10, &ForwardUnary<c::kLog10, &T::log10>),
      Served(p.pow, own.pow, current.pow, &ForwardBinary<c::kPow, &T::pow>),
      Served(p.sin, own.sin, current.sin, &ForwardUnary<c::kSin, &T::sin>),
      Served(p.sqrt, own.sqrt, current.sqrt, &ForwardUnary<c::kSqrt, &T::sqrt>),
      Served(p.tan, own.tan, current.tan, &ForwardUnary<c::kTan, &T::tan>),
      Served(p.sprintf, own.sprintf, current.sprintf, current.sprintf),
      Served(p.strcpy, own.strcpy, current.strcpy, &ForwardStrcpy),
      Served(p.asin, own.asin, current.asin, &ForwardUnary<c::kAsin, &T::asin>),
      Served(p.acos, own.acos, current.acos, &ForwardUnary<c::kAcos, &T::acos>),
  };
}

#if defined(__aarch64__)
SprintfFunc StackSlotSprintf() {
  // Called through the variadic type, as the plug-in calls it; the twin reads what the Darwin
  // caller put on the stack.
  return reinterpret_cast<SprintfFunc>(&SprintfFromStackSlots);
}

const PF_ANSICallbacksSuite1* StackSlotAnsiSuite() {
  static const PF_ANSICallbacksSuite1 suite = [] {
    PF_ANSICallbacksSuite1 s = kAnsiSuite;
    s.sprintf = StackSlotSprintf();
    return s;
  }();
  return &suite;
}
#endif

const PF_HandleSuite1& OwnHandleSuite() {
  static constexpr PF_HandleSuite1 kSuite = {
      &NewHandle, &LockHandle, &UnlockHandle, &DisposeHandle, &GetHandleSize, &ResizeHandle,
  };
  return kSuite;
}

void InstallCallbacks(PF_InData& in, PF_UtilCallbacks& u, PF_PreRenderCallbacks& pre,
                      PF_SmartRenderCallbacks& smart) {
  in.inter = {
      &CheckoutParam, &CheckinParam, &AddParam, &Abort, &Progress, &RegisterUI,
      kNotProvided,  // checkout_layer_audio
      kNotProvided,  // checkin_layer_audio
      kNotProvided,  // get_audio_data
      {},            // reserved_str
      {},            // reserved
  };
  static constexpr PF_UtilCallbacks kUtils = {
      kNotProvided,  // begin_sampling
      kNotProvided,  // subpixel_sample
      kNotProvided,  // area_sample
      nullptr,       // get_batch_func_is_deprecated
      kNotProvided,  // end_sampling
      kNotProvided,  // composite_rect
      kNotProvided,  // blend
      kNotProvided,  // convolve
      &Copy,
      kNotProvided,  // fill
      kNotProvided,  // gaussian_kernel
      kNotProvided,  // iterate
      kNotProvided,  // premultiply
      kNotProvided,  // premultiply_color
      &NewWorld,
      &DisposeWorld,
      kNotProvided,  // iterate_origin
      kNotProvided,  // iterate_lut
      kNotProvided,  // transfer_rect
      kNotProvided,  // transform_world
      &NewHandle,
      &LockHandle,
      &UnlockHandle,
      &DisposeHandle,
      kNotProvided,  // get_callback_addr
      kNotProvided,  // app
      {
          &Atan,  &Atan2, &Ceil, &Cos,  &Exp, &Fabs,    &Floor,  &Fmod, &Hypot, &Log,
          &Log10, &Pow,   &Sin,  &Sqrt, &Tan, &Sprintf, &Strcpy, &Asin, &Acos,
          {},  // ansi_procs
      },
      {
          kNotProvided, kNotProvided, kNotProvided, kNotProvided,  // RGBtoHLS ... YIQtoRGB
          kNotProvided, kNotProvided, kNotProvided, kNotProvided,  // Luminance ... Saturation
      },
      kNotProvided,  // get_platform_data
      &GetHandleSize,
      kNotProvided,  // iterate_origin_non_clip_src
      kNotProvided,  // iterate_generic
      &ResizeHandle,
      kNotProvided,  // subpixel_sample16
      kNotProvided,  // area_sample16
      kNotProvided,  // fill16
      kNotProvided,  // premultiply_color16
      kNotProvided,  // iterate16
      kNotProvided,  // iterate_origin16
      kNotProvided,  // iterate_origin_non_clip_src16
      kNotProvided,  // get_pixel_data8
      kNotProvided,  // get_pixel_data16
      {},            // reserved
  };
  u = kUtils;
  pre = {&CheckoutLayer};
  smart = {&CheckoutLayerPixels, &CheckinLayerPixels, &CheckoutOutput};
}

}  // namespace detail
}  // namespace testhost
