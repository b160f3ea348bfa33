// The Effect Controls panel of an effect instance: what a user sees of its parameters, and the
// value changes a user makes there.
//
// Everything is read from the host's current definitions, so names and greyed-out states are
// those the plug-in last sent with PF_UpdateParamUI.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "testhost/core/Host.h"

namespace testhost {

// One line of the panel. Group ends close their group and are not shown; neither is the input
// layer.
struct ControlRow {
  int index = 0;       // parameter index
  int depth = 0;       // number of enclosing groups
  bool group = false;  // a group header: no value
  std::string name;    // the parameter's name, or the label of a checkbox without one
  bool unnamed = false;  // no name of its own: `name` is its checkbox's label, which an
                         // expression cannot find it by
  std::string value;   // with its unit: "100.0%", "0.0 deg", "50.0, 50.0", "#FFFFFF", "Spot", "on"
  bool disabled = false;  // greyed out (PF_PUI_DISABLED)
};

// A value change the panel refuses: unknown or ambiguous name, a parameter without a value or
// greyed out, text that is not a value of the parameter's type, or a value outside its valid
// range. The message says which.
class ControlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The panel as it stands, in parameter order.
std::vector<ControlRow> DescribeControls(Host& host);

// One line per row: two blanks per group level, "name: value", " (greyed out)" when disabled;
// a group header is its name alone.
std::string FormatControls(const std::vector<ControlRow>& rows);

// The value of one definition as the panel shows it.
std::string FormatValue(const PF_ParamDef& def);

// Index of the parameter the panel shows as `name`. Throws ControlError.
int FindControl(Host& host, const std::string& name);

// Sets the value of the parameter shown as `name` from text a user would type:
//   checkbox     on, off (also true/false, yes/no, 1/0)
//   popup        a choice's name, or its 1-based number
//   sliders      a number within the valid range (which may exceed the slider's), "%" allowed
//                where the value is shown as a percentage
//   angle        degrees, "deg" allowed
//   point        x,y   (3D: x,y,z)
//   colour       r,g,b with 0 to 255 each, or #RRGGBB
// Only the value changes. Throws ControlError and leaves the value as it was.
void SetControl(Host& host, const std::string& name, const std::string& text);

// The same from "Name=value" (the name may itself contain no "=").
void SetControl(Host& host, const std::string& assignment);

// Applies the effect as the host does: global setup, parameter setup and, when global setup
// declared PF_OutFlag_SEND_UPDATE_PARAMS_UI, one PF_Cmd_UPDATE_PARAMS_UI, so that the panel
// opens in the state the effect's rules give it. Stops after a command that fails. Returns the
// commands sent, in order.
std::vector<CommandResult> ApplyEffect(Host& host);

// What the host does with the 2D points of a newly applied effect: it reads each default as a
// percentage of the layer's size (in_data's width and height) and keeps the point in layer
// pixels from then on. 3D points are kept as they are.
void PlacePointDefaults(Host& host);

// PF_Cmd_UPDATE_PARAMS_UI when the effect's global setup declared
// PF_OutFlag_SEND_UPDATE_PARAMS_UI, as the host sends it after applying the effect and after
// every change; nothing for an effect that did not ask.
std::optional<CommandResult> UpdateParamsUIIfAsked(Host& host);

// A user's change: SetControl, then UpdateParamsUIIfAsked. Throws ControlError, and then sends
// nothing.
std::optional<CommandResult> ChangeControl(Host& host, const std::string& assignment);

}  // namespace testhost
