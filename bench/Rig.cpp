#include "Rig.h"

#include <cmath>
#include <stdexcept>

#include "testhost/scenarios/BezierSession.h"

namespace bench {
namespace {

// How far a drag event moves the pointer from the handle, in panel pixels.
constexpr A_long kDragReach = 6;

// The shim in front of the entry point: keeps the extra records of the two render commands.
struct Shim {
  PF_EntryFunc target = nullptr;
  void* preRenderExtra = nullptr;
  void* renderExtra = nullptr;
};
Shim gShim;
bool gRigAlive = false;

PF_Err ShimEntry(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                 PF_LayerDef* output, void* extra) {
  if (cmd == PF_Cmd_SMART_PRE_RENDER) gShim.preRenderExtra = extra;
  if (cmd == PF_Cmd_SMART_RENDER) gShim.renderExtra = extra;
  return gShim.target(cmd, in_data, out_data, params, output, extra);
}

}  // namespace

const char* SubjectName(Subject subject) {
  return subject == Subject::Plugin ? "plug-in" : "null plug-in";
}

const testhost::PluginModule& Module(Subject subject) {
  static const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  static const testhost::PluginModule null(ZELFIN_NULL_PLUGIN_PATH);
  return subject == Subject::Plugin ? plugin : null;
}

Rig::Rig(Subject subject, const std::string& entryPoint)
    : subject_(subject), entry_(Module(subject).entryPoint(entryPoint)) {
  if (gRigAlive) throw std::logic_error("Rig: another rig is alive");
  gRigAlive = true;
  gShim = Shim{entry_, nullptr, nullptr};
  host_ = std::make_unique<testhost::Host>(&ShimEntry);
}

Rig::~Rig() {
  host_.reset();
  gShim = Shim{};
  gRigAlive = false;
}

const void* Rig::pluginCode() const {
  return subject_ == Subject::Plugin ? reinterpret_cast<const void*>(entry_) : nullptr;
}

std::string Rig::prepareFrame(const testhost::FrameSetup& setup) {
  const testhost::FrameResult frame = host_->renderFrame(setup);
  if (std::string p = Problem(frame.preRender); !p.empty()) return "pre-render: " + p;
  if (!frame.rendered) return "no render after the pre-render";
  if (std::string p = Problem(frame.render); !p.empty()) return "render: " + p;
  // The null plug-in leaves the output as the host poisoned it.
  if (subject_ == Subject::Plugin && !frame.identical)
    return "output differs from input: " + frame.difference.value_or("");
  preRenderExtra_ = gShim.preRenderExtra;
  renderExtra_ = gShim.renderExtra;
  return {};
}

testhost::CommandResult Rig::preRender() {
  return host_->send(PF_Cmd_SMART_PRE_RENDER, preRenderExtra_);
}

testhost::CommandResult Rig::render() { return host_->send(PF_Cmd_SMART_RENDER, renderExtra_); }

void Rig::showPanel() {
  const testhost::BezierSessionSetup view;
  panel_ = std::make_unique<testhost::Panel>(view.panel, view.panelWidth, view.panelHeight);
  panel_->setLayerSize(view.layerWidth, view.layerHeight);
  panel_->setTransform(view.transform);
  panel_->setView(view.view);
  panel_->setPainting(false);
  PF_InData& in = host_->inData();
  in.width = view.layerWidth;
  in.height = view.layerHeight;
  in.extent_hint = {0, 0, view.layerWidth, view.layerHeight};
  for (int i = 1; i < host_->paramCount(); ++i) {
    const PF_ParamDef& p = host_->param(i);
    if (p.param_type != PF_Param_POINT) continue;
    host_->setPoint(i, testhost::ToFixed(testhost::FromFixed(p.u.td.x_dephault) * in.width / 100),
                    testhost::ToFixed(testhost::FromFixed(p.u.td.y_dephault) * in.height / 100));
  }
}

PF_Point Rig::handle() {
  for (int i = 1; i < host_->paramCount(); ++i) {
    const PF_ParamDef& p = host_->param(i);
    if (p.param_type != PF_Param_POINT) continue;
    const testhost::PointF at = panel_->layerToPanel(
        {testhost::FromFixed(p.u.td.x_value), testhost::FromFixed(p.u.td.y_value)}, 0);
    return {static_cast<A_long>(std::lround(at.x)), static_cast<A_long>(std::lround(at.y))};
  }
  return {panel_->canvas().width() / 2, panel_->canvas().height() / 2};
}

testhost::CommandResult Rig::drawEvent() {
  PF_EventExtra event = panel_->newEvent(PF_Event_DRAW);
  event.u.draw.update_rect = {0, 0, panel_->canvas().width(), panel_->canvas().height()};
  return panel_->send(*host_, event).command;
}

testhost::CommandResult Rig::click() { return panel_->click(*host_, handle()).command; }

std::string Rig::startDrag() {
  const testhost::EventOutcome press = panel_->click(*host_, handle());
  dragRecord_ = press.record;
  drags_ = 0;
  return Problem(press.command);
}

testhost::CommandResult Rig::dragEvent() {
  // The click data goes back as the effect left it; the host changes only the mouse.
  PF_EventExtra event = dragRecord_;
  event.e_type = PF_Event_DRAG;
  event.evt_out_flags = 0;
  event.u.do_click.screen_point = handle();
  event.u.do_click.screen_point.h += (drags_++ % 2 == 0) ? kDragReach : -kDragReach;
  event.u.do_click.last_time = false;
  testhost::EventOutcome outcome = panel_->send(*host_, event);
  dragRecord_ = outcome.record;
  return outcome.command;
}

std::string Problem(const testhost::CommandResult& result) {
  if (result.clean() && result.err == PF_Err_NONE) return {};
  return result.describe();
}

}  // namespace bench
