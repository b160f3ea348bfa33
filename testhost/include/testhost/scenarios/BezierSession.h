// "Bezier Control" applied to one layer and shown in one panel: what a user does with the
// on-screen vertex editor, in calls. Used by the tests and by the command-line host.
//
//     testhost::PluginModule plugin(path);
//     testhost::BezierSession session(plugin, {});        // applied; vertex at the layer's centre
//     session.showPanel(testhost::PanelKind::Composition, transform, view);
//     session.writePng("before.png");                     // draws, then writes the panel
//     session.drag({{960, 540}, {{980, 560}}, std::nullopt, /*shift*/ false});
//     testhost::PointF vertex = session.vertex();         // layer pixels
#pragma once

#include "testhost/core/Host.h"
#include "testhost/panels/Panel.h"
#include "testhost/loader/PluginModule.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace testhost {

// A step of the session the effect did not accept; the message says which and why.
class SessionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BezierSessionSetup {
  int layerWidth = 400;
  int layerHeight = 300;
  PanelKind panel = PanelKind::Composition;
  int panelWidth = 640;
  int panelHeight = 360;
  LayerTransform transform{{320, 180}, {200, 150}, {100, 100}, 0};
  FrameView view{};
};

class BezierSession {
 public:
  static constexpr const char* kEntryPoint = "EntryPointFunc_bezier";
  enum Param { kVertex = 1, kInTangent = 2, kOutTangent = 3 };

  // Loads the effect's entry point and applies it: global setup and parameter setup, after which
  // the point parameters hold their defaults (percentages of the layer's size) in layer pixels,
  // as the host stores them. Throws SessionError when a step fails.
  BezierSession(const PluginModule& plugin, const BezierSessionSetup& setup);
  // Sends global setdown.
  ~BezierSession();
  BezierSession(const BezierSession&) = delete;
  BezierSession& operator=(const BezierSession&) = delete;

  Host& host() { return *host_; }
  Panel& panel() { return *panel_; }

  // Shows the layer in a new panel of that kind (same canvas size).
  void showPanel(PanelKind kind, const LayerTransform& transform, const FrameView& view);
  // The host's current time, in frames of its time scale.
  void setTime(A_long time);

  // Draws the effect's handles into the panel; throws SessionError when the event fails.
  EventOutcome draw();
  // Draws, then writes the panel as a PNG file.
  void writePng(const std::string& path);
  // Runs a gesture; throws SessionError when one of its events fails.
  GestureResult drag(const Gesture& gesture);

  // Parameter values in layer pixels: the vertex is a position, the tangents are offsets from it.
  PointF vertex() { return value(kVertex); }
  PointF inTangent() { return value(kInTangent); }
  PointF outTangent() { return value(kOutTangent); }
  // Where the handles are drawn, in panel pixels, at the current time.
  PointF handleInPanel(Param which);
  void setValue(Param which, PointF value);

 private:
  PointF value(Param which);
  double seconds();

  std::unique_ptr<Host> host_;
  std::unique_ptr<Panel> panel_;
  int layerWidth_;
  int layerHeight_;
};

}  // namespace testhost
