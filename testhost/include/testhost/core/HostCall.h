// The gate every host function passes: the callbacks of PF_InData, the suite functions, the
// panels' conversions, and the functions of a table provided from outside the library, which the
// host serves behind forwarders that begin here (Host::provideSuite). Its body is in
// core/Host.cpp. One object per call does the steps they all share, in this order:
//   1. times the call (while its host times its commands) and finds the host whose command runs
//      on this thread; without one nothing is recorded, and the call fails unless it needs
//      nothing of a host (the ANSI functions, the panels' conversions);
//   2. records the call in the host's log and applies the fault planned for it: a throwing fault
//      throws from here, a Fail fault answers the call;
//   3. checks the call against its contract (CallContract): the effect_ref, the command and, for
//      drawing calls, the kind of event; a breach is reported under its HostRule and answers the
//      call with PF_Err_BAD_CALLBACK_PARAM.
// A call the gate answered returns result(); any other ends with finish(value) or refuse(...),
// which record its result.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/host.h"
#include "testhost/core/CallLog.h"
#include "testhost/core/FaultPlan.h"
#include "testhost/core/HostRule.h"

namespace testhost {

class Host;
namespace detail {
struct ServedState;
}

// A contract's command when the call belongs to every command.
constexpr PF_Cmd kAnyCommand = -1;

enum class EffectRef {
  NotTaken,
  MustBeTheHosts,  // the call takes PF_InData::effect_ref of the running command
};

enum class EventKind {
  Any,
  Draw,  // with PF_Cmd_EVENT: only while the host sends a PF_Event_DRAW record
};

// What one host function may do, as the tag beside its declaration in include/host/ states it
// (a test reads the tags and compares them with the table below).
struct CallContract {
  const char* name;  // recorded in the call log under this name
  Returns returns;   // what it hands back, and so what a fault can do to it
  PF_Cmd command = kAnyCommand;
  EffectRef effectRef = EffectRef::NotTaken;
  EventKind event = EventKind::Any;
  // The member of the callback or suite tables in include/host/ that the function fills, when
  // its recorded name is another (PF_COPY fills `copy`).
  const char* slot = nullptr;

