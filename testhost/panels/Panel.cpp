#include "testhost/panels/Panel.h"

#include "testhost/core/HostFunctions.h"

#include <cmath>
#include <iterator>
#include <stdexcept>
#include <string>

namespace testhost {

using detail::Arg;

namespace {

constexpr double kPi = 3.14159265358979323846;

LayerTransform Mix(const LayerTransform& a, const LayerTransform& b, double t) {
  auto mix = [t](double x, double y) { return x + (y - x) * t; };
  auto mixPoint = [&](PointF p, PointF q) { return PointF{mix(p.x, q.x), mix(p.y, q.y)}; };
  return {mixPoint(a.position, b.position), mixPoint(a.anchor, b.anchor),
          mixPoint(a.scale, b.scale), mix(a.rotation, b.rotation)};
}

double Seconds(A_long time, A_long timeScale) {
  return timeScale == 0 ? 0.0 : static_cast<double>(time) / timeScale;
}

// Lets a conversion callback in through the gate: false when it is not to convert, the call
// answered (a fault, a breach, arguments that are not this panel's). Without a host, as in the
// plug-in's unit tests, the panel converts all the same.
bool Admitted(HostCall& call, void* refcon, PF_ContextH context, const PF_FixedPoint* point) {
  if (call.host() && !call.proceeds()) return false;
  if (!point) {
    call.refuse(HostRule::NullArgument, std::string(call.name()) + " with a null point");
    return false;
  }
  Panel* panel = static_cast<Panel*>(refcon);
  if (!panel || context != panel->contextH()) {
    call.refuse(HostRule::NotThisEventsContext,
                std::string(call.name()) + " with a refcon or context that is not the panel's");
    return false;
  }
  return true;
}

PF_FixedPoint ToFixedPoint(PointF p) { return {ToFixed(p.x), ToFixed(p.y)}; }
PointF FromFixedPoint(const PF_FixedPoint& p) { return {FromFixed(p.x), FromFixed(p.y)}; }

}  // namespace

bool GestureResult::clean() const {
  for (const EventOutcome& e : events) {
    if (!e.clean()) return false;
  }
  return true;
}

Panel::Panel(PanelKind kind, int width, int height)
    : kind_(kind), layerWidth_(width), layerHeight_(height), canvas_(width, height, kBackground) {
  standBehind(context_);
  context_.w_type = kind == PanelKind::Composition ? PF_Window_COMP : PF_Window_LAYER;
}

void Panel::setLayerSize(int width, int height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("layer size must be positive");
  layerWidth_ = width;
  layerHeight_ = height;
}

void Panel::setTransform(const LayerTransform& transform) {
  keys_.clear();
  keys_[0] = transform;
}

void Panel::setTransformAt(double seconds, const LayerTransform& transform) {
  keys_[seconds] = transform;
}

LayerTransform Panel::transformAt(double seconds) const {
  if (keys_.empty()) return {};
  auto after = keys_.lower_bound(seconds);
  if (after == keys_.begin()) return after->second;
  if (after == keys_.end()) return std::prev(after)->second;
  if (after->first == seconds) return after->second;
  auto before = std::prev(after);
  return Mix(before->second, after->second,
             (seconds - before->first) / (after->first - before->first));
}

void Panel::setView(const FrameView& view) {
  if (!(view.zoom > 0)) throw std::invalid_argument("zoom must be positive");
  view_ = view;
}

PointF Panel::layerToComp(PointF layer, double seconds) const {
  const LayerTransform t = transformAt(seconds);
  const double x = (layer.x - t.anchor.x) * t.scale.x / 100;
  const double y = (layer.y - t.anchor.y) * t.scale.y / 100;
  const double a = t.rotation * kPi / 180;
  return {t.position.x + x * std::cos(a) - y * std::sin(a),
          t.position.y + x * std::sin(a) + y * std::cos(a)};
}

std::optional<PointF> Panel::compToLayer(PointF comp, double seconds) const {
  const LayerTransform t = transformAt(seconds);
  if (t.scale.x == 0 || t.scale.y == 0) return std::nullopt;
  const double dx = comp.x - t.position.x;
  const double dy = comp.y - t.position.y;
  const double a = t.rotation * kPi / 180;
  const double x = dx * std::cos(a) + dy * std::sin(a);
  const double y = -dx * std::sin(a) + dy * std::cos(a);
  return PointF{t.anchor.x + x * 100 / t.scale.x, t.anchor.y + y * 100 / t.scale.y};
}

PointF Panel::sourceToFrame(PointF source) const {
  return {source.x * view_.zoom - view_.scroll.x, source.y * view_.zoom - view_.scroll.y};
}

PointF Panel::frameToSource(PointF frame) const {
  return {(frame.x + view_.scroll.x) / view_.zoom, (frame.y + view_.scroll.y) / view_.zoom};
}

PointF Panel::layerToPanel(PointF layer, double seconds) const {
  return sourceToFrame(kind_ == PanelKind::Composition ? layerToComp(layer, seconds) : layer);
}

PF_EventExtra Panel::newEvent(PF_EventType type) {
  PF_EventExtra event{};
  event.contextH = contextH();
  event.e_type = type;
  // One aggregate, every member in declaration order, as the host's own tables are filled.
  event.cbs = PF_EventCallbacks{
      this,
      &LayerToCompCallback,
      &CompToLayerCallback,
      detail::kNotProvided,  // get_comp2layer_xform
      detail::kNotProvided,  // get_layer2comp_xform
      &SourceToFrameCallback,
      &FrameToSourceCallback,
      detail::kNotProvided,  // info_draw_color
      detail::kNotProvided,  // info_draw_text
  };
  return event;
}

Panel* Panel::fromContext(PF_ContextH context) {
  // Panels are the only drawing targets that hand out event records.
  return static_cast<Panel*>(DrawingTarget::fromContext(context));
}

void Panel::paintBackground(double seconds) {
  canvas_.clear(kBackground);
  const PointF corners[] = {{0, 0},
                            {static_cast<double>(layerWidth_), 0},
                            {static_cast<double>(layerWidth_), static_cast<double>(layerHeight_)},
                            {0, static_cast<double>(layerHeight_)},
                            {0, 0}};
  std::vector<PointF> outline;
  for (PointF corner : corners) outline.push_back(layerToPanel(corner, seconds));
  const ColorF grey{kLayerOutline.r / 255.0f, kLayerOutline.g / 255.0f, kLayerOutline.b / 255.0f,
                    1};
  canvas_.strokePolylines({outline}, 1.0, grey);
}

PF_Err Panel::LayerToCompCallback(void* refcon, PF_ContextH context, A_long time, A_long timeScale,
                                  PF_FixedPoint* point) {
  HostCall call(contracts::kLayerToComp,
                [&] { return CallArgs{Arg(point), Arg(time), Arg(timeScale)}; });
  if (!Admitted(call, refcon, context, point)) return call.result<PF_Err>();
  const Panel* panel = static_cast<Panel*>(refcon);
  *point = ToFixedPoint(panel->layerToComp(FromFixedPoint(*point), Seconds(time, timeScale)));
  return call.finish(PF_Err_NONE);
}

PF_Err Panel::CompToLayerCallback(void* refcon, PF_ContextH context, A_long time, A_long timeScale,
                                  PF_FixedPoint* point) {
  HostCall call(contracts::kCompToLayer,
                [&] { return CallArgs{Arg(point), Arg(time), Arg(timeScale)}; });
  if (!Admitted(call, refcon, context, point)) return call.result<PF_Err>();
  const Panel* panel = static_cast<Panel*>(refcon);
  const std::optional<PointF> layer =
      panel->compToLayer(FromFixedPoint(*point), Seconds(time, timeScale));
  if (!layer) return call.finish(PF_Err_BAD_CALLBACK_PARAM);
  *point = ToFixedPoint(*layer);
  return call.finish(PF_Err_NONE);
}

PF_Err Panel::SourceToFrameCallback(void* refcon, PF_ContextH context, PF_FixedPoint* point) {
  HostCall call(contracts::kSourceToFrame, [&] { return CallArgs{Arg(point)}; });
  if (!Admitted(call, refcon, context, point)) return call.result<PF_Err>();
  *point = ToFixedPoint(static_cast<Panel*>(refcon)->sourceToFrame(FromFixedPoint(*point)));
  return call.finish(PF_Err_NONE);
}

PF_Err Panel::FrameToSourceCallback(void* refcon, PF_ContextH context, PF_FixedPoint* point) {
  HostCall call(contracts::kFrameToSource, [&] { return CallArgs{Arg(point)}; });
  if (!Admitted(call, refcon, context, point)) return call.result<PF_Err>();
  *point = ToFixedPoint(static_cast<Panel*>(refcon)->frameToSource(FromFixedPoint(*point)));
  return call.finish(PF_Err_NONE);
}

EventOutcome Panel::send(Host& host, PF_EventExtra event) {
  // The definitions keep their ids; the records of an event carry change flags in their place.
  std::vector<A_long> ids;
  for (int i = 0; i < host.paramCount(); ++i) {
    ids.push_back(host.param(i).uu.id);
    host.param(i).uu.change_flags = 0;
  }
  EventOutcome outcome;
  outcome.command = host.event(event);
  outcome.record = event;
  for (int i = 0; i < host.paramCount(); ++i) {
    if (host.param(i).uu.change_flags & PF_ChangeFlag_CHANGED_VALUE) outcome.changed.push_back(i);
    host.param(i).uu.id = ids[static_cast<std::size_t>(i)];
  }
  return outcome;
}

EventOutcome Panel::draw(Host& host) {
  const PF_InData& in = host.inData();
  paintBackground(Seconds(in.current_time, static_cast<A_long>(in.time_scale)));
  PF_EventExtra event = newEvent(PF_Event_DRAW);
  event.u.draw.update_rect = {0, 0, canvas_.width(), canvas_.height()};
  return send(host, event);
}

EventOutcome Panel::click(Host& host, PF_Point at, PF_Modifiers modifiers) {
  PF_EventExtra event = newEvent(PF_Event_DO_CLICK);
  event.u.do_click.screen_point = at;
  event.u.do_click.num_clicks = 1;
  event.u.do_click.modifiers = modifiers;
  return send(host, event);
}

GestureResult Panel::drag(Host& host, const Gesture& gesture) {
  GestureResult result;
  const PF_Modifiers modifiers = gesture.shift ? PF_Mod_SHIFT_KEY : 0;
  result.events.push_back(click(host, gesture.press, modifiers));
  if (!result.events.back().clean() || !result.events.back().record.u.do_click.send_drag) {
    return result;
  }
  result.dragged = true;

  std::vector<PF_Point> moves = gesture.through;
  moves.push_back(gesture.release ? *gesture.release
                                  : (moves.empty() ? gesture.press : moves.back()));
  for (std::size_t i = 0; i < moves.size(); ++i) {
    // The click data comes back as the effect left it; the host updates only the mouse.
    PF_EventExtra event = result.events.back().record;
    event.e_type = gesture.continueAsClicks ? PF_Event_DO_CLICK : PF_Event_DRAG;
    event.evt_out_flags = 0;
    event.u.do_click.screen_point = moves[i];
    event.u.do_click.modifiers = modifiers;
    event.u.do_click.last_time = i + 1 == moves.size();
    result.events.push_back(send(host, event));
    if (!result.events.back().clean() || !result.events.back().record.u.do_click.send_drag) break;
  }
  return result;
}

}  // namespace testhost
