// Drives one effect of the built plug-in through the stand-in host with commands, parameter
// values, event records, panel views, frames and host failures decoded from the fuzzer's input.
// The plug-in is loaded as the host loads it (by its exported entry points); the process dies on
// anything the plug-in must never do: an exception across the entry point, a broken host rule, a
// suite or drawing object kept, a handle lost, a write into in_data or the input pixels.
//
// Input, read from the front (missing bytes read as zero):
//   effect (1 byte), then a fault for global setup and one for parameter setup (see ArmFault),
//   then up to kMaxSteps steps, each an opcode byte and its operands.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "testhost/core/Host.h"
#include "testhost/panels/Panel.h"
#include "testhost/loader/PluginModule.h"

namespace {

using testhost::Call;
using testhost::CommandResult;
using testhost::Fault;
using testhost::FrameSetup;
using testhost::Host;

constexpr int kMaxSteps = 24;

const char* const kEntryPoints[] = {"EntryPointFunc_2d", "EntryPointFunc_3d",
                                    "EntryPointFunc_camera", "EntryPointFunc_light",
                                    "EntryPointFunc_bezier"};

// The host calls a fault can strike.
const char* const kCalls[] = {
    "AcquireSuite",   "ReleaseSuite",     "add_param",       "register_ui",
    "PF_UpdateParamUI", "host_new_handle", "host_lock_handle", "AEGP_RegisterWithAEGP",
    "checkout_layer", "checkout_layer_pixels", "checkout_output", "PF_COPY",
    "layer_to_comp",  "comp_to_layer",    "source_to_frame", "frame_to_source",
    "PF_GetDrawingReference", "GetSurface", "GetSupplier",   "NewPath",
    "NewPen",         "MoveTo",           "LineTo",          "StrokePath",
    "PaintRect",      "ReleaseObject",    "fabs",            "PF_STRCPY",
    "PF_SPRINTF"};

// Releases run in destructors, where a thrown exception cannot be carried on: the host does not
// throw from them.
bool IsRelease(const std::string& call) {
  return call == "ReleaseSuite" || call == "ReleaseObject" || call == "host_unlock_handle" ||
         call == "host_dispose_handle";
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool done() const { return pos_ >= size_; }
  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  template <typename T>
  T raw() {
    T value{};
    unsigned char bytes[sizeof(T)] = {};
    for (unsigned char& b : bytes) b = byte();
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
  std::int32_t i32() { return raw<std::int32_t>(); }
  // Mostly the values that break arithmetic, sometimes any bit pattern.
  double number() {
    static const double kSpecial[] = {0.0,
                                      -0.0,
                                      std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::max(),
                                      std::numeric_limits<double>::lowest(),
                                      std::numeric_limits<double>::denorm_min(),
                                      32768.0,
                                      -32768.5,
                                      1e10,
                                      0.5};
    const std::uint8_t pick = byte();
    if (pick < std::size(kSpecial)) return kSpecial[pick];
    if (pick < 128) return static_cast<double>(i32()) / 256.0;
    return raw<double>();
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

[[noreturn]] void Finding(const std::string& what, const CommandResult& r) {
  std::fprintf(stderr, "FINDING: %s\n%s\n", what.c_str(), r.describe().c_str());
  std::abort();
}

// A fault for the next command: none, or a rule on one of kCalls.
void ArmFault(Reader& in, Host& host) {
  const std::uint8_t pick = in.byte();
  if (pick == 0) return;
  const std::string call = kCalls[pick % std::size(kCalls)];
  const int occurrence = in.byte() % 9;  // 0: every matching call
  Fault fault;
  switch (in.byte() % 5) {
    case 0: {
      // A host error is never 0, except for a suite: success with no table.
      const std::int32_t code = in.i32();
      fault = Fault::fail(code != 0 || call == "AcquireSuite" ? code : PF_Err_OUT_OF_MEMORY);
      break;
    }
    case 1:
      fault = Fault::null();
      if (call != "AcquireSuite") fault.code = PF_Err_OUT_OF_MEMORY;
      break;
    case 2:
      fault = Fault::throwBadAlloc();
      break;
    case 3:
      fault = Fault::throwUnknown();
      break;
    default:
      fault = Fault::throwErrorCode(in.i32());
      break;
  }
  if (fault.throws() && IsRelease(call)) fault = Fault::fail(PF_Err_OUT_OF_MEMORY);
  if (occurrence == 0) {
    host.faults().failEvery(call, fault);
  } else {
    host.faults().failAt(call, occurrence, fault);
  }
}

// A new value for one parameter, of its own type.
void SetParam(Reader& in, Host& host) {
  if (host.paramCount() < 2) return;
  PF_ParamDef& p = host.param(1 + in.byte() % (host.paramCount() - 1));
  switch (p.param_type) {
    case PF_Param_POPUP:
      p.u.pd.value = in.i32();
      break;
    case PF_Param_CHECKBOX:
      p.u.bd.value = in.byte();
      break;
    case PF_Param_POINT:
      p.u.td.x_value = in.i32();
      p.u.td.y_value = in.i32();
      break;
    case PF_Param_POINT_3D:
      p.u.point3d_d.x_value = in.number();
      p.u.point3d_d.y_value = in.number();
      p.u.point3d_d.z_value = in.number();
      break;
    case PF_Param_FLOAT_SLIDER:
      p.u.fs_d.value = in.number();
      break;
    case PF_Param_FIX_SLIDER:
      p.u.fd.value = in.i32();
      break;
    case PF_Param_ANGLE:
      p.u.ad.value = in.i32();
      break;
    case PF_Param_COLOR:
      p.u.cd.value = in.raw<PF_Pixel>();
      break;
    default:
      break;
  }
  // What the host shows: any UI flags, and a name that may fill its field without a terminator.
  if (in.byte() & 1) p.ui_flags = in.raw<PF_ParamUIFlags>();
  if (in.byte() & 1) {
    for (A_char& c : p.name) c = static_cast<A_char>(in.byte() | 1);
  }
}

PF_EventType EventType(Reader& in) {
  const std::uint8_t pick = in.byte();
  switch (pick % 8) {
    case 0:
    case 1:
      return PF_Event_DO_CLICK;
    case 2:
    case 3:
      return PF_Event_DRAG;
    case 4:
    case 5:
      return PF_Event_DRAW;
    case 6:
      return static_cast<PF_EventType>(pick / 8);
    default:
      return in.i32();
  }
}

// The rest of an event record whose type is set: the click data (possibly carried over from the
// previous event) or the area to draw, and what a host may leave out.
void FillEvent(Reader& in, PF_EventExtra& e, const PF_DoClickEventInfo& previous) {
  const std::uint8_t flags = in.byte();
  if (e.e_type != PF_Event_DRAW) {
    PF_DoClickEventInfo& click = e.u.do_click;
    click.screen_point = {in.i32(), in.i32()};
    click.modifiers = (flags & 1) ? PF_Mod_SHIFT_KEY : in.i32();
    click.num_clicks = in.byte();
    click.send_drag = in.byte() & 1;
    click.last_time = in.byte() & 1;
    if (flags & 2) {
      std::memcpy(click.continue_refcon, previous.continue_refcon, sizeof click.continue_refcon);
    } else {
      for (A_intptr_t& slot : click.continue_refcon) slot = in.raw<A_intptr_t>();
    }
  } else {
    e.u.draw.update_rect = in.raw<PF_LRect>();
  }
  if (flags & 4) e.contextH = nullptr;
  if (flags & 8) e.cbs.layer_to_comp = nullptr;
  if (flags & 16) e.cbs.comp_to_layer = nullptr;
  if (flags & 32) e.cbs.source_to_frame = nullptr;
  if (flags & 64) e.cbs.frame_to_source = nullptr;
}

// The Composition and Layer panels of a session: the layer moved, scaled (to nothing, too) and
// turned in the composition, the view zoomed and scrolled, drawing refused.
struct Panels {
  testhost::Panel comp{testhost::PanelKind::Composition, 64, 48};
  testhost::Panel layer{testhost::PanelKind::Layer, 64, 48};
  testhost::Panel* viewed = &comp;  // the panel of the VIEW and EVENT steps
  PF_EventExtra last{};             // the last panel event as the effect returned it
};

// Picks the panel of the EVENT steps and the window its context reports (one the effect does not
// know, too), then its view and the layer's place in the composition.
void SetView(Reader& in, Panels& panels) {
  const std::uint8_t window = in.byte();
  const PF_WindowType type = window < 200 ? window % 3 : in.i32();
  testhost::Panel& panel = type == PF_Window_LAYER ? panels.layer : panels.comp;
  panel.setWindowType(type);
  testhost::FrameView view;
  view.zoom = in.number();
  view.scroll = {in.number(), in.number()};
  if (view.zoom > 0) panel.setView(view);
  testhost::LayerTransform t;
  t.position = {in.number(), in.number()};
  panel.setTransform(t);
  panels.viewed = &panel;
}

// An event of the panel SetView picked.
PF_EventExtra ViewEvent(Reader& in, Panels& panels) {
  PF_EventExtra e = panels.viewed->newEvent(EventType(in));
  FillEvent(in, e, panels.last.u.do_click);
  return e;
}

// An event of either panel, optionally moving the layer or the view first.
PF_EventExtra PanelEvent(Reader& in, Panels& panels) {
  const std::uint8_t flags = in.byte();
  testhost::Panel& panel = (flags & 1) ? panels.layer : panels.comp;
  panel.setDrawable(!(flags & 2));
  if (flags & 4) {
    testhost::LayerTransform t;
    t.position = {in.number(), in.number()};
    t.anchor = {in.number(), in.number()};
    t.scale = {in.number(), in.number()};
    t.rotation = in.number();
    panel.setTransform(t);
  }
  if (flags & 8) {
    testhost::FrameView view;
    view.zoom = in.number();
    view.scroll = {in.number(), in.number()};
    if (view.zoom > 0) panel.setView(view);
  }
  PF_EventExtra e = panel.newEvent(EventType(in));
  FillEvent(in, e, panels.last.u.do_click);
  return e;
}

// From now on the host's ANSI suite answers every absolute value with `answer`. The table holds
// the host's own functions but for fabs; the host serves it behind its gate, so each call of it
// is recorded and takes the faults planned for "fabs".
double gAbsoluteValue = 0;
int gAbsoluteValuesAnswered = 0;  // calls of the table's fabs, over the whole run
A_FpLong AbsoluteValue(A_FpLong) {
  ++gAbsoluteValuesAnswered;
  return gAbsoluteValue;
}
void AnswerAbsoluteValues(double answer, Host& host) {
  const PF_ANSICallbacksSuite1& own = testhost::HostAnsiSuite();
  const PF_ANSICallbacksSuite1 ansi = {
      own.atan, own.atan2, own.ceil, own.cos, own.exp,
      &AbsoluteValue,  // fabs
      own.floor, own.fmod, own.hypot, own.log, own.log10, own.pow, own.sin, own.sqrt, own.tan,
      own.sprintf, own.strcpy, own.asin, own.acos,
  };
  gAbsoluteValue = answer;
  host.provideSuite(ansi);
}

FrameSetup Frame(Reader& in) {
  FrameSetup f;
  static const testhost::Depth kDepths[] = {testhost::Depth::Bits8, testhost::Depth::Bits16,
                                            testhost::Depth::Float32};
  f.depth = kDepths[in.byte() % 3];
  f.width = 1 + in.byte() % 40;
  f.height = 1 + in.byte() % 30;
  f.paddingPixels = in.byte() % 4;
  f.seed = in.byte();
  const std::uint8_t flags = in.byte();
  if (flags & 1) {
    PF_RenderRequest r = in.raw<PF_RenderRequest>();
    f.request = r;
  }
  if (flags & 2) {
    f.initialResultRect = in.raw<PF_LRect>();
    f.initialMaxResultRect = in.raw<PF_LRect>();
  }
  if (flags & 4) {
    PF_CheckoutResult c{};
    c.result_rect = in.raw<PF_LRect>();
    c.max_result_rect = in.raw<PF_LRect>();
    c.par = {1, 1};
    f.checkout = c;
  }
  return f;
}

bool SameBytes(const void* a, const void* b, std::size_t n) { return std::memcmp(a, b, n) == 0; }

// The whole session of one effect instance, checking every command as it returns.
class Session {
 public:
  explicit Session(Host& host) : host_(host) {}

  CommandResult send(const std::function<CommandResult()>& command) {
    answeredBefore_ = gAbsoluteValuesAnswered;
    PF_Handle globalBefore = host_.globalData();
    PF_InData inBefore;
    std::memcpy(&inBefore, &host_.inData(), sizeof inBefore);
    const CommandResult r = command();
    if (globalBefore && globalBefore != host_.globalData() &&
        host_.handles().isLive(globalBefore)) {
      ++orphans_;  // the host let go of it (a second setup, a setdown that could not free it)
    }
    check(r, inBefore);
    // Every pre-render starts the host's checkouts afresh; a render needs one that succeeded.
    if (r.cmd == PF_Cmd_SMART_PRE_RENDER) preRendered_ = r.err == PF_Err_NONE;
    host_.faults().clear();
    return r;
  }

  bool paramsReady() const { return paramsReady_; }
  void setParamsReady(bool ready) { paramsReady_ = ready; }
  bool preRendered() const { return preRendered_; }
  const FrameSetup& frame() const { return frame_; }
  void setFrame(const FrameSetup& f) { frame_ = f; }

 private:
  bool faulted(const CommandResult& r, const char* call) {
    for (const Call& c : host_.log().ofCommand(r.serial))
      if (c.faulted && c.name == call) return true;
    return false;
  }

  void check(const CommandResult& r, const PF_InData& inBefore) {
    if (r.escaped) Finding("exception across the entry point: " + r.exception, r);
    const bool releaseFaulted = faulted(r, "ReleaseObject");
    for (const testhost::Violation& v : r.violations)
      if (!(releaseFaulted && v.rule == testhost::HostRule::DrawingObjectKept))
        Finding("host rule broken: " + v.str(), r);

    if (!host_.ledger().balanced(r.serial)) Finding("suites taken and given back differ", r);
    // Every call of the fuzzer's own fabs came through the gate, which recorded it.
    int recorded = 0;
    for (const Call& c : host_.log().ofCommand(r.serial))
      if (c.name == "fabs" && !c.faulted) ++recorded;
    if (gAbsoluteValuesAnswered - answeredBefore_ > recorded)
      Finding("a call of a provided table passed no gate", r);
    // Objects whose release the host failed stay on its books; nothing else may.
    if (releaseFaulted) {
      keptObjects_ = host_.drawObjects().live();
    } else if (host_.drawObjects().live() != keptObjects_) {
      Finding("drawing objects left", r);
    }
    const int held = host_.globalData() && host_.handles().isLive(host_.globalData()) ? 1 : 0;
    if (r.liveHandles != held + orphans_) Finding("handles left", r);

    // The host hands over its global data and list length, and the size of a frame.
    PF_InData expected = inBefore;
    expected.global_data = host_.inData().global_data;
    expected.num_params = host_.inData().num_params;
    expected.width = host_.inData().width;
    expected.height = host_.inData().height;
    expected.extent_hint = host_.inData().extent_hint;
    if (!SameBytes(&expected, &host_.inData(), sizeof expected)) Finding("in_data written", r);

    if ((r.cmd == PF_Cmd_SMART_RENDER || r.cmd == PF_Cmd_SMART_PRE_RENDER) && host_.input()) {
      testhost::World pristine(frame_.width, frame_.height, frame_.depth, frame_.paddingPixels);
      pristine.fillPattern(frame_.seed);
      if (!host_.input()->samePixels(pristine)) Finding("input pixels changed", r);
    }
  }

  Host& host_;
  int answeredBefore_ = 0;
  int orphans_ = 0;
  int keptObjects_ = 0;
  bool paramsReady_ = false;
  bool preRendered_ = false;
  FrameSetup frame_;
};

void Run(const testhost::PluginModule& plugin, Reader& in) {
  Host host(plugin, kEntryPoints[in.byte() % std::size(kEntryPoints)]);
  Session session(host);
  Panels panels;
  ArmFault(in, host);
  session.send([&] { return host.globalSetup(); });
  ArmFault(in, host);
  const CommandResult setup = session.send([&] { return host.paramsSetup(); });
  session.setParamsReady(setup.err == PF_Err_NONE && !setup.escaped &&
                         host.paramCount() == host.declaredNumParams());

  for (int step = 0; step < kMaxSteps && !in.done(); ++step) {
    switch (in.byte() % 14) {
      case 0:
        session.send([&] { return host.about(); });
        break;
      case 1:
        session.send([&] { return host.globalSetup(); });
        break;
      case 2:
        session.send([&] { return host.globalSetdown(); });
        break;
      case 3: {
        const CommandResult r = session.send([&] { return host.paramsSetup(); });
        session.setParamsReady(r.err == PF_Err_NONE &&
                               host.paramCount() == host.declaredNumParams());
        break;
      }
      // The host sends the commands that read parameters only to an instance whose parameter
      // setup succeeded.
      case 4:
        if (session.paramsReady()) session.send([&] { return host.updateParamsUI(); });
        break;
      case 5:
        if (session.paramsReady()) {
          panels.last = ViewEvent(in, panels);
          session.send([&] { return host.event(panels.last); });
        }
        break;
      case 6: {
        const FrameSetup frame = Frame(in);
        session.setFrame(frame);
        session.send([&] { return host.smartPreRender(frame); });
        break;
      }
      // The render of a frame follows its pre-render.
      case 7:
        if (session.preRendered()) {
          const FrameSetup frame = session.frame();
          session.send([&] { return host.smartRender(frame); });
        }
        break;
      case 8:
        if (session.paramsReady()) SetParam(in, host);
        break;
      case 9:
        ArmFault(in, host);
        break;
      case 10:
        SetView(in, panels);
        break;
      case 12:
        if (session.paramsReady()) {
          panels.last = PanelEvent(in, panels);
          session.send([&] { return host.event(panels.last); });
        }
        break;
      case 13:
        AnswerAbsoluteValues(in.number(), host);
        break;
      default: {
        // Selectors the plug-in has no handler for, and the three that read an extra record
        // sent without it.
        static const std::set<PF_Cmd> kSentByOwnSteps = {PF_Cmd_ABOUT, PF_Cmd_GLOBAL_SETUP,
                                                       PF_Cmd_GLOBAL_SETDOWN, PF_Cmd_PARAMS_SETUP,
                                                       PF_Cmd_UPDATE_PARAMS_UI};
        const PF_Cmd cmd = in.i32();
        if (!kSentByOwnSteps.count(cmd)) session.send([&] { return host.send(cmd); });
        break;
      }
    }
  }
}

std::unique_ptr<testhost::PluginModule> gPlugin;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gPlugin = std::make_unique<testhost::PluginModule>(testhost::DefaultPluginPath());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  Run(*gPlugin, in);
  return 0;
}
