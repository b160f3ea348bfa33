#include "testhost/panels/EffectControls.h"

#include "testhost/core/Fixed.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>

namespace testhost {
namespace {

// Whole units a PF_Fixed can hold.
constexpr double kFixedLimit = 32767.0;

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> Split(const std::string& s, char separator) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = s.find(separator, start);
    parts.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// "%.*f", without a sign on a value that rounds to zero.
std::string Number(double value, int precision) {
  precision = std::clamp(precision, 0, 6);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", precision, value);
  std::string s = buffer;
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

// A number for messages: as short as it can be written.
std::string Short(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string NameField(const PF_ParamDef& def) {
  return std::string(def.name, strnlen(def.name, sizeof def.name));
}

bool LabelledOnly(const PF_ParamDef& def) {
  return NameField(def).empty() && def.param_type == PF_Param_CHECKBOX &&
         def.u.bd.u.nameptr != nullptr;
}

std::string ShownName(const PF_ParamDef& def) {
  return LabelledOnly(def) ? def.u.bd.u.nameptr : NameField(def);
}

std::vector<std::string> Choices(const PF_ParamDef& def) {
  if (def.u.pd.u.namesptr == nullptr) return {};
  std::vector<std::string> choices = Split(def.u.pd.u.namesptr, '|');
  const auto count = static_cast<std::size_t>(std::max<int>(def.u.pd.num_choices, 0));
  if (choices.size() > count) choices.resize(count);
  return choices;
}

bool Percent(PF_ValueDisplayFlags flags) { return (flags & PF_ValueDisplayFlag_PERCENT) != 0; }

// The number in `text` (blanks around it allowed), after taking off an optional unit suffix.
// Throws ControlError naming the parameter.
double ParseNumber(const std::string& name, std::string text, const char* unit = nullptr) {
  text = Trim(text);
  if (unit != nullptr) {
    const std::string suffix = unit;
    if (text.size() >= suffix.size() && Lower(text.substr(text.size() - suffix.size())) == suffix)
      text = Trim(text.substr(0, text.size() - suffix.size()));
  }
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double value = 0;
  in >> value;
  if (text.empty() || in.fail() || !(in >> std::ws).eof() || !std::isfinite(value))
    throw ControlError(Quoted(name) + " takes a number, not " + Quoted(text));
  return value;
}

void CheckRange(const std::string& name, double value, double min, double max) {
  if (value < min || value > max)
    throw ControlError(Quoted(name) + " accepts " + Short(min) + " to " + Short(max) + "; " +
                       Short(value) + " is outside");
}

// Exactly `count` comma-separated numbers.
std::vector<double> ParseNumbers(const std::string& name, const std::string& text,
                                 std::size_t count, const char* form) {
  const std::vector<std::string> parts = Split(text, ',');
  if (parts.size() != count)
    throw ControlError(Quoted(name) + " takes " + form + ", not " + Quoted(Trim(text)));
  std::vector<double> values;
  for (const std::string& part : parts) values.push_back(ParseNumber(name, part));
  return values;
}

bool ParseSwitch(const std::string& name, const std::string& text) {
  const std::string t = Lower(Trim(text));
  if (t == "on" || t == "true" || t == "yes" || t == "1") return true;
  if (t == "off" || t == "false" || t == "no" || t == "0") return false;
  throw ControlError(Quoted(name) + " is a checkbox: on or off, not " + Quoted(Trim(text)));
}

A_long ParseChoice(const std::string& name, const PF_ParamDef& def, const std::string& text) {
  const std::vector<std::string> choices = Choices(def);
  const std::string wanted = Lower(Trim(text));
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (Lower(choices[i]) == wanted) return static_cast<A_long>(i + 1);
  }
  std::string list;
  for (const std::string& c : choices) list += (list.empty() ? "" : ", ") + c;
  const std::string refusal = Quoted(name) + " offers " + list + "; not " + Quoted(Trim(text));
  double number = 0;
  try {
    number = ParseNumber(name, text);
  } catch (const ControlError&) {
    throw ControlError(refusal);
  }
  if (number != std::floor(number) || number < 1 || number > static_cast<double>(choices.size()))
    throw ControlError(refusal);
  return static_cast<A_long>(number);
}

PF_Pixel ParseColor(const std::string& name, const std::string& text) {
  const std::string t = Trim(text);
  if (!t.empty() && t[0] == '#') {
    if (t.size() != 7 || t.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
      throw ControlError(Quoted(name) + " takes #RRGGBB or r,g,b, not " + Quoted(t));
    const unsigned long rgb = std::stoul(t.substr(1), nullptr, 16);
    return PF_Pixel{255, static_cast<A_u_char>(rgb >> 16), static_cast<A_u_char>(rgb >> 8),
                    static_cast<A_u_char>(rgb)};
  }
  const std::vector<double> rgb = ParseNumbers(name, t, 3, "r,g,b or #RRGGBB");
  for (double channel : rgb) {
    if (channel != std::floor(channel)) {
      throw ControlError(Quoted(name) + " takes whole channel values, not " + Short(channel));
    }
    CheckRange(name, channel, 0, 255);
  }
  return PF_Pixel{255, static_cast<A_u_char>(rgb[0]), static_cast<A_u_char>(rgb[1]),
                  static_cast<A_u_char>(rgb[2])};
}

PF_Fixed ParseFixed(const std::string& name, double value) {
  CheckRange(name, value, -kFixedLimit, kFixedLimit);
  return ToFixed(value);
}

}  // namespace

std::string FormatValue(const PF_ParamDef& def) {
  switch (def.param_type) {
    case PF_Param_CHECKBOX:
      return def.u.bd.value != 0 ? "on" : "off";
    case PF_Param_POPUP: {
      const std::vector<std::string> choices = Choices(def);
      const A_long value = def.u.pd.value;
      if (value >= 1 && static_cast<std::size_t>(value) <= choices.size())
        return choices[static_cast<std::size_t>(value - 1)];
      return std::to_string(value) + " (no such choice)";
    }
    case PF_Param_FLOAT_SLIDER:
      return Number(def.u.fs_d.value, def.u.fs_d.precision) +
             (Percent(def.u.fs_d.display_flags) ? "%" : "");
    case PF_Param_FIX_SLIDER:
      return Number(FromFixed(def.u.fd.value), def.u.fd.precision) +
             (Percent(def.u.fd.display_flags) ? "%" : "");
    case PF_Param_SLIDER:
      return std::to_string(def.u.sd.value);
    case PF_Param_ANGLE:
      return Number(FromFixed(def.u.ad.value), 1) + " deg";
    case PF_Param_POINT:
      return Number(FromFixed(def.u.td.x_value), 1) + ", " + Number(FromFixed(def.u.td.y_value), 1);
    case PF_Param_POINT_3D:
      return Number(def.u.point3d_d.x_value, 1) + ", " + Number(def.u.point3d_d.y_value, 1) + ", " +
             Number(def.u.point3d_d.z_value, 1);
    case PF_Param_COLOR: {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", def.u.cd.value.red,
                    def.u.cd.value.green, def.u.cd.value.blue);
      return buffer;
    }
    case PF_Param_LAYER:
      return "(layer)";
    case PF_Param_GROUP_START:
    case PF_Param_GROUP_END:
      return "";
    default:
      return "(type " + std::to_string(def.param_type) + ")";
  }
}

std::vector<ControlRow> DescribeControls(Host& host) {
  std::vector<ControlRow> rows;
  int depth = 0;
  for (int i = 1; i < host.paramCount(); ++i) {
    const PF_ParamDef& def = host.param(i);
    if (def.param_type == PF_Param_GROUP_END) {
      depth = std::max(depth - 1, 0);
      continue;
    }
    ControlRow row;
    row.index = i;
    row.depth = depth;
    row.group = def.param_type == PF_Param_GROUP_START;
    row.name = ShownName(def);
    row.unnamed = LabelledOnly(def);
    row.value = FormatValue(def);
    row.disabled = (def.ui_flags & PF_PUI_DISABLED) != 0;
    // A hidden parameter is not shown, but its group still opens and closes.
    if (row.group) ++depth;
    if ((def.ui_flags & PF_PUI_INVISIBLE) == 0) rows.push_back(std::move(row));
  }
  return rows;
}

std::string FormatControls(const std::vector<ControlRow>& rows) {
  std::string text;
  for (const ControlRow& row : rows) {
    text += std::string(static_cast<std::size_t>(row.depth) * 2, ' ') + row.name;
    if (!row.group) text += ": " + row.value;
    if (row.disabled) text += " (greyed out)";
    text += "\n";
  }
  return text;
}

int FindControl(Host& host, const std::string& name) {
  const std::vector<ControlRow> rows = DescribeControls(host);
  int found = 0;
  int matches = 0;
  for (const ControlRow& row : rows) {
    if (row.name == name) {
      found = row.index;
      ++matches;
    }
  }
  if (matches == 1) return found;
  if (matches > 1) throw ControlError(Quoted(name) + " names more than one parameter");
  std::string known;
  for (const ControlRow& row : rows) {
    if (!row.group) known += (known.empty() ? "" : ", ") + row.name;
  }
  throw ControlError("no parameter " + Quoted(name) + "; the panel shows " + known);
}

void SetControl(Host& host, const std::string& name, const std::string& text) {
  const int index = FindControl(host, name);
  const PF_ParamDef& def = host.param(index);
  if ((def.ui_flags & PF_PUI_DISABLED) != 0) throw ControlError(Quoted(name) + " is greyed out");
  switch (def.param_type) {
    case PF_Param_CHECKBOX:
      host.setCheckbox(index, ParseSwitch(name, text));
      return;
    case PF_Param_POPUP:
      host.setPopup(index, ParseChoice(name, def, text));
      return;
    case PF_Param_FLOAT_SLIDER: {
      const double value =
          ParseNumber(name, text, Percent(def.u.fs_d.display_flags) ? "%" : nullptr);
      CheckRange(name, value, def.u.fs_d.valid_min, def.u.fs_d.valid_max);
      host.setFloatSlider(index, value);
      return;
    }
    case PF_Param_FIX_SLIDER: {
      const double value = ParseNumber(name, text, Percent(def.u.fd.display_flags) ? "%" : nullptr);
      CheckRange(name, value, FromFixed(def.u.fd.valid_min), FromFixed(def.u.fd.valid_max));
      host.setFixedSlider(index, ToFixed(value));
      return;
    }
    case PF_Param_SLIDER: {
      const double value = ParseNumber(name, text);
      if (value != std::floor(value))
        throw ControlError(Quoted(name) + " takes a whole number, not " + Quoted(Trim(text)));
      CheckRange(name, value, def.u.sd.valid_min, def.u.sd.valid_max);
      host.param(index).u.sd.value = static_cast<PF_ParamValue>(value);
      return;
    }
    case PF_Param_ANGLE: {
      const double degrees = ParseNumber(name, text, "deg");
      if (def.u.ad.valid_min != 0 || def.u.ad.valid_max != 0)
        CheckRange(name, degrees, FromFixed(def.u.ad.valid_min), FromFixed(def.u.ad.valid_max));
      host.setAngle(index, ParseFixed(name, degrees));
      return;
    }
    case PF_Param_POINT: {
      const std::vector<double> xy = ParseNumbers(name, text, 2, "x,y");
      host.setPoint(index, ParseFixed(name, xy[0]), ParseFixed(name, xy[1]));
      return;
    }
    case PF_Param_POINT_3D: {
      const std::vector<double> xyz = ParseNumbers(name, text, 3, "x,y,z");
      host.setPoint3D(index, xyz[0], xyz[1], xyz[2]);
      return;
    }
    case PF_Param_COLOR:
      host.setColor(index, ParseColor(name, text));
      return;
    default:
      throw ControlError(Quoted(name) + " has no value to set");
  }
}

void SetControl(Host& host, const std::string& assignment) {
  const auto equals = assignment.find('=');
  if (equals == std::string::npos)
    throw ControlError("expected Name=value, not " + Quoted(assignment));
  SetControl(host, Trim(assignment.substr(0, equals)), assignment.substr(equals + 1));
}

std::vector<CommandResult> ApplyEffect(Host& host) {
  std::vector<CommandResult> sent;
  const auto failed = [&sent] { return sent.back().err != PF_Err_NONE || sent.back().escaped; };
  sent.push_back(host.globalSetup());
  if (failed()) return sent;
  sent.push_back(host.paramsSetup());
  if (failed()) return sent;
  if (std::optional<CommandResult> update = UpdateParamsUIIfAsked(host))
    sent.push_back(std::move(*update));
  return sent;
}

std::optional<CommandResult> UpdateParamsUIIfAsked(Host& host) {
  if ((host.globalOutFlags() & PF_OutFlag_SEND_UPDATE_PARAMS_UI) == 0) return std::nullopt;
  return host.updateParamsUI();
}

void PlacePointDefaults(Host& host) {
  const PF_InData& in = host.inData();
  for (int i = 1; i < host.paramCount(); ++i) {
    const PF_ParamDef& p = host.param(i);
    if (p.param_type != PF_Param_POINT) continue;
    host.setPoint(i, ToFixed(FromFixed(p.u.td.x_dephault) * in.width / 100),
                  ToFixed(FromFixed(p.u.td.y_dephault) * in.height / 100));
  }
}

std::optional<CommandResult> ChangeControl(Host& host, const std::string& assignment) {
  SetControl(host, assignment);
  return UpdateParamsUIIfAsked(host);
}

}  // namespace testhost
