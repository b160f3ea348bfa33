// A Composition or Layer panel showing one layer: where the layer sits in the composition (an
// animatable transform), how the panel shows its source (zoom and scroll), the window context
// and event records the host sends with PF_Cmd_EVENT, the four conversion callbacks, and the
// pixels the effect draws into. All conversions pass 16.16 fixed point, as the host's do.
#pragma once

#include "host/host.h"
#include "testhost/panels/Canvas.h"
#include "testhost/core/Fixed.h"
#include "testhost/core/Host.h"

#include <map>
#include <optional>
#include <vector>

namespace testhost {

enum class PanelKind { Composition, Layer };

// Layer to composition: comp = position + rotate(scale * (layer - anchor)). Rotation is in
// degrees, clockwise on screen (y points down); scale is in percent.
struct LayerTransform {
  PointF position{0, 0};
  PointF anchor{0, 0};
  PointF scale{100, 100};
  double rotation = 0;
};

// Source to panel pixels: frame = source * zoom - scroll. The scroll is how far the view has
// been moved over the zoomed source, as the panel's scroll bars measure it: scrolling right or
// down moves the picture left or up, and the source's origin shows at -scroll.
struct FrameView {
  double zoom = 1;
  PointF scroll{0, 0};
};

// A mouse gesture as the user makes it: press, move through points, release.
struct Gesture {
  PF_Point press{0, 0};
  std::vector<PF_Point> through;
  // Where the button comes up; the last point moved through (or the press) when not given.
  std::optional<PF_Point> release;
  bool shift = false;
  // Some hosts send the events after the press as clicks with send_drag still set instead of
  // drag events; the effect must take both for a drag.
  bool continueAsClicks = false;
};

// One event sent to the effect and what came back.
struct EventOutcome {
  CommandResult command;
  PF_EventExtra record{};               // as the effect left it
  std::vector<PF_ParamIndex> changed;  // parameters the effect marked PF_ChangeFlag_CHANGED_VALUE
  bool clean() const { return command.clean() && command.err == PF_Err_NONE; }
};

// What a gesture sent and what came back.
struct GestureResult {
  std::vector<EventOutcome> events;  // the press first
  bool dragged = false;              // the press started a drag
  bool clean() const;
};

class Panel : public DrawingTarget {
 public:
  static constexpr Rgba8 kBackground{40, 40, 40, 255};
  static constexpr Rgba8 kLayerOutline{110, 110, 110, 255};

  // Throws std::invalid_argument for a size that is not positive.
  Panel(PanelKind kind, int width, int height);
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  PanelKind kind() const { return kind_; }
  // The window type the context reports: PF_Window_COMP or PF_Window_LAYER after the kind. Tests
  // set another to send events as from another window (PF_Window_EFFECT, or one the effect does
  // not know); the conversions stay this panel's.
  PF_WindowType windowType() const { return context_.w_type; }
  void setWindowType(PF_WindowType type) { context_.w_type = type; }

  // --- Where the layer is. A transform without keys is the identity; with keys it is
  // interpolated linearly between them and held before the first and after the last.
  void setLayerSize(int width, int height);
  int layerWidth() const { return layerWidth_; }
  int layerHeight() const { return layerHeight_; }
  void setTransform(const LayerTransform& transform);  // one key for all times
  void setTransformAt(double seconds, const LayerTransform& transform);
  LayerTransform transformAt(double seconds) const;
  void setView(const FrameView& view);  // throws std::invalid_argument for a zoom that is not > 0
  const FrameView& view() const { return view_; }

  // The mappings behind the callbacks, in doubles. The inverse ones return nothing for a
  // transform that cannot be inverted (a scale of 0).
  PointF layerToComp(PointF layer, double seconds) const;
  std::optional<PointF> compToLayer(PointF comp, double seconds) const;
  PointF sourceToFrame(PointF source) const;
  PointF frameToSource(PointF frame) const;
  // Layer space to panel pixels at a time, through the composition in the Composition panel.
  PointF layerToPanel(PointF layer, double seconds) const;

  // --- The records. The context handle carries this panel; the callbacks find it by refcon.
  PF_ContextH contextH() { return &contextP_; }
  // A fresh event record for this panel: context, callbacks and refcon filled in, everything
  // else zero. The transform callbacks and the info callbacks are not provided: a call to one is
  // recorded as "unsupported" and reported as a violation.
  PF_EventExtra newEvent(PF_EventType type);
  // The panel an event context belongs to, or null for a context no panel made.
  static Panel* fromContext(PF_ContextH context);

  // --- Drawing. When not drawable, PF_GetDrawingReference yields a null reference. When not
  // painting, every drawing call is recorded and checked but no pixel is painted (what the
  // benchmarks want: the plug-in's part without the host's software painting).
  void setDrawable(bool drawable) { drawable_ = drawable; }
  bool drawable() const override { return drawable_; }
  void setPainting(bool painting) { painting_ = painting; }
  bool painting() const override { return painting_; }
  void paintRect(double left, double top, double width, double height,
                 const ColorF& colour) override {
    canvas_.paintRect(left, top, width, height, colour);
  }
  void strokePolylines(const std::vector<std::vector<PointF>>& polylines, double width,
                       const ColorF& colour) override {
    canvas_.strokePolylines(polylines, width, colour);
  }
  Canvas& canvas() { return canvas_; }
  const Canvas& canvas() const { return canvas_; }
  // Repaints what the host shows under the effect's drawing: the background and, as a thin
  // outline, the layer's bounds at `seconds`.
  void paintBackground(double seconds);

  // --- Sending events through a host, at the host's current time.
  // Sends one event. The parameters reach the effect with no change flags set, as the host hands
  // them over for each event; the flags the effect sets are reported and cleared again.
  EventOutcome send(Host& host, PF_EventExtra event);
  // Repaints the background, then sends PF_Event_DRAW.
  EventOutcome draw(Host& host);
  // A single press, as a click event of one click.
  EventOutcome click(Host& host, PF_Point at, PF_Modifiers modifiers = 0);
  // Runs a whole gesture: a click at the press; when the effect asks for a drag, one event per
  // point moved through and a last one (last_time set) at the release, each handing back the
  // click data the effect left in the record before. The host stops early when the effect
  // clears send_drag or a command fails.
  GestureResult drag(Host& host, const Gesture& gesture);

 private:
  static PF_Err LayerToCompCallback(void* refcon, PF_ContextH context, A_long time,
                                    A_long timeScale, PF_FixedPoint* point);
  static PF_Err CompToLayerCallback(void* refcon, PF_ContextH context, A_long time,
                                    A_long timeScale, PF_FixedPoint* point);
  static PF_Err SourceToFrameCallback(void* refcon, PF_ContextH context, PF_FixedPoint* point);
  static PF_Err FrameToSourceCallback(void* refcon, PF_ContextH context, PF_FixedPoint* point);

  PanelKind kind_;
  int layerWidth_;
  int layerHeight_;
  std::map<double, LayerTransform> keys_;
  FrameView view_;
  bool drawable_ = true;
  bool painting_ = true;
  Canvas canvas_;
  PF_Context context_{};
  PF_Context* contextP_ = &context_;
};

}  // namespace testhost
