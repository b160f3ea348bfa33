#include "testhost/scenarios/BezierSession.h"

#include "testhost/panels/EffectControls.h"

namespace testhost {
namespace {

void Require(const EventOutcome& outcome, const char* what) {
  if (!outcome.clean()) throw SessionError(std::string(what) + ": " + outcome.command.describe());
}

void Require(const CommandResult& result, const char* what) {
  if (!result.clean() || result.err != PF_Err_NONE) {
    throw SessionError(std::string(what) + ": " + result.describe());
  }
}

}  // namespace

BezierSession::BezierSession(const PluginModule& plugin, const BezierSessionSetup& setup)
    : host_(std::make_unique<Host>(plugin, kEntryPoint)),
      layerWidth_(setup.layerWidth),
      layerHeight_(setup.layerHeight) {
  panel_ = std::make_unique<Panel>(setup.panel, setup.panelWidth, setup.panelHeight);
  panel_->setLayerSize(setup.layerWidth, setup.layerHeight);
  panel_->setTransform(setup.transform);
  panel_->setView(setup.view);
  host_->inData().width = setup.layerWidth;
  host_->inData().height = setup.layerHeight;
  host_->inData().extent_hint = {0, 0, setup.layerWidth, setup.layerHeight};
  const std::vector<CommandResult> sent = ApplyEffect(*host_);
  try {
    for (const CommandResult& result : sent) Require(result, "applying the effect");
  } catch (...) {
    // The destructor will not run: an effect that got through global setup is set down here.
    if (sent.front().err == PF_Err_NONE && !sent.front().escaped) host_->globalSetdown();
    throw;
  }
  PlacePointDefaults(*host_);
}

BezierSession::~BezierSession() { host_->globalSetdown(); }

void BezierSession::showPanel(PanelKind kind, const LayerTransform& transform,
                              const FrameView& view) {
  auto panel = std::make_unique<Panel>(kind, panel_->canvas().width(), panel_->canvas().height());
  panel->setLayerSize(layerWidth_, layerHeight_);
  panel->setTransform(transform);
  panel->setView(view);
  panel_ = std::move(panel);
}

void BezierSession::setTime(A_long time) { host_->inData().current_time = time; }

double BezierSession::seconds() {
  const PF_InData& in = host_->inData();
  return in.time_scale == 0 ? 0.0 : static_cast<double>(in.current_time) / in.time_scale;
}

EventOutcome BezierSession::draw() {
  EventOutcome outcome = panel_->draw(*host_);
  Require(outcome, "draw");
  return outcome;
}

void BezierSession::writePng(const std::string& path) {
  draw();
  panel_->canvas().writePng(path);
}

GestureResult BezierSession::drag(const Gesture& gesture) {
  GestureResult result = panel_->drag(*host_, gesture);
  for (const EventOutcome& e : result.events) Require(e, "drag");
  return result;
}

PointF BezierSession::value(Param which) {
  const PF_ParamDef& p = host_->param(which);
  return {FromFixed(p.u.td.x_value), FromFixed(p.u.td.y_value)};
}

void BezierSession::setValue(Param which, PointF value) {
  host_->setPoint(which, ToFixed(value.x), ToFixed(value.y));
}

PointF BezierSession::handleInPanel(Param which) {
  PointF at = vertex();
  if (which != kVertex) {
    const PointF offset = value(which);
    at = {at.x + offset.x, at.y + offset.y};
  }
  return panel_->layerToPanel(at, seconds());
}

}  // namespace testhost
