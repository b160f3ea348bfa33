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
using detail::Finish;
using detail::ParamName;

namespace {

// The message buffer of PF_OutData, the one buffer PF_SPRINTF writes into.
constexpr std::size_t kReturnMsgSize = sizeof(PF_OutData{}.return_msg);
// Larger handle requests are refused as a host out of memory would.
constexpr A_HandleSize kMaxHandleSize = A_HandleSize{1} << 30;

}  // namespace

struct HostCallbacks {
  // False (with a violation) when the effect_ref is not this host's.
  static bool Mine(Host* h, PF_ProgPtr ref, const char* what) {
    if (ref == h->effectRef()) return true;
    h->violation(std::string(what) + " called with an effect_ref that is not the host's");
    return false;
  }

  // False (with a violation) when called outside the command that offers it.
  static bool During(Host* h, PF_Cmd cmd, const char* what) { return h->during(cmd, what); }

  // --- Interaction callbacks.

  static PF_Err AddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("add_param", {Arg(index), def ? ParamName(def->name) : "(null)"},
                          Returns::Error))
      return Finish(h, f->code);
    if (!Mine(h, ref, "add_param") || !During(h, PF_Cmd_PARAMS_SETUP, "add_param"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!def) {
      h->violation("add_param with a null definition");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    if (index != -1 && index != h->paramCount()) {
      h->violation("add_param at index " + Arg(index) + " while the list has " +
                   Arg(h->paramCount()) + " entries");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    h->params_.push_back(*def);
    return Finish(h, PF_Err_NONE);
  }

  static PF_Err RegisterUI(PF_ProgPtr ref, PF_CustomUIInfo* info) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("register_ui", {info ? Arg(info->events) : "(null)"}, Returns::Error))
      return Finish(h, f->code);
    if (!Mine(h, ref, "register_ui") || !During(h, PF_Cmd_PARAMS_SETUP, "register_ui"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!info) {
      h->violation("register_ui with a null record");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    h->customUI_ = *info;
    return Finish(h, PF_Err_NONE);
  }

  static PF_Err CheckoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step,
                              A_u_long scale, PF_ParamDef* param) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("checkout_param", {Arg(index), Arg(time), Arg(step), Arg(scale)},
                          Returns::Error))
      return Finish(h, f->code);
    if (!Mine(h, ref, "checkout_param")) return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!param || index < 0 || index >= h->paramCount()) {
      h->violation("checkout_param of index " + Arg(index) + " or into a null record");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    *param = h->param(index);
    return Finish(h, PF_Err_NONE);
  }

  static PF_Err CheckinParam(PF_ProgPtr ref, PF_ParamDef* param) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("checkin_param", {Arg(static_cast<const void*>(param))}, Returns::Error))
      return Finish(h, f->code);
    return Finish(h, Mine(h, ref, "checkin_param") ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM);
  }

  static PF_Err Abort(PF_ProgPtr ref) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("abort", {}, Returns::Error)) return Finish(h, f->code);
    return Finish(h, Mine(h, ref, "abort") ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM);
  }

  static PF_Err Progress(PF_ProgPtr ref, A_long count, A_long total) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("progress", {Arg(count), Arg(total)}, Returns::Error))
      return Finish(h, f->code);
    return Finish(h, Mine(h, ref, "progress") ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM);
  }

  // --- Utility callbacks.

  static PF_Err Copy(PF_ProgPtr ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* srcRect,
                     PF_Rect* dstRect) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("PF_COPY",
                          {Arg(static_cast<const void*>(src)), Arg(static_cast<const void*>(dst)),
                           srcRect ? Arg(*srcRect) : "whole", dstRect ? Arg(*dstRect) : "whole"},
                          Returns::Error))
      return Finish(h, f->code);
    if (!Mine(h, ref, "PF_COPY") || !During(h, PF_Cmd_SMART_RENDER, "PF_COPY"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    World* from = h->worldFor(src);
    World* to = h->worldFor(dst);
    if (!from || !to) {
      h->violation("PF_COPY of a buffer the host did not hand out");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    for (const PF_EffectWorld* w : {src, dst}) {
      const PF_EffectWorld& own = (w == src ? from : to)->record();
      if (w->data != own.data || w->rowbytes != own.rowbytes || w->width != own.width ||
          w->height != own.height) {
        h->violation("PF_COPY with a buffer record that differs from the host's");
        return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
      }
    }
    const PF_Err err = CopyPixels(*from, *to, srcRect, dstRect);
    if (err) h->violation("PF_COPY between buffers of different depths");
    return Finish(h, err);
  }

  static int Sprintf(A_char* buffer, const A_char* format, ...) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!EnterSprintf(h, buffer, format)) return -1;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, kReturnMsgSize, format, args);
    va_end(args);
    return Formatted(h, buffer, n);
  }

