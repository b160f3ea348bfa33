// zelfin-host drag: a scripted mouse gesture on Bezier Control's handles.
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "BezierDrag.h"
#include "Commands.h"
#include "Report.h"

namespace zelfin_host {

namespace {

testhost::PanelKind ParsePanel(const std::string& text) {
  if (text == "comp") return testhost::PanelKind::Composition;
  if (text == "layer") return testhost::PanelKind::Layer;
  throw UsageError("--panel must be comp or layer, not '" + text + "'");
}

double ParseZoom(const std::string& text) {
  char* end = nullptr;
  const double zoom = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(zoom) || zoom < 0.01 || zoom > 64) {
    throw UsageError("--zoom must be a number from 0.01 to 64, not '" + text + "'");
  }
  return zoom;
}

int Run(const Arguments& args, std::ostream& out) {
  const testhost::PanelKind panel = ParsePanel(args.value("--panel", "comp"));
  const double zoom = ParseZoom(args.value("--zoom", "1"));
  if (!args.has("--press")) throw UsageError("--press is required: where the mouse goes down");
  testhost::Gesture gesture;
  gesture.press = ParsePanelPoint("--press", args.value("--press", ""));
  for (const std::string& to : args.values("--to"))
    gesture.through.push_back(ParsePanelPoint("--to", to));
  gesture.shift = args.has("--shift");

  const PluginFile plugin = OpenPlugin(args.positionals[0]);
  BezierDrag drag(plugin, panel, zoom);
  for (const std::string& change : args.values("--set")) drag.change(change);

  Title(out, std::string(kBezierEffectName) + ": a drag in the " +
                 (panel == testhost::PanelKind::Composition ? "Composition" : "Layer") + " panel");
  drag.printSetup(out);
  drag.perform(out, gesture, args.value("--before", ""), args.value("--png", ""));
  return kExitDone;
}

}  // namespace

const Command kDragCommand = {
    "drag",
    {"PLUGIN"},
    "Drags Bezier Control's handles with a scripted mouse gesture.",
    {{"--panel", "comp|layer", false, "the Composition panel (default) or the Layer panel"},
     {"--zoom", "Z", false, "the panel's zoom (default 1)"},
     {"--set", "NAME=VALUE", true,
      "set one parameter first, e.g. \"Out Tangent=80,-50\"; repeat --set for each"},
     {"--press", "X,Y", false, "where the mouse button goes down, in panel pixels"},
     {"--to", "X,Y", true, "move the mouse there, button down; repeat --to for each point"},
     {"--shift", "", false, "hold Shift: a tangent keeps its direction"},
     {"--before", "PNG", false, "write the panel before the gesture"},
     {"--png", "PNG", false, "write the panel after the gesture"}},
    "The effect is applied to a 400 x 300 layer whose centre sits at the centre, 320,180, of a\n"
    "640 x 360 Composition panel; in the Layer panel the layer's corner is at 0,0 and its centre\n"
    "at 200,150 (times the zoom). A new effect has its vertex at the layer's centre and both\n"
    "tangents at 0,0, so all three handles sit on the vertex and a press there takes the\n"
    "vertex; give a tangent a length with --set to drag its handle. A press within 15 pixels\n"
    "(across plus down) of a handle takes it; the button is released at the last --to. The\n"
    "handles' positions are printed first, and the gesture's report names the handle taken.\n"
    "Example:\n"
    "  zelfin-host drag ZelfinControls.so --set \"Out Tangent=80,-50\" \\\n"
    "      --press 400,130 --to 420,140 --to 440,160 --png after.png\n",
    Run};

}  // namespace zelfin_host
