// Every command of every effect, run once on a healthy host to learn the host calls it makes, then
// once more per call with that call failing (an error code, a null pointer, a refused suite, a
// std::bad_alloc). Each run must return normally with the result the failure calls for, give back
// every suite under the identity it was taken with, leave no handle or drawing object behind, and
// leave the host's records alone outside what the command may write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plugin_effects.h"

namespace {

using testhost::Call;
using testhost::CallLog;
using testhost::CommandResult;
using testhost::Depth;
using testhost::Fault;
using testhost::FaultSite;
using testhost::FrameSetup;
using testhost::FrameView;
using testhost::Host;
using testhost::LayerTransform;
using testhost::Panel;
using testhost::PanelKind;
using testhost::PointF;
using testhost::Returns;

// What a failing host callback returns in the sweep: a code the plug-in never makes itself, so
// that passing it on is told apart from replacing it.
constexpr PF_Err kHostError = 1234;

struct Effect {
  const char* entryPoint;
  bool vertexEditor;  // draws and drags handles in the Composition and Layer panels
};

constexpr Effect kEffects[] = {
    {"EntryPointFunc_2d", false},    {"EntryPointFunc_3d", false},
    {"EntryPointFunc_camera", false}, {"EntryPointFunc_light", false},
    {"EntryPointFunc_bezier", true},
};

// One effect instance and the panel its events come from.
struct Instance {
  Instance(const testhost::PluginModule& plugin, const char* entryPoint)
      : host(plugin, entryPoint) {}
  Host host;
  std::unique_ptr<Panel> panel = std::make_unique<Panel>(PanelKind::Composition, 64, 48);
  PF_EventExtra event{};               // the event to send; after sending, as the effect left it
  std::vector<PF_ParamIndex> changed;  // the parameters the event marked changed
};

// One command in the state it is sent in. `prepare` runs on a healthy host and leaves every
// record the command sees ready; `send` sends the command alone.
struct Scenario {
  std::string name;
  PF_Cmd cmd;
  std::function<void(Instance&)> prepare;
  std::function<CommandResult(Instance&)> send;
  FrameSetup frame;  // for the two render commands
};

void SetUpEffect(Host& host) {
  host.globalSetup();
  host.paramsSetup();
}

// --- The vertex editor's handles, placed apart so that each can be hit on its own.

struct PanelCase {
  const char* name;
  PanelKind kind;
  LayerTransform transform;
  FrameView view;
};

const PanelCase kPanels[] = {
    {"comp", PanelKind::Composition, {{5, 3}, {0, 0}, {100, 100}, 0}, {2.0, {10, 4}}},
    {"layer", PanelKind::Layer, {}, {2.0, {10, 4}}},
};

std::unique_ptr<Panel> MakePanel(const PanelCase& c) {
  auto panel = std::make_unique<Panel>(c.kind, 64, 48);
  panel->setTransform(c.transform);
  panel->setView(c.view);
  return panel;
}

// Layer-space handle positions (vertex, in-tangent handle, out-tangent handle) in whole pixels.
constexpr PF_Point kHandles[] = {{20, 12}, {10, 12}, {28, 17}};

void PlaceHandles(Host& host) {
  if (host.paramCount() < 4) return;  // no vertex to place
  const PF_Point& v = kHandles[0];
  host.setPoint(1, v.h << 16, v.v << 16);
  for (int k : {1, 2}) {
    host.setPoint(k + 1, (kHandles[k].h - v.h) * 65536, (kHandles[k].v - v.v) * 65536);
  }
}

// Where the panel shows a layer point.
PF_Point PanelPoint(const PanelCase& c, PF_Point layer) {
  const PointF at = MakePanel(c)->layerToPanel({1.0 * layer.h, 1.0 * layer.v}, 0);
  return {static_cast<A_long>(std::lround(at.x)), static_cast<A_long>(std::lround(at.y))};
}

void PrepareVertexEditor(Instance& i, const PanelCase& panel) {
  SetUpEffect(i.host);
  PlaceHandles(i.host);
  i.panel = MakePanel(panel);
}

// A press at `at`, whose record as the effect left it the next event carries on.
void Press(Instance& i, PF_Point at) { i.event = i.panel->click(i.host, at).record; }

CommandResult SendEvent(Instance& i) {
  const testhost::EventOutcome outcome = i.panel->send(i.host, i.event);
  i.event = outcome.record;
  i.changed = outcome.changed;
  return outcome.command;
}

void AddEventScenarios(const Effect& effect, std::vector<Scenario>& out) {
  auto add = [&](std::string name, std::function<void(Instance&)> prepare) {
    out.push_back({std::move(name), PF_Cmd_EVENT, std::move(prepare), SendEvent, {}});
  };
  if (!effect.vertexEditor) {
    add("event draw", [](Instance& i) {
      SetUpEffect(i.host);
      i.event = i.panel->newEvent(PF_Event_DRAW);
    });
    return;
  }
  for (const PanelCase& panel : kPanels) {
    const std::string p = std::string(panel.name) + " ";
    add(p + "draw", [panel](Instance& i) {
      PrepareVertexEditor(i, panel);
      i.event = i.panel->newEvent(PF_Event_DRAW);
      i.event.u.draw.update_rect = {0, 0, 64, 48};
    });
    add(p + "click missing every handle", [panel](Instance& i) {
      PrepareVertexEditor(i, panel);
      i.event = i.panel->newEvent(PF_Event_DO_CLICK);
      i.event.u.do_click.screen_point = {200, 200};
    });
    for (int k = 0; k < 3; ++k) {
      const PF_Point at = PanelPoint(panel, kHandles[k]);
      const PF_Point to = {at.h + 6, at.v - 4};
      const std::string handle = "handle " + std::to_string(k);
      add(p + "click on " + handle, [panel, at](Instance& i) {
        PrepareVertexEditor(i, panel);
        i.event = i.panel->newEvent(PF_Event_DO_CLICK);
        i.event.u.do_click.screen_point = at;
      });
      for (bool last : {false, true}) {
        for (PF_Modifiers mods : {PF_Modifiers{0}, PF_Mod_SHIFT_KEY}) {
          add(p + "drag of " + handle + (last ? ", release" : "") + (mods ? ", shift" : ""),
              [panel, at, to, last, mods](Instance& i) {
                PrepareVertexEditor(i, panel);
                Press(i, at);
                i.event.e_type = PF_Event_DRAG;
                i.event.evt_out_flags = 0;
                i.event.u.do_click.screen_point = to;
                i.event.u.do_click.modifiers = mods;
                i.event.u.do_click.last_time = last;
              });
        }
      }
      // A click that arrives while the drag runs, as some hosts send them: the click data of
      // the press carried over, send_drag still set.
      add(p + "click continuing the drag of " + handle, [panel, at, to](Instance& i) {
        PrepareVertexEditor(i, panel);
        Press(i, at);
        i.event.evt_out_flags = 0;
        i.event.u.do_click.send_drag = 1;
        i.event.u.do_click.screen_point = to;
      });
    }
  }
  add("draw in the Effect Controls panel", [](Instance& i) {
    SetUpEffect(i.host);
    PlaceHandles(i.host);
    i.panel->setWindowType(PF_Window_EFFECT);
    i.event = i.panel->newEvent(PF_Event_DRAW);
  });
}

// UPDATE_PARAMS_UI once as set up and once for every value of every popup (one past each end
// included) and checkbox (2 included) of the registered list, one control at a time.
void AddParamsUIScenarios(const testhost::PluginModule& plugin, const Effect& effect,
                          std::vector<Scenario>& out) {
  auto send = [](Instance& inst) { return inst.host.updateParamsUI(); };
  out.push_back({"update params UI as set up", PF_Cmd_UPDATE_PARAMS_UI,
                 [](Instance& inst) { SetUpEffect(inst.host); }, send, {}});
  Host probe(plugin, effect.entryPoint);
  SetUpEffect(probe);
  for (int i = 1; i < probe.paramCount(); ++i) {
    const PF_ParamDef& p = probe.param(i);
    std::vector<A_long> values;
    if (p.param_type == PF_Param_POPUP) {
      for (A_long v = 0; v <= p.u.pd.num_choices + 1; ++v) values.push_back(v);
    } else if (p.param_type == PF_Param_CHECKBOX) {
      values = {0, 1, 2};
    }
    const bool popup = p.param_type == PF_Param_POPUP;
    for (A_long v : values) {
      out.push_back({"update params UI with parameter " + std::to_string(i) + " = " +
                         std::to_string(v),
                     PF_Cmd_UPDATE_PARAMS_UI,
                     [i, v, popup](Instance& inst) {
                       SetUpEffect(inst.host);
                       if (popup) {
                         inst.host.setPopup(i, v);
                       } else {
                         inst.host.param(i).u.bd.value = static_cast<PF_Boolean>(v);
                       }
                     },
                     send,
                     {}});
    }
  }
}

void AddFrameScenarios(std::vector<Scenario>& out) {
  for (Depth depth : {Depth::Bits8, Depth::Bits16, Depth::Float32}) {
    FrameSetup frame;
    frame.depth = depth;
    frame.width = 12;
    frame.height = 7;
    frame.initialResultRect = {1, 2, 3, 4};
    frame.initialMaxResultRect = {1, 2, 3, 4};
    const std::string d = testhost::DepthName(depth);
    // A healthy pre-render of the same frame first: it sets the host's frame records as the
    // command under test will see them, and declares the checkout the render uses.
    auto prepare = [frame](Instance& inst) {
      SetUpEffect(inst.host);
      inst.host.smartPreRender(frame);
    };
    out.push_back({"smart pre-render " + d, PF_Cmd_SMART_PRE_RENDER, prepare,
                   [frame](Instance& inst) { return inst.host.smartPreRender(frame); }, frame});
    out.push_back({"smart render " + d, PF_Cmd_SMART_RENDER, prepare,
                   [frame](Instance& inst) { return inst.host.smartRender(frame); }, frame});
  }
}

std::vector<Scenario> ScenariosFor(const testhost::PluginModule& plugin, const Effect& effect) {
  auto nothing = [](Instance&) {};
  std::vector<Scenario> s = {
      {"about", PF_Cmd_ABOUT, nothing, [](Instance& inst) { return inst.host.about(); }, {}},
      {"global setup", PF_Cmd_GLOBAL_SETUP, nothing,
       [](Instance& inst) { return inst.host.globalSetup(); }, {}},
      {"global setdown", PF_Cmd_GLOBAL_SETDOWN, [](Instance& inst) { inst.host.globalSetup(); },
       [](Instance& inst) { return inst.host.globalSetdown(); }, {}},
      {"params setup", PF_Cmd_PARAMS_SETUP, [](Instance& inst) { inst.host.globalSetup(); },
       [](Instance& inst) { return inst.host.paramsSetup(); }, {}},
  };
  AddParamsUIScenarios(plugin, effect, s);
  AddEventScenarios(effect, s);
  AddFrameScenarios(s);
  return s;
}

// --- What a failure calls for.

struct Outcome {
  std::optional<PF_Err> result;  // none: any result
  std::string why;
};

bool IsDrawingSuite(const std::string& name) { return name.rfind("DRAWBOT ", 0) == 0; }

// The expected result of a command whose host call `site` failed with `fault`. Unknown calls
// fail the sweep, so that a new host call is given its expectation here.
Outcome Expected(const Scenario& s, const FaultSite& site, const Fault& fault, PF_Err healthy) {
  if (fault.kind == Fault::Kind::ThrowBadAlloc) return {PF_Err_OUT_OF_MEMORY, "host out of memory"};
  const std::string& c = site.call;
  if (c == "AcquireSuite") {
    // The drawing takes its four Drawbot suites through the suite helpers first; without them
    // it draws nothing and the event goes on.
    if (s.cmd == PF_Cmd_EVENT && IsDrawingSuite(site.firstArg) && site.occurrence <= 4)
      return {healthy, "drawing without its suites draws nothing"};
    return {PF_Err_BAD_CALLBACK_PARAM, "a suite the host refuses"};
  }
  if (c == "ReleaseSuite") return {healthy, "the release's result is not looked at"};
  if (c == "host_new_handle") return {PF_Err_INTERNAL_STRUCT_DAMAGED, "no global data handle"};
  if (c == "host_lock_handle") return {PF_Err_NONE, "a handle that cannot be locked"};
  static const char* const kPassedOn[] = {
      "add_param",      "register_ui",           "PF_UpdateParamUI", "AEGP_RegisterWithAEGP",
      "checkout_layer", "checkout_layer_pixels", "checkout_output",  "PF_COPY"};
  for (const char* name : kPassedOn)
    if (c == name) return {fault.code, "the host's error is passed on"};
  // Conversions and drawing calls are not reported: the event is handled all the same.
  static const char* const kNotReported[] = {
      "layer_to_comp", "comp_to_layer", "source_to_frame", "frame_to_source",
      "PF_GetDrawingReference", "GetSurface", "GetSupplier", "NewPath", "NewPen", "NewBrush",
      "MoveTo", "LineTo", "StrokePath", "PaintRect", "ReleaseObject"};
  for (const char* name : kNotReported)
    if (c == name) return {healthy, "not reported to the host"};
  ADD_FAILURE() << "no expectation for a failing " << c << " in " << s.name;
  return {std::nullopt, ""};
}

// The faults a site is swept with. Releases are not thrown from: they run in destructors.
std::vector<Fault> FaultsFor(const FaultSite& site) {
  std::vector<Fault> faults;
  if (site.call == "AcquireSuite") {
    faults = {Fault::fail(testhost::kSuiteNotFound), Fault::null()};
  } else if (site.returns == Returns::Error) {
    faults = {Fault::fail(kHostError)};
  } else if (site.returns == Returns::Pointer) {
    faults = {Fault::null()};
  }
  const bool release = site.call == "ReleaseSuite" || site.call == "ReleaseObject" ||
                       site.call == "host_unlock_handle" || site.call == "host_dispose_handle";
  if (!release) faults.push_back(Fault::throwBadAlloc());
  return faults;
}

// --- The records around one command, and what the command may change in them.

struct Snapshot {
  PF_InData in{};
  std::vector<PF_ParamDef> params;
  PF_EventExtra event{};
  std::vector<unsigned char> globalBlock;
};

Snapshot Take(Instance& inst) {
  Host& h = inst.host;
  Snapshot s;
  std::memcpy(&s.in, &h.inData(), sizeof s.in);
  for (int i = 0; i < h.paramCount(); ++i) s.params.push_back(h.param(i));
  std::memcpy(&s.event, &inst.event, sizeof s.event);
  if (h.globalData() && h.handles().isLive(h.globalData())) {
    const auto* block = static_cast<const unsigned char*>(h.handles().peek(h.globalData()));
    s.globalBlock.assign(block, block + h.handles().size(h.globalData()));
  }
  return s;
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// out_data apart from what the command may write there; out_flags and out_flags2 may only gain
// bits.
void CheckOutData(const Scenario& s, const CommandResult& r) {
  PF_OutData before = r.before;
  PF_OutData after = r.after;
  auto flagsKept = [](auto b, auto a) { return (a & b) == b; };
  EXPECT_TRUE(flagsKept(before.out_flags, after.out_flags)) << "out_flags lost bits";
  EXPECT_TRUE(flagsKept(before.out_flags2, after.out_flags2)) << "out_flags2 lost bits";
  auto allow = [&](auto PF_OutData::*field) { after.*field = before.*field; };
  switch (s.cmd) {
    case PF_Cmd_ABOUT:
      std::memcpy(after.return_msg, before.return_msg, sizeof after.return_msg);
      break;
    case PF_Cmd_GLOBAL_SETUP:
      allow(&PF_OutData::my_version);
      allow(&PF_OutData::out_flags);
      allow(&PF_OutData::out_flags2);
      allow(&PF_OutData::global_data);
      break;
    case PF_Cmd_PARAMS_SETUP:
      allow(&PF_OutData::num_params);
      break;
    case PF_Cmd_UPDATE_PARAMS_UI:
      allow(&PF_OutData::out_flags);
      break;
    case PF_Cmd_EVENT:  // the Drawbot suite helpers report a refused suite there
      allow(&PF_OutData::out_flags);
      std::memcpy(after.return_msg, before.return_msg, sizeof after.return_msg);
      break;
    default:
      break;
  }
  EXPECT_TRUE(SameBytes(before, after)) << "out_data written where the command may not write";
}

// Parameters: an update of the UI changes only names and UI flags (through the host); a drag
// changes only the point it drags, marked as changed; nothing else changes anything.
void CheckParams(const Scenario& s, const Snapshot& before, Instance& inst) {
  Host& h = inst.host;
  if (s.cmd == PF_Cmd_PARAMS_SETUP) return;  // the host starts its list again
  ASSERT_EQ(static_cast<int>(before.params.size()), h.paramCount());
  for (int i = 1; i < h.paramCount(); ++i) {
    PF_ParamDef was = before.params[static_cast<std::size_t>(i)];
    PF_ParamDef now = h.param(i);
    if (s.cmd == PF_Cmd_UPDATE_PARAMS_UI) {
      std::memcpy(now.name, was.name, sizeof now.name);
      now.ui_flags = was.ui_flags;
    }
    const bool marked = std::count(inst.changed.begin(), inst.changed.end(), i) > 0;
    if (s.cmd == PF_Cmd_EVENT && marked && now.param_type == PF_Param_POINT) {
      now.u.td.x_value = was.u.td.x_value;
      now.u.td.y_value = was.u.td.y_value;
    }
    EXPECT_TRUE(SameBytes(was, now)) << "parameter " << i << " changed";
  }
}

// The event record: e_type (a click taken as a drag), evt_out_flags, and for mouse events the
// drag state in the click data.
void CheckEventRecord(const Snapshot& before, const Instance& inst) {
  PF_EventExtra was = before.event;
  PF_EventExtra now = inst.event;
  const bool mouse = was.e_type == PF_Event_DO_CLICK || was.e_type == PF_Event_DRAG;
  if (mouse) {
    now.e_type = was.e_type;
    now.u.do_click.send_drag = was.u.do_click.send_drag;
    std::memcpy(now.u.do_click.continue_refcon, was.u.do_click.continue_refcon,
                sizeof now.u.do_click.continue_refcon);
  }
  now.evt_out_flags = was.evt_out_flags;
  EXPECT_TRUE(SameBytes(was, now)) << "event record written where the event may not write";
}

// Suites: every granted acquisition given back under its own name and version, nothing given
// back that was not taken.
void CheckSuites(Host& h, const CommandResult& r, bool releaseFaulted) {
  EXPECT_TRUE(h.ledger().balanced(r.serial)) << "suites taken and given back differ";
  if (!releaseFaulted) {
    EXPECT_EQ(r.liveSuites, 0);
  }
}

// Drawing objects: every pen, brush and path made is released.
void CheckDrawObjects(Host& h, const CommandResult& r, bool releaseFaulted) {
  int made = 0;
  int released = 0;
  for (const Call& c : h.log().ofCommand(r.serial)) {
    if ((c.name == "NewPath" || c.name == "NewPen" || c.name == "NewBrush") && !c.faulted &&
        c.result == PF_Err_NONE)
      ++made;
    if (c.name == "ReleaseObject") ++released;
  }
  EXPECT_EQ(made, released) << "drawing objects made and released differ";
  if (!releaseFaulted) {
    EXPECT_EQ(h.drawObjects().live(), 0);
  }
}

// Handles: the global data is the only handle left, and it is left only where the host holds it
// (or a setdown could not reach the handle suite to free it).
void CheckHandles(const Scenario& s, Host& h, const CommandResult& r) {
  int expected = h.globalData() && h.handles().isLive(h.globalData()) ? 1 : 0;
  if (s.cmd == PF_Cmd_GLOBAL_SETDOWN && r.err != PF_Err_NONE) expected = 1;
  EXPECT_EQ(r.liveHandles, expected) << "handles left behind";
  if (s.cmd == PF_Cmd_GLOBAL_SETUP && r.err != PF_Err_NONE) {
    EXPECT_EQ(r.after.global_data, r.before.global_data) << "global data of a failed setup";
  }
}

void CheckFrame(const Scenario& s, Host& h, const CommandResult& r) {
  if (s.cmd != PF_Cmd_SMART_PRE_RENDER && s.cmd != PF_Cmd_SMART_RENDER) return;
  testhost::World pristine(s.frame.width, s.frame.height, s.frame.depth, s.frame.paddingPixels);
  pristine.fillPattern(s.frame.seed);
  EXPECT_TRUE(h.input()->samePixels(pristine)) << "input pixels changed";
  if (s.cmd == PF_Cmd_SMART_PRE_RENDER) {
    const PF_PreRenderOutput& out = h.preRenderOutput();
    EXPECT_FALSE(out.solid || out.flags || out.pre_render_data || out.delete_pre_render_data_func);
    if (r.err != PF_Err_NONE) {
      EXPECT_TRUE(SameBytes(out.result_rect, s.frame.initialResultRect));
      EXPECT_TRUE(SameBytes(out.max_result_rect, s.frame.initialMaxResultRect));
    }
  }
}

// What the Parts fix beyond the result for particular failures.
void CheckAfterFailure(const Scenario& s, const FaultSite& site, const Fault& fault,
                       const Instance& inst, const CommandResult& r) {
  const Host& h = inst.host;
  if (fault.throws()) return;
  if (site.call == "add_param") {
    EXPECT_EQ(r.after.num_params, r.before.num_params) << "num_params after a refused parameter";
  }
  if (site.call == "register_ui") {
    EXPECT_EQ(r.after.num_params, h.paramCount()) << "num_params after a refused custom UI";
  }
  if (s.cmd == PF_Cmd_UPDATE_PARAMS_UI) {
    const bool refresh = (r.after.out_flags & PF_OutFlag_REFRESH_UI) != 0;
    if (site.call == "PF_UpdateParamUI") {
      EXPECT_TRUE(refresh) << "no refresh after a failed update";
    }
    if (site.call == "AcquireSuite") {
      EXPECT_FALSE(refresh) << "refresh without the suite";
    }
  }
  const PF_EventExtra& e = inst.event;
  if (s.cmd == PF_Cmd_EVENT && e.e_type == PF_Event_DRAW && r.err == PF_Err_NONE &&
      e.contextH && (*e.contextH)->w_type != PF_Window_EFFECT) {
    EXPECT_EQ(e.evt_out_flags, PF_EO_HANDLED_EVENT) << "a draw not marked handled";
  }
}

bool Faulted(Host& h, const CommandResult& r, const char* call) {
  for (const Call& c : h.log().ofCommand(r.serial))
    if (c.faulted && c.name == call) return true;
  return false;
}

using Check = std::function<void(Instance&, const CommandResult&)>;

// Runs the scenario on a fresh host with `arm` applied after the preparation, checks everything
// that holds whatever fails, then runs `more`.
void RunAndCheck(const testhost::PluginModule& plugin, const Effect& effect, const Scenario& s,
                 const std::function<void(Host&)>& arm, const Check& more) {
  Instance inst(plugin, effect.entryPoint);
  Host& h = inst.host;
  s.prepare(inst);
  arm(h);
  const Snapshot before = Take(inst);
  const CommandResult r = s.send(inst);
  EXPECT_FALSE(r.escaped) << r.exception;
  // A release the host failed leaves its object on the host's books; the plug-in did its part.
  const bool releaseFaulted = Faulted(h, r, "ReleaseObject");
  for (const testhost::Violation& v : r.violations) {
    if (!(releaseFaulted && v.rule == testhost::HostRule::DrawingObjectKept)) {
      ADD_FAILURE() << "violation: " << v.str();
    }
  }
  PF_InData in = before.in;  // the host hands over its current global data and list length
  in.global_data = h.inData().global_data;
  in.num_params = h.inData().num_params;
  EXPECT_TRUE(SameBytes(in, h.inData())) << "in_data written";
  if (s.cmd != PF_Cmd_GLOBAL_SETUP && s.cmd != PF_Cmd_GLOBAL_SETDOWN &&
      !before.globalBlock.empty()) {
    const auto* block = static_cast<const unsigned char*>(h.handles().peek(h.globalData()));
    EXPECT_TRUE(block && std::equal(before.globalBlock.begin(), before.globalBlock.end(), block))
        << "global data written";
  }
  CheckOutData(s, r);
  CheckParams(s, before, inst);
  if (s.cmd == PF_Cmd_EVENT) CheckEventRecord(before, inst);
  CheckSuites(h, r, Faulted(h, r, "ReleaseSuite"));
  CheckDrawObjects(h, r, releaseFaulted);
  CheckHandles(s, h, r);
  CheckFrame(s, h, r);
  more(inst, r);
}

// The calls the command made, addressed from where the command began.
std::vector<FaultSite> SitesOfCommand(const testhost::PluginModule& plugin, const Effect& effect,
                                      const Scenario& s, PF_Err* healthy) {
  Instance inst(plugin, effect.entryPoint);
  s.prepare(inst);
  const CommandResult r = s.send(inst);
  *healthy = r.err;
  CallLog own;
  for (const Call& c : inst.host.log().ofCommand(r.serial)) own.append(c);
  return testhost::FaultSites(own);
}

std::string Describe(const FaultSite& site, const Fault& fault) {
  std::string what = fault.throws() ? "throwing"
                     : site.returns == Returns::Pointer ||
                             (site.call == "AcquireSuite" && fault.code == 0)
                         ? "returning null"
                         : "failing with " + std::to_string(fault.code);
  return site.call + "(" + site.firstArg + ") #" + std::to_string(site.occurrence) + " " + what;
}

class FaultSweep : public ::testing::TestWithParam<Effect> {
 protected:
  const testhost::PluginModule& plugin_ = zelfin_test::Plugin();
};

TEST_P(FaultSweep, EveryHostCallOfEveryCommandFailsCleanly) {
  const Effect& effect = GetParam();
  const std::vector<Scenario> scenarios = ScenariosFor(plugin_, effect);
  int points = 0;
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    RunAndCheck(plugin_, effect, s, [](Host&) {}, [](Instance&, const CommandResult& r) {
      EXPECT_EQ(r.err, PF_Err_NONE) << "on a healthy host";
    });
    PF_Err healthy = PF_Err_NONE;
    for (const FaultSite& site : SitesOfCommand(plugin_, effect, s, &healthy)) {
      for (const Fault& fault : FaultsFor(site)) {
        SCOPED_TRACE(Describe(site, fault));
        ++points;
        const Outcome want = Expected(s, site, fault, healthy);
        RunAndCheck(
            plugin_, effect, s,
            [&](Host& h) { h.faults().failAt(site.call, site.occurrence, fault); },
            [&](Instance& inst, const CommandResult& r) {
              EXPECT_EQ(inst.host.faults().hits(), 1) << "the fault did not strike";
              if (want.result) {
                EXPECT_EQ(r.err, *want.result) << want.why;
              }
              CheckAfterFailure(s, site, fault, inst, r);
            });
      }
    }
  }
  std::cout << "fault sweep of " << effect.entryPoint << ": " << scenarios.size()
            << " commands, " << points << " fault points\n";
}

INSTANTIATE_TEST_SUITE_P(AllEffects, FaultSweep, ::testing::ValuesIn(kEffects),
                         [](const ::testing::TestParamInfo<Effect>& info) {
                           return std::string(info.param.entryPoint).substr(15);
                         });

}  // namespace
