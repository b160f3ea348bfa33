// The callbacks the host passes in PF_InData, its utility table and the smart-render extras.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "Internal.h"

namespace testhost {

using detail::Arg;
using detail::ParamName;

namespace {

// The message buffer of PF_OutData, the one buffer PF_SPRINTF writes into.
constexpr std::size_t kReturnMsgSize = sizeof(PF_OutData{}.return_msg);
// Larger handle requests are refused as a host out of memory would.
constexpr A_HandleSize kMaxHandleSize = A_HandleSize{1} << 30;

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

}  // namespace

namespace detail {

namespace {

// A call of an ANSI function, recorded under its C name with its arguments `xs`; `result` is
// what the function computed.
template <typename... X>
A_FpLong Noted(const char* name, A_FpLong result, X... xs) {
  HostCall call(contracts::AnsiFunction(name), [&] { return CallArgs{Arg(xs)...}; });
  return call.finish(result);
}

// The ANSI table of the utility callbacks and "PF ANSI Suite" have the same members.
template <typename Table>
void FillAnsiTable(Table& a) {
  a.atan = [](A_FpLong x) { return Noted("atan", std::atan(x), x); };
  a.atan2 = [](A_FpLong y, A_FpLong x) { return Noted("atan2", std::atan2(y, x), y, x); };
  a.ceil = [](A_FpLong x) { return Noted("ceil", std::ceil(x), x); };
  a.cos = [](A_FpLong x) { return Noted("cos", std::cos(x), x); };
  a.exp = [](A_FpLong x) { return Noted("exp", std::exp(x), x); };
  a.fabs = [](A_FpLong x) { return Noted("fabs", std::fabs(x), x); };
  a.floor = [](A_FpLong x) { return Noted("floor", std::floor(x), x); };
  a.fmod = [](A_FpLong x, A_FpLong y) { return Noted("fmod", std::fmod(x, y), x, y); };
  a.hypot = [](A_FpLong x, A_FpLong y) { return Noted("hypot", std::hypot(x, y), x, y); };
  a.log = [](A_FpLong x) { return Noted("log", std::log(x), x); };
  a.log10 = [](A_FpLong x) { return Noted("log10", std::log10(x), x); };
  a.pow = [](A_FpLong x, A_FpLong y) { return Noted("pow", std::pow(x, y), x, y); };
  a.sin = [](A_FpLong x) { return Noted("sin", std::sin(x), x); };
  a.sqrt = [](A_FpLong x) { return Noted("sqrt", std::sqrt(x), x); };
  a.tan = [](A_FpLong x) { return Noted("tan", std::tan(x), x); };
  a.sprintf = &Sprintf;
  a.strcpy = &Strcpy;
  a.asin = [](A_FpLong x) { return Noted("asin", std::asin(x), x); };
  a.acos = [](A_FpLong x) { return Noted("acos", std::acos(x), x); };
}

}  // namespace

void FillAnsi(PF_ANSICallbacksSuite1& suite) { FillAnsiTable(suite); }

#if defined(__aarch64__)
SprintfFunc StackSlotSprintf() {
  // Called through the variadic type, as the plug-in calls it; the twin reads what the Darwin
  // caller put on the stack.
  return reinterpret_cast<SprintfFunc>(&SprintfFromStackSlots);
}

const PF_ANSICallbacksSuite1* StackSlotAnsiSuite() {
  static const PF_ANSICallbacksSuite1 suite = [] {
    PF_ANSICallbacksSuite1 s{};
    FillAnsi(s);
    s.sprintf = StackSlotSprintf();
    return s;
  }();
  return &suite;
}
#endif

void FillHandleSuite(PF_HandleSuite1& suite) {
  suite.host_new_handle = &NewHandle;
  suite.host_lock_handle = &LockHandle;
  suite.host_unlock_handle = &UnlockHandle;
  suite.host_dispose_handle = &DisposeHandle;
  suite.host_get_handle_size = &GetHandleSize;
  suite.host_resize_handle = &ResizeHandle;
}

void InstallCallbacks(PF_InData& in, PF_UtilCallbacks& u, PF_PreRenderCallbacks& pre,
                      PF_SmartRenderCallbacks& smart) {
  in.inter.checkout_param = &CheckoutParam;
  in.inter.checkin_param = &CheckinParam;
  in.inter.add_param = &AddParam;
  in.inter.abort = &Abort;
  in.inter.progress = &Progress;
  in.inter.register_ui = &RegisterUI;
  Stub(in.inter.checkout_layer_audio);
  Stub(in.inter.checkin_layer_audio);
  Stub(in.inter.get_audio_data);

  Stub(u.begin_sampling);
  Stub(u.subpixel_sample);
  Stub(u.area_sample);
  Stub(u.end_sampling);
  Stub(u.composite_rect);
  Stub(u.blend);
  Stub(u.convolve);
  u.copy = &Copy;
  Stub(u.fill);
  Stub(u.gaussian_kernel);
  Stub(u.iterate);
  Stub(u.premultiply);
  Stub(u.premultiply_color);
  Stub(u.new_world);
  Stub(u.dispose_world);
  Stub(u.iterate_origin);
  Stub(u.iterate_lut);
  Stub(u.transfer_rect);
  Stub(u.transform_world);
  u.host_new_handle = &NewHandle;
  u.host_lock_handle = &LockHandle;
  u.host_unlock_handle = &UnlockHandle;
  u.host_dispose_handle = &DisposeHandle;
  Stub(u.get_callback_addr);
  Stub(u.app);
  FillAnsiTable(u.ansi);
  Stub(u.colorCB.RGBtoHLS);
  Stub(u.colorCB.HLStoRGB);
  Stub(u.colorCB.RGBtoYIQ);
  Stub(u.colorCB.YIQtoRGB);
  Stub(u.colorCB.Luminance);
  Stub(u.colorCB.Hue);
  Stub(u.colorCB.Lightness);
  Stub(u.colorCB.Saturation);
  Stub(u.get_platform_data);
  u.host_get_handle_size = &GetHandleSize;
  Stub(u.iterate_origin_non_clip_src);
  Stub(u.iterate_generic);
  u.host_resize_handle = &ResizeHandle;
  Stub(u.subpixel_sample16);
  Stub(u.area_sample16);
  Stub(u.fill16);
  Stub(u.premultiply_color16);
  Stub(u.iterate16);
  Stub(u.iterate_origin16);
  Stub(u.iterate_origin_non_clip_src16);
  Stub(u.get_pixel_data8);
  Stub(u.get_pixel_data16);

  pre.checkout_layer = &CheckoutLayer;
  smart.checkout_layer_pixels = &CheckoutLayerPixels;
  smart.checkin_layer_pixels = &CheckinLayerPixels;
  smart.checkout_output = &CheckoutOutput;
}

}  // namespace detail
}  // namespace testhost
