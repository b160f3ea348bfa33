// "Bezier Control" on a layer shown in the Composition or Layer panel, driven by scripted mouse
// gestures, with a report of where the handles are, what a gesture changed, and pictures of the
// panel.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "PluginFile.h"
#include "testhost/scenarios/BezierSession.h"

namespace zelfin_host {

constexpr const char* kBezierEffectName = "Bezier Control";

// Parses "X,Y" in whole panel pixels; throws UsageError naming the option.
PF_Point ParsePanelPoint(const std::string& option, const std::string& text);

class BezierDrag {
 public:
  // Applies the plug-in's "Bezier Control" to a 400 x 300 layer. In the Composition panel
  // (640 x 360) the layer's centre sits at the panel's centre, (320, 180), under `transform`'s
  // rotation and scale; in the Layer panel the layer's origin is the panel's, times the zoom.
  // Throws ToolError when the plug-in does not declare the effect or the effect fails.
  BezierDrag(const PluginFile& plugin, testhost::PanelKind panel, double zoom,
             double rotation = 0, double scale = 100);

  // A value typed in the Effect Controls panel ("Out Tangent=60,-40"), followed by the update
  // the host sends when the effect asked for one. Throws ToolError.
  void change(const std::string& assignment);

  // Where a handle is drawn, in panel pixels, rounded.
  PF_Point handle(testhost::BezierSession::Param which);

  // The panel, the changes made so far, and where each handle is.
  void printSetup(std::ostream& out);

  // Runs the gesture and prints what it did: the events, whether the press took a handle, the
  // parameters before and after. Writes the panel before and after where paths are given.
  // Returns the names of the parameters whose values changed. Throws ToolError.
  std::vector<std::string> perform(std::ostream& out, const testhost::Gesture& gesture,
                                   const std::string& beforePng, const std::string& afterPng);

 private:
  void writePng(const std::string& path);

  const testhost::PluginModule& module_;
  testhost::PanelKind panelKind_;
  double zoom_;
  double rotation_;
  double scale_;
  std::unique_ptr<testhost::BezierSession> session_;
  std::vector<std::string> changes_;
};

}  // namespace zelfin_host