#if defined(__aarch64__)
  // The same for Darwin arm64 code, which passes the variadic arguments on the stack, each in
  // its own 8-byte slot (a double as its raw bytes). A plain Linux aarch64 function takes its
  // 9th and later integer parameters from those same slots: the six after the format are the
  // unused registers x2-x7.
  static int SprintfFromStackSlots(A_char* buffer, const A_char* format, long, long, long, long,
                                   long, long, std::uint64_t s0, std::uint64_t s1,
                                   std::uint64_t s2, std::uint64_t s3, std::uint64_t s4,
                                   std::uint64_t s5, std::uint64_t s6, std::uint64_t s7) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!EnterSprintf(h, buffer, format)) return -1;
    const std::uint64_t slots[] = {s0, s1, s2, s3, s4, s5, s6, s7};
    const std::string text = FormatFromSlots(format, slots, std::size(slots));
    std::snprintf(buffer, kReturnMsgSize, "%s", text.c_str());
    return Formatted(h, buffer, static_cast<int>(text.size()));
  }

  // printf formatting with each argument taken from the next slot: one conversion at a time,
  // typed by its conversion character and length. More arguments than slots format as 0.
  static std::string FormatFromSlots(const char* format, const std::uint64_t* slots,
                                     std::size_t count) {
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
#endif

  // Records a PF_SPRINTF call; false, with the call failed as a violation, when it has no buffer
  // or no format to work with.
  static bool EnterSprintf(Host* h, const A_char* buffer, const A_char* format) {
    if (h) h->enter("PF_SPRINTF", {Arg(format)}, Returns::Value);
    if (buffer && format) return true;
    if (h) {
      h->violation("PF_SPRINTF with a null buffer or format");
      h->leave(-1);
    }
    return false;
  }

  // Records what PF_SPRINTF wrote and checks it fitted return_msg.
  static int Formatted(Host* h, const A_char* buffer, int n) {
    if (h) {
      h->log().back().args.push_back(buffer);
      h->leave(n);
      if (n >= static_cast<int>(kReturnMsgSize))
        h->violation("PF_SPRINTF of " + Arg(n) + " characters, more than return_msg holds");
    }
    return n;
  }

  static A_char* Strcpy(A_char* dst, const A_char* src) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (h) h->enter("PF_STRCPY", {Arg(src)}, Returns::Value);
    if (!dst || !src) {
      if (h) h->violation("PF_STRCPY with a null pointer");
      return dst;
    }
    return std::strcpy(dst, src);
  }

  // --- Handles, shared by the utility callbacks and "PF Handle Suite".

  static PF_Handle NewHandle(A_HandleSize size) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return nullptr;
    if (h->enter("host_new_handle", {Arg(size)}, Returns::Pointer)) return nullptr;
    PF_Handle handle = size > kMaxHandleSize ? nullptr : h->handles_.create(size);
    if (handle) h->handlesMade_.push_back(handle);
    h->leave(handle != nullptr);
    return handle;
  }

  static void* LockHandle(PF_Handle handle) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return nullptr;
    if (h->enter("host_lock_handle", {Arg(static_cast<const void*>(handle))}, Returns::Pointer))
      return nullptr;
    void* p = h->handles_.lock(handle);
    h->leave(p != nullptr);
    return p;
  }

  static void UnlockHandle(PF_Handle handle) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return;
    h->enter("host_unlock_handle", {Arg(static_cast<const void*>(handle))}, Returns::Nothing);
    h->handles_.unlock(handle);
  }

  static void DisposeHandle(PF_Handle handle) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return;
    h->enter("host_dispose_handle", {Arg(static_cast<const void*>(handle))}, Returns::Nothing);
    h->handles_.dispose(handle);
  }

  static A_HandleSize GetHandleSize(PF_Handle handle) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return 0;
    h->enter("host_get_handle_size", {Arg(static_cast<const void*>(handle))}, Returns::Value);
    const A_HandleSize size = h->handles_.size(handle);
    h->leave(static_cast<long long>(size));
    return size;
  }

  static PF_Err ResizeHandle(A_HandleSize size, PF_Handle* handle) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("host_resize_handle", {Arg(size)}, Returns::Error))
      return Finish(h, f->code);
    if (size > kMaxHandleSize) return Finish(h, PF_Err_OUT_OF_MEMORY);
    return Finish(h, h->handles_.resize(size, handle));
  }

  // --- Smart-render callbacks.

  static PF_Err CheckoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long id,
                              const PF_RenderRequest* request, A_long time, A_long step,
                              A_u_long scale, PF_CheckoutResult* result) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("checkout_layer",
                          {Arg(index), Arg(id), request ? Arg(request->rect) : "(null)", Arg(time),
                           Arg(step), Arg(scale)},
                          Returns::Error))
      return Finish(h, f->code);
    if (!Mine(h, ref, "checkout_layer") || !During(h, PF_Cmd_SMART_PRE_RENDER, "checkout_layer"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!request || !result) {
      h->violation("checkout_layer with a null request or result");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    if (index != 0) {
      h->violation("checkout_layer of parameter " + Arg(index) + ", which is not a layer");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    h->checkouts_.push_back({index, id, *request, time, step, scale});
    h->declaredCheckoutIds_.push_back(id);
    *result = h->checkoutResult_;
    return Finish(h, PF_Err_NONE);
  }

  static PF_Err CheckoutLayerPixels(PF_ProgPtr ref, A_long id, PF_EffectWorld** pixels) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("checkout_layer_pixels", {Arg(id)}, Returns::Error))
      return Finish(h, f->code);
    if (!Mine(h, ref, "checkout_layer_pixels") ||
        !During(h, PF_Cmd_SMART_RENDER, "checkout_layer_pixels"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!pixels) {
      h->violation("checkout_layer_pixels into a null pointer");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    *pixels = nullptr;
    // A render sent through Host::send without the frame helpers has no buffers to hand out.
    if (!h->input_) {
      h->violation("checkout_layer_pixels before the host set up a frame");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    const auto& ids = h->declaredCheckoutIds_;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
      h->violation("checkout_layer_pixels of id " + Arg(id) +
                   ", which the pre-render did not check out");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    *pixels = &h->input_->record();
    return Finish(h, PF_Err_NONE);
  }

  static PF_Err CheckinLayerPixels(PF_ProgPtr ref, A_long id) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("checkin_layer_pixels", {Arg(id)}, Returns::Error))
      return Finish(h, f->code);
    return Finish(h,
                  Mine(h, ref, "checkin_layer_pixels") ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM);
  }

  static PF_Err CheckoutOutput(PF_ProgPtr ref, PF_EffectWorld** output) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("checkout_output", {}, Returns::Error)) return Finish(h, f->code);
    if (!Mine(h, ref, "checkout_output") || !During(h, PF_Cmd_SMART_RENDER, "checkout_output"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!output) {
      h->violation("checkout_output into a null pointer");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    *output = nullptr;
    if (!h->output_) {
      h->violation("checkout_output before the host set up a frame");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    *output = &h->output_->record();
    return Finish(h, PF_Err_NONE);
  }
};

namespace detail {

namespace {

A_FpLong Noted(const char* name, A_FpLong x, A_FpLong result) {
  const CallbackTimer timer;
  if (Host* h = Host::current()) h->enter(name, {Arg(x)}, Returns::Value);
  return result;
}

A_FpLong Noted(const char* name, A_FpLong x, A_FpLong y, A_FpLong result) {
  const CallbackTimer timer;
  if (Host* h = Host::current()) h->enter(name, {Arg(x), Arg(y)}, Returns::Value);
  return result;
}

// The ANSI table of the utility callbacks and "PF ANSI Suite" have the same members.
template <typename Table>
void FillAnsiTable(Table& a) {
  a.atan = [](A_FpLong x) { return Noted("atan", x, std::atan(x)); };
  a.atan2 = [](A_FpLong y, A_FpLong x) { return Noted("atan2", y, x, std::atan2(y, x)); };
  a.ceil = [](A_FpLong x) { return Noted("ceil", x, std::ceil(x)); };
  a.cos = [](A_FpLong x) { return Noted("cos", x, std::cos(x)); };
  a.exp = [](A_FpLong x) { return Noted("exp", x, std::exp(x)); };
  a.fabs = [](A_FpLong x) { return Noted("fabs", x, std::fabs(x)); };
  a.floor = [](A_FpLong x) { return Noted("floor", x, std::floor(x)); };
  a.fmod = [](A_FpLong x, A_FpLong y) { return Noted("fmod", x, y, std::fmod(x, y)); };
  a.hypot = [](A_FpLong x, A_FpLong y) { return Noted("hypot", x, y, std::hypot(x, y)); };
  a.log = [](A_FpLong x) { return Noted("log", x, std::log(x)); };
  a.log10 = [](A_FpLong x) { return Noted("log10", x, std::log10(x)); };
  a.pow = [](A_FpLong x, A_FpLong y) { return Noted("pow", x, y, std::pow(x, y)); };
  a.sin = [](A_FpLong x) { return Noted("sin", x, std::sin(x)); };
  a.sqrt = [](A_FpLong x) { return Noted("sqrt", x, std::sqrt(x)); };
  a.tan = [](A_FpLong x) { return Noted("tan", x, std::tan(x)); };
  a.sprintf = &HostCallbacks::Sprintf;
  a.strcpy = &HostCallbacks::Strcpy;
  a.asin = [](A_FpLong x) { return Noted("asin", x, std::asin(x)); };
  a.acos = [](A_FpLong x) { return Noted("acos", x, std::acos(x)); };
}

}  // namespace

void FillAnsi(PF_ANSICallbacksSuite1& suite) { FillAnsiTable(suite); }

#if defined(__aarch64__)
SprintfFunc StackSlotSprintf() {
  // Called through the variadic type, as the plug-in calls it; the twin reads what the Darwin
  // caller put on the stack.
  return reinterpret_cast<SprintfFunc>(&HostCallbacks::SprintfFromStackSlots);
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
  suite.host_new_handle = &HostCallbacks::NewHandle;
  suite.host_lock_handle = &HostCallbacks::LockHandle;
  suite.host_unlock_handle = &HostCallbacks::UnlockHandle;
  suite.host_dispose_handle = &HostCallbacks::DisposeHandle;
  suite.host_get_handle_size = &HostCallbacks::GetHandleSize;
  suite.host_resize_handle = &HostCallbacks::ResizeHandle;
}

void InstallCallbacks(PF_InData& in, PF_UtilCallbacks& u, PF_PreRenderCallbacks& pre,
                      PF_SmartRenderCallbacks& smart) {
  in.inter.checkout_param = &HostCallbacks::CheckoutParam;
  in.inter.checkin_param = &HostCallbacks::CheckinParam;
  in.inter.add_param = &HostCallbacks::AddParam;
  in.inter.abort = &HostCallbacks::Abort;
  in.inter.progress = &HostCallbacks::Progress;
  in.inter.register_ui = &HostCallbacks::RegisterUI;
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
  u.copy = &HostCallbacks::Copy;
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
  u.host_new_handle = &HostCallbacks::NewHandle;
  u.host_lock_handle = &HostCallbacks::LockHandle;
  u.host_unlock_handle = &HostCallbacks::UnlockHandle;
  u.host_dispose_handle = &HostCallbacks::DisposeHandle;
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
  u.host_get_handle_size = &HostCallbacks::GetHandleSize;
  Stub(u.iterate_origin_non_clip_src);
  Stub(u.iterate_generic);
  u.host_resize_handle = &HostCallbacks::ResizeHandle;
  Stub(u.subpixel_sample16);
  Stub(u.area_sample16);
  Stub(u.fill16);
  Stub(u.premultiply_color16);
  Stub(u.iterate16);
  Stub(u.iterate_origin16);
  Stub(u.iterate_origin_non_clip_src16);
  Stub(u.get_pixel_data8);
  Stub(u.get_pixel_data16);

  pre.checkout_layer = &HostCallbacks::CheckoutLayer;
  smart.checkout_layer_pixels = &HostCallbacks::CheckoutLayerPixels;
  smart.checkin_layer_pixels = &HostCallbacks::CheckinLayerPixels;
  smart.checkout_output = &HostCallbacks::CheckoutOutput;
}

}  // namespace detail
}  // namespace testhost
