// zelfin-host session: the tour of the whole plug-in in the stand-in host. Every effect listed,
// each Effect Controls panel before and after one change, a frame through every effect at each
// pixel depth, and one drag of a Bezier Control handle with pictures of the panel.
#include <chrono>
#include <filesystem>
#include <ostream>

#include "AppliedEffect.h"
#include "BezierDrag.h"
#include "Commands.h"
#include "ControlsReport.h"
#include "Frame.h"
#include "Listing.h"
#include "Report.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/loader/PluginFileCheck.h"

namespace zelfin_host {

namespace {

namespace fs = std::filesystem;

// The changes shown for each effect, each on a freshly applied instance: the switch or popup
// that its rules follow.
struct PanelChange {
  const char* effect;
  const char* change;
};
constexpr PanelChange kPanelChanges[] = {
    {"Transform Control", "Uniform Scaling=on"},
    {"3D Transform Control", "Uniform Scaling=on"},
    {"Camera Control", "Camera Type=Two-Node"},
    {"Light Control", "Light Type=Spot"},
    {"Light Control", "Light Type=Ambient"},
    {"Bezier Control", "Out Tangent=80,-50"},
};

std::vector<const char*> ChangesFor(const std::string& effect) {
  std::vector<const char*> changes;
  for (const PanelChange& c : kPanelChanges) {
    if (effect == c.effect) changes.push_back(c.change);
  }
  return changes;
}

constexpr testhost::Depth kDepths[] = {testhost::Depth::Bits8, testhost::Depth::Bits16,
                                       testhost::Depth::Float32};
constexpr int kFrameWidth = 64;
constexpr int kFrameHeight = 48;

// The Bezier drag: the vertex with two opposite tangents on a turned, shrunk layer; the
// out-tangent handle is pulled down and to the right through three moves.
constexpr double kLayerRotation = 15;
constexpr double kLayerScale = 90;
constexpr const char* kTangents[] = {"In Tangent=-80,50", "Out Tangent=80,-50"};
constexpr PF_Point kPull[] = {{20, 15}, {45, 40}, {60, 70}};

std::size_t TourPanels(std::ostream& out, const PluginFile& plugin) {
  std::size_t shown = 0;
  for (const DeclaredEffect& effect : plugin.effects) {
    for (const char* change : ChangesFor(effect.name)) {
      AppliedEffect applied(plugin, effect);
      const std::vector<testhost::ControlRow> before = testhost::DescribeControls(applied.host());
      Section(out, testhost::EscapedText(effect.name) + ": set " + change);
      applied.change(change);
      PrintControlsChange(out, before, testhost::DescribeControls(applied.host()));
      ++shown;
    }
  }
  return shown;
}

// Returns the number of frames whose output differs from their input.
std::size_t TourRendering(std::ostream& out, const PluginFile& plugin) {
  out << "  a " << kFrameWidth << " x " << kFrameHeight
      << " picture of colour ramps under a soft alpha edge, through smart pre-render and render;\n"
         "  each output buffer compared with its input pixel for pixel\n\n";
  const testhost::RgbaImage picture = TestPicture(kFrameWidth, kFrameHeight);
  std::size_t differing = 0;
  Table table;
  std::vector<std::string> header{"effect"};
  for (testhost::Depth depth : kDepths) header.push_back(testhost::DepthName(depth));
  table.row(header);
  for (const DeclaredEffect& effect : plugin.effects) {
    AppliedEffect applied(plugin, effect);
    std::vector<std::string> row{testhost::EscapedText(effect.name)};
    for (testhost::Depth depth : kDepths) {
      const RenderOutcome outcome = RenderImage(applied.host(), picture, depth);
      RequireSuccess(effect, "smart pre-render", outcome.preRender);
      RequireSuccess(effect, "smart render", outcome.render);
      row.push_back(outcome.identical ? "output = input" : "DIFFERS: " + *outcome.difference);
      if (!outcome.identical) ++differing;
    }
    table.row(row);
  }
  table.print(out);
  return differing;
}

std::vector<std::string> TourDrag(std::ostream& out, const PluginFile& plugin,
                                  const fs::path& dir) {
  BezierDrag drag(plugin, testhost::PanelKind::Composition, 1.0, kLayerRotation, kLayerScale);
  for (const char* change : kTangents) drag.change(change);
  drag.printSetup(out);
  testhost::Gesture gesture;
  gesture.press = drag.handle(testhost::BezierSession::kOutTangent);
  for (const PF_Point& step : kPull) {
    gesture.through.push_back({gesture.press.h + step.h, gesture.press.v + step.v});
  }
  const std::string before = (dir / "bezier-before.png").string();
  const std::string after = (dir / "bezier-after.png").string();
  drag.perform(out, gesture, before, after);
  return {before, after};
}

int Run(const Arguments& args, std::ostream& out) {
  const auto start = std::chrono::steady_clock::now();
  const fs::path dir = args.value("--out", "session");
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) {
    throw ToolError("cannot make the folder " + dir.string() + " for the pictures" +
                    (ec ? ": " + ec.message() : ""));
  }
  const PluginFile plugin = OpenPlugin(args.positionals[0]);
  LoadedModule(plugin);

  Title(out, "ZelfinControls in the stand-in host");
  out << "  plug-in   " << plugin.path << "\n"
      << "  pictures  " << dir.string() << "\n";

  out << "\n";
  Title(out, "1. The effects the plug-in declares");
  PrintEffects(out, plugin);
  out << "\n";
  const std::size_t warnings = PrintGlobalSetupCheck(out, plugin);

  out << "\n";
  Title(out, "2. Effect Controls, before and after one change (* marks what changed)");
  const std::size_t panels = TourPanels(out, plugin);

  out << "\n";
  Title(out, "3. Rendering at 8, 16 and 32 bits per channel");
  const std::size_t differing = TourRendering(out, plugin);

  out << "\n";
  Title(out, "4. Dragging Bezier Control's out-tangent handle");
  const std::vector<std::string> pictures = TourDrag(out, plugin, dir);

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  out << "\n";
  Title(out, "Summary");
  Table summary;
  summary.row({"effects", std::to_string(plugin.effects.size()) + " listed, " +
                              std::to_string(warnings) + " warnings from global setup"});
  summary.row({"panels", std::to_string(panels) + " shown before and after a change"});
  summary.row({"frames", std::to_string(plugin.effects.size() * std::size(kDepths)) +
                             " rendered, " + std::to_string(differing) + " differing from input"});
  summary.row({"pictures", pictures[0]});
  summary.row({"", pictures[1]});
  summary.row({"time", FormatNumber(seconds, 2) + " s"});
  summary.print(out);
  return warnings == 0 && differing == 0 ? kExitDone : kExitFailed;
}

}  // namespace

const Command kSessionCommand = {
    "session",
    {"PLUGIN"},
    "Tours the plug-in: effects, panels, rendering and a Bezier drag, with pictures.",
    {{"--out", "DIR", false, "folder for the pictures (default: session)"}},
    "Lists every effect PLUGIN declares and checks it against global setup; shows each\n"
    "effect's Effect Controls panel before and after the change its rules follow; renders a\n"
    "picture through every effect at 8, 16 and 32 bits per channel and checks that the output\n"
    "equals the input; drags Bezier Control's out-tangent handle in the Composition panel and\n"
    "writes the panel before and after as bezier-before.png and bezier-after.png. A warning\n"
    "from global setup or a frame that differs fails the command (exit status 1).\n",
    Run};

}  // namespace zelfin_host
