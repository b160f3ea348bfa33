#include "BezierDrag.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <ostream>

#include "CommandLine.h"
#include "Report.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/panels/EffectControls.h"
#include "testhost/loader/PluginFileCheck.h"

namespace zelfin_host {

namespace {

using testhost::BezierSession;

constexpr BezierSession::Param kHandles[] = {BezierSession::kVertex, BezierSession::kInTangent,
                                             BezierSession::kOutTangent};

const char* HandleName(BezierSession::Param which) {
  switch (which) {
    case BezierSession::kVertex:
      return "vertex";
    case BezierSession::kInTangent:
      return "in-tangent handle";
    case BezierSession::kOutTangent:
      return "out-tangent handle";
  }
  return "?";
}

bool ParseWhole(const std::string& text, A_long* value) {
  if (text.empty() || text.find_first_not_of("-+0123456789") != std::string::npos) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < -1000000 || parsed > 1000000) return false;
  *value = static_cast<A_long>(parsed);
  return true;
}

// What the press did: the handle the effect took is the parameter its first drag event marked
// changed (that event puts the handle where it was, so it marks it even when nothing moved).
std::string PressOutcome(const testhost::GestureResult& result) {
  if (!result.dragged) return "no handle within reach: nothing to drag";
  if (result.events.size() > 1) {
    for (const PF_ParamIndex index : result.events[1].changed) {
      for (BezierSession::Param which : kHandles) {
        if (index == which) return std::string("took the ") + HandleName(which);
      }
    }
  }
  return "took a drag, but moved no handle";
}

std::string PointText(PF_Point p) { return std::to_string(p.h) + ", " + std::to_string(p.v); }

const char* PanelName(testhost::PanelKind kind) {
  return kind == testhost::PanelKind::Composition ? "Composition" : "Layer";
}

}  // namespace

PF_Point ParsePanelPoint(const std::string& option, const std::string& text) {
  const std::size_t comma = text.find(',');
  PF_Point p{};
  if (comma == std::string::npos || !ParseWhole(text.substr(0, comma), &p.h) ||
      !ParseWhole(text.substr(comma + 1), &p.v)) {
    throw UsageError(option + ": malformed point '" + text +
                     "': expected X,Y in whole panel pixels, for example 320,180");
  }
  return p;
}

BezierDrag::BezierDrag(const PluginFile& plugin, testhost::PanelKind panel, double zoom,
                       double rotation, double scale)
    : module_(LoadedModule(plugin)),
      panelKind_(panel),
      zoom_(zoom),
      rotation_(rotation),
      scale_(scale) {
  const DeclaredEffect* effect = FindDeclaredEffect(plugin, kBezierEffectName);
  if (!effect) {
    throw ToolError(plugin.path + " declares no \"" + kBezierEffectName + "\" to drag");
  }
  if (effect->entryPoint != BezierSession::kEntryPoint) {
    throw ToolError(Quoted(*effect) + " is declared with the entry point " +
                    testhost::EscapedText(effect->entryPoint) + ", not " +
                    BezierSession::kEntryPoint);
  }
  testhost::BezierSessionSetup setup;
  setup.panel = panel;
  setup.transform.scale = {scale, scale};
  setup.transform.rotation = rotation;
  setup.view.zoom = zoom;
  if (panel == testhost::PanelKind::Composition) {
    // Zoom about the panel's centre, so that the layer stays in view.
    setup.view.scroll = {setup.panelWidth / 2.0 * (zoom - 1), setup.panelHeight / 2.0 * (zoom - 1)};
  }
  try {
    session_ = std::make_unique<BezierSession>(module_, setup);
  } catch (const testhost::SessionError& e) {
    throw ToolError(Quoted(*effect) + " failed: " + e.what());
  }
}