  constexpr const char* member() const { return slot ? slot : name; }
};

// The contracts of the host's own functions: the one place that states when each may be called.
namespace contracts {

// PF_InData::inter.
inline constexpr CallContract kAddParam{"add_param", Returns::Error, PF_Cmd_PARAMS_SETUP,
                                        EffectRef::MustBeTheHosts};
inline constexpr CallContract kRegisterUI{"register_ui", Returns::Error, PF_Cmd_PARAMS_SETUP,
                                          EffectRef::MustBeTheHosts};
inline constexpr CallContract kCheckoutParam{"checkout_param", Returns::Error, kAnyCommand,
                                             EffectRef::MustBeTheHosts};
inline constexpr CallContract kCheckinParam{"checkin_param", Returns::Error, kAnyCommand,
                                            EffectRef::MustBeTheHosts};
inline constexpr CallContract kAbort{"abort", Returns::Error, kAnyCommand,
                                     EffectRef::MustBeTheHosts};
inline constexpr CallContract kProgress{"progress", Returns::Error, kAnyCommand,
                                        EffectRef::MustBeTheHosts};

// PF_InData::utils; the handle functions also make up "PF Handle Suite".
inline constexpr CallContract kCopy{"PF_COPY",      Returns::Error, PF_Cmd_SMART_RENDER,
                                    EffectRef::MustBeTheHosts, EventKind::Any, "copy"};
inline constexpr CallContract kNewWorld{"new_world", Returns::Error, kAnyCommand,
                                        EffectRef::MustBeTheHosts};
inline constexpr CallContract kDisposeWorld{"dispose_world", Returns::Error, kAnyCommand,
                                            EffectRef::MustBeTheHosts};
inline constexpr CallContract kSprintf{"PF_SPRINTF", Returns::Value, kAnyCommand,
                                       EffectRef::NotTaken, EventKind::Any, "sprintf"};
inline constexpr CallContract kStrcpy{"PF_STRCPY", Returns::Value, kAnyCommand,
                                      EffectRef::NotTaken, EventKind::Any, "strcpy"};
inline constexpr CallContract kNewHandle{"host_new_handle", Returns::Pointer};
inline constexpr CallContract kLockHandle{"host_lock_handle", Returns::Pointer};
inline constexpr CallContract kUnlockHandle{"host_unlock_handle", Returns::Nothing};
inline constexpr CallContract kDisposeHandle{"host_dispose_handle", Returns::Nothing};
inline constexpr CallContract kGetHandleSize{"host_get_handle_size", Returns::Value};
inline constexpr CallContract kResizeHandle{"host_resize_handle", Returns::Error};

// The ANSI functions of the utility table and "PF ANSI Suite", each under its C name (sprintf
// and strcpy are kSprintf and kStrcpy).
inline constexpr CallContract AnsiFunction(const char* name) { return {name, Returns::Value}; }
inline constexpr CallContract kAtan = AnsiFunction("atan");
inline constexpr CallContract kAtan2 = AnsiFunction("atan2");
inline constexpr CallContract kCeil = AnsiFunction("ceil");
inline constexpr CallContract kCos = AnsiFunction("cos");
inline constexpr CallContract kExp = AnsiFunction("exp");
inline constexpr CallContract kFabs = AnsiFunction("fabs");
inline constexpr CallContract kFloor = AnsiFunction("floor");
inline constexpr CallContract kFmod = AnsiFunction("fmod");
inline constexpr CallContract kHypot = AnsiFunction("hypot");
inline constexpr CallContract kLog = AnsiFunction("log");
inline constexpr CallContract kLog10 = AnsiFunction("log10");
inline constexpr CallContract kPow = AnsiFunction("pow");
inline constexpr CallContract kSin = AnsiFunction("sin");
inline constexpr CallContract kSqrt = AnsiFunction("sqrt");
inline constexpr CallContract kTan = AnsiFunction("tan");
inline constexpr CallContract kAsin = AnsiFunction("asin");
inline constexpr CallContract kAcos = AnsiFunction("acos");

// The pre-render's and render's callbacks.
inline constexpr CallContract kCheckoutLayer{"checkout_layer", Returns::Error,
                                             PF_Cmd_SMART_PRE_RENDER, EffectRef::MustBeTheHosts};
inline constexpr CallContract kCheckoutLayerPixels{"checkout_layer_pixels", Returns::Error,
                                                   PF_Cmd_SMART_RENDER, EffectRef::MustBeTheHosts};
inline constexpr CallContract kCheckinLayerPixels{"checkin_layer_pixels", Returns::Error,
                                                  kAnyCommand, EffectRef::MustBeTheHosts};
inline constexpr CallContract kCheckoutOutput{"checkout_output", Returns::Error,
                                              PF_Cmd_SMART_RENDER, EffectRef::MustBeTheHosts};

// The basic suite and the suites it serves.
inline constexpr CallContract kAcquireSuite{"AcquireSuite", Returns::Error};
inline constexpr CallContract kReleaseSuite{"ReleaseSuite", Returns::Error};
inline constexpr CallContract kIsEqual{"IsEqual", Returns::Value};
inline constexpr CallContract kRegisterWithAEGP{"AEGP_RegisterWithAEGP", Returns::Error,
                                                PF_Cmd_GLOBAL_SETUP};
inline constexpr CallContract kUpdateParamUI{"PF_UpdateParamUI", Returns::Error,
                                             PF_Cmd_UPDATE_PARAMS_UI, EffectRef::MustBeTheHosts};

// The drawing reference belongs to every event; what is drawn with it, to a draw event.
inline constexpr CallContract kGetDrawingReference{"PF_GetDrawingReference", Returns::Error,
                                                   PF_Cmd_EVENT};
inline constexpr CallContract Drawing(const char* name) {
  return {name, Returns::Error, PF_Cmd_EVENT, EffectRef::NotTaken, EventKind::Draw};
}
inline constexpr CallContract kGetSupplier = Drawing("GetSupplier");
inline constexpr CallContract kGetSurface = Drawing("GetSurface");
inline constexpr CallContract kNewPen = Drawing("NewPen");
inline constexpr CallContract kNewBrush = Drawing("NewBrush");
inline constexpr CallContract kNewPath = Drawing("NewPath");
inline constexpr CallContract kReleaseObject = Drawing("ReleaseObject");
inline constexpr CallContract kMoveTo = Drawing("MoveTo");
inline constexpr CallContract kLineTo = Drawing("LineTo");
inline constexpr CallContract kClose = Drawing("Close");
inline constexpr CallContract kStrokePath = Drawing("StrokePath");
inline constexpr CallContract kFillPath = Drawing("FillPath");
inline constexpr CallContract kPaintRect = Drawing("PaintRect");

// The event record's conversions: of the event that carries them, of any kind, since clicks and
// drags convert the mouse as draws convert the handles.
inline constexpr CallContract kLayerToComp{"layer_to_comp", Returns::Error, PF_Cmd_EVENT};
inline constexpr CallContract kCompToLayer{"comp_to_layer", Returns::Error, PF_Cmd_EVENT};
inline constexpr CallContract kSourceToFrame{"source_to_frame", Returns::Error, PF_Cmd_EVENT};
inline constexpr CallContract kFrameToSource{"frame_to_source", Returns::Error, PF_Cmd_EVENT};

// Every function above: the gate's table of what the stand-in host provides.
inline constexpr CallContract kAll[] = {
    kAddParam, kRegisterUI, kCheckoutParam, kCheckinParam, kAbort, kProgress,
    kCopy, kNewWorld, kDisposeWorld, kSprintf, kStrcpy,
    kNewHandle, kLockHandle, kUnlockHandle, kDisposeHandle, kGetHandleSize, kResizeHandle,
    kAtan, kAtan2, kCeil, kCos, kExp, kFabs, kFloor, kFmod, kHypot,
    kLog, kLog10, kPow, kSin, kSqrt, kTan, kAsin, kAcos,
    kCheckoutLayer, kCheckoutLayerPixels, kCheckinLayerPixels, kCheckoutOutput,
    kAcquireSuite, kReleaseSuite, kIsEqual, kRegisterWithAEGP, kUpdateParamUI,
    kGetDrawingReference, kGetSupplier, kGetSurface, kNewPen, kNewBrush, kNewPath,
    kReleaseObject, kMoveTo, kLineTo, kClose, kStrokePath, kFillPath, kPaintRect,
    kLayerToComp, kCompToLayer, kSourceToFrame, kFrameToSource,
};

// Any slot of a table the stand-in host does not fill.
inline constexpr CallContract kUnsupported{"unsupported", Returns::Error};

}  // namespace contracts

// The arguments of a call as recorded.
using CallArgs = std::vector<std::string>;

class HostCall {
 public:
  // `describe` gives the call's arguments for the log; it runs only when there is a host, after
  // the timer started, so that formatting them counts as the host's time. The timer starts in
  // the constructor delegated to, so a fault thrown from begin() still stops it.
  template <typename Describe>
  HostCall(const CallContract& contract, Describe&& describe)
      : HostCall(contract, nullptr, std::forward<Describe>(describe)) {}
  template <typename Describe>
  HostCall(const CallContract& contract, PF_ProgPtr effectRef, Describe&& describe)
      : HostCall(Started{}, contract) {
    if (host_) begin(describe(), effectRef);
  }
  ~HostCall();
  HostCall(const HostCall&) = delete;
  HostCall& operator=(const HostCall&) = delete;