void BezierDrag::change(const std::string& assignment) {
  std::optional<testhost::CommandResult> update;
  try {
    update = testhost::ChangeControl(session_->host(), assignment);
  } catch (const testhost::ControlError& e) {
    // The value was typed on the command line.
    throw UsageError(std::string("--set: \"") + kBezierEffectName + "\": " + e.what());
  }
  if (update && !(update->clean() && update->err == PF_Err_NONE)) {
    throw ToolError(std::string("\"") + kBezierEffectName +
                    "\" failed in the update of its controls:\n" + update->describe());
  }
  changes_.push_back(assignment);
}

PF_Point BezierDrag::handle(BezierSession::Param which) {
  const testhost::PointF at = session_->handleInPanel(which);
  return {static_cast<A_long>(std::lround(at.x)), static_cast<A_long>(std::lround(at.y))};
}

void BezierDrag::printSetup(std::ostream& out) {
  const testhost::Panel& panel = session_->panel();
  const testhost::Canvas& canvas = panel.canvas();
  out << "  a " << panel.layerWidth() << " x " << panel.layerHeight() << " layer in a " << canvas.width() << " x " << canvas.height() << " "
      << PanelName(panelKind_) << " panel, zoom " << FormatNumber(zoom_);
  if (panelKind_ == testhost::PanelKind::Composition) {
    out << ", layer scale " << FormatNumber(scale_) << "%, rotation " << FormatNumber(rotation_)
        << " deg";
  }
  out << "\n";
  for (const std::string& change : changes_) out << "  set " << change << "\n";
  Section(out, "Handles (panel pixels)");
  Table table;
  for (BezierSession::Param which : kHandles)
    table.row({HandleName(which), PointText(handle(which))});
  table.print(out);
}

void BezierDrag::writePng(const std::string& path) {
  try {
    session_->writePng(path);
  } catch (const testhost::SessionError& e) {
    throw ToolError(std::string("\"") + kBezierEffectName + "\" failed to draw: " + e.what());
  } catch (const std::runtime_error& e) {
    throw ToolError(e.what());
  }
}

std::vector<std::string> BezierDrag::perform(std::ostream& out, const testhost::Gesture& gesture,
                                             const std::string& beforePng,
                                             const std::string& afterPng) {
  if (!beforePng.empty()) writePng(beforePng);
  std::vector<std::string> before;
  for (BezierSession::Param which : kHandles) {
    before.push_back(testhost::FormatValue(session_->host().param(which)));
  }
  testhost::GestureResult result;
  try {
    result = session_->drag(gesture);
  } catch (const testhost::SessionError& e) {
    throw ToolError(std::string("\"") + kBezierEffectName + "\" failed: " + e.what());
  }
  if (!afterPng.empty()) writePng(afterPng);

  Section(out, "Gesture");
  Table events;
  events.row({"press", PointText(gesture.press), PressOutcome(result)});
  for (const PF_Point& p : gesture.through) events.row({"move", PointText(p)});
  events.row({"release", PointText(gesture.release.value_or(
                             gesture.through.empty() ? gesture.press : gesture.through.back())),
              gesture.shift ? "Shift held" : ""});
  events.print(out);
  out << "  " << result.events.size() << " events sent to the effect\n";

  Section(out, "Parameters (layer pixels)");
  Table values;
  values.row({" ", "", "before", "after"});
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < std::size(kHandles); ++i) {
    const PF_ParamDef& def = session_->host().param(kHandles[i]);
    const std::string now = testhost::FormatValue(def);
    if (now != before[i]) changed.push_back(def.name);
    values.row({now != before[i] ? "*" : " ", def.name, before[i], now});
  }
  values.print(out);

  if (!beforePng.empty() || !afterPng.empty()) {
    Section(out, "Pictures of the panel");
    Table pictures;
    if (!beforePng.empty()) pictures.row({"before", beforePng});
    if (!afterPng.empty()) pictures.row({"after", afterPng});
    pictures.print(out);
  }
  return changed;
}

}  // namespace zelfin_host