  // The host whose command runs on this thread, or null.
  Host* host() const { return host_; }
  // The name the call is recorded under.
  const char* name() const { return contract_.name; }
  // The call is to do its work: there is a host, and neither a fault nor a breach answered it.
  bool proceeds() const { return host_ && !answered_; }
  // A Fail fault answered the call.
  bool faulted() const { return fault_.has_value(); }

  // What a call that does not proceed returns: the fault's code, the refusal's, or, without a
  // host, PF_Err_BAD_CALLBACK_PARAM (null for a pointer, nothing for a value).
  template <typename R>
  [[nodiscard]] R result() const {
    if constexpr (std::is_void_v<R>) {
      return;
    } else if constexpr (std::is_pointer_v<R>) {
      return nullptr;
    } else if constexpr (std::is_integral_v<R> && sizeof(R) == sizeof(PF_Err)) {
      return static_cast<R>(failure_);
    } else {
      return R{};
    }
  }
  // Records what the call returns and returns it: an error code or a value as it is, a pointer
  // as found or not; a value that is no number (a double, strcpy's pointer) is not recorded.
  template <typename R>
  [[nodiscard]] R finish(R value) {
    if constexpr (std::is_pointer_v<R>) {
      if (contract_.returns == Returns::Pointer) record(value != nullptr);
    } else if constexpr (std::is_integral_v<R>) {
      record(static_cast<long long>(value));
    }
    return value;
  }
  // Reports a broken rule; the call goes on.
  void violation(HostRule rule, std::string message);
  // Reports a broken rule and answers the call with `code` (a pointer call with null); returns
  // the code.
  std::int32_t refuse(HostRule rule, std::string message,
                      std::int32_t code = PF_Err_BAD_CALLBACK_PARAM);
  // Adds an argument to the call's record, for what is known only once the call has run.
  void addArg(std::string arg);
  // What the host keeps for its functions; only with a host.
  detail::ServedState& served() const;

 private:
  struct Started {};
  HostCall(Started, const CallContract& contract);
  void begin(CallArgs args, PF_ProgPtr effectRef);
  // Answers the call without its work: the result is `code` (null for a pointer call).
  void answer(std::int32_t code);
  void record(long long result);

  const CallContract contract_;
  Host* host_;
  Host* timed_ = nullptr;  // the host whose time split this call adds to
  std::chrono::steady_clock::time_point start_;
  std::size_t logIndex_ = 0;
  std::optional<Fault> fault_;
  bool answered_ = false;
  std::int32_t failure_ = PF_Err_BAD_CALLBACK_PARAM;
};

}  // namespace testhost
