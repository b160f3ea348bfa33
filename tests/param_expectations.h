// The parameter records each effect must register, built field by field in the host's own units
// (PF_Fixed raw values, floats, doubles), and a byte-exact comparison that names what differs.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"

namespace expect {

constexpr PF_ParamFlags kCollapsed = 0x20;
constexpr PF_ParamFlags kNoKeyframes = 0x2;
constexpr PF_Fixed kFixed50 = 0x320000;
constexpr PF_Fixed kFixed100 = 0x640000;
constexpr PF_ValueDisplayFlags kPercent = 1;
constexpr PF_ValueDisplayFlags kPlain = 0;

inline PF_ParamDef Base(A_long id, PF_ParamType type, const char* name, PF_ParamFlags flags) {
  PF_ParamDef def;
  std::memset(&def, 0, sizeof def);
  def.uu.id = id;
  def.param_type = type;
  def.flags = flags;
  std::strcpy(def.name, name);
  return def;
}

inline PF_ParamDef Point(A_long id, const char* name, PF_Fixed x, PF_Fixed y) {
  PF_ParamDef def = Base(id, PF_Param_POINT, name, kCollapsed);
  def.u.td.x_value = def.u.td.x_dephault = x;
  def.u.td.y_value = def.u.td.y_dephault = y;
  return def;
}

inline PF_ParamDef Point3D(A_long id, const char* name, double x, double y, double z) {
  PF_ParamDef def = Base(id, PF_Param_POINT_3D, name, kCollapsed);
  def.u.point3d_d.x_value = def.u.point3d_d.x_dephault = x;
  def.u.point3d_d.y_value = def.u.point3d_d.y_dephault = y;
  def.u.point3d_d.z_value = def.u.point3d_d.z_dephault = z;
  return def;
}

inline PF_ParamDef Angle(A_long id, const char* name) {
  return Base(id, PF_Param_ANGLE, name, kCollapsed);
}

inline PF_ParamDef Checkbox(A_long id, const char* name, PF_ParamFlags flags, const char* label) {
  PF_ParamDef def = Base(id, PF_Param_CHECKBOX, name, flags);
  def.u.bd.u.nameptr = label;
  return def;
}

inline PF_ParamDef Popup(A_long id, const char* name, PF_ParamFlags flags, const char* choices,
                         A_short count) {
  PF_ParamDef def = Base(id, PF_Param_POPUP, name, flags);
  def.u.pd.value = 1;
  def.u.pd.dephault = 1;
  def.u.pd.num_choices = count;
  def.u.pd.u.namesptr = choices;
  return def;
}

inline PF_ParamDef FloatSlider(A_long id, const char* name, float valid_min, float valid_max,
                               float slider_min, float slider_max, float dflt,
                               PF_ValueDisplayFlags display) {
  PF_ParamDef def = Base(id, PF_Param_FLOAT_SLIDER, name, kCollapsed);
  def.u.fs_d.value = dflt;
  def.u.fs_d.dephault = dflt;
  def.u.fs_d.valid_min = valid_min;
  def.u.fs_d.valid_max = valid_max;
  def.u.fs_d.slider_min = slider_min;
  def.u.fs_d.slider_max = slider_max;
  def.u.fs_d.precision = 1;
  def.u.fs_d.display_flags = display;
  def.u.fs_d.curve_tolerance = 0.05f;
  return def;
}

// "Opacity" of both transform effects: 100 % within 0 to 100, raw PF_Fixed throughout.
inline PF_ParamDef Opacity(A_long id) {
  PF_ParamDef def = Base(id, PF_Param_FIX_SLIDER, "Opacity", kCollapsed);
  def.u.fd.value = def.u.fd.dephault = kFixed100;
  def.u.fd.valid_min = def.u.fd.slider_min = 0;
  def.u.fd.valid_max = def.u.fd.slider_max = kFixed100;
  def.u.fd.precision = 1;
  def.u.fd.display_flags = kPercent;
  return def;
}

inline PF_ParamDef Color(A_long id, const char* name, PF_Pixel color) {
  PF_ParamDef def = Base(id, PF_Param_COLOR, name, kCollapsed);
  def.u.cd.value = def.u.cd.dephault = color;
  return def;
}

inline PF_ParamDef GroupStart(A_long id, const char* name) {
  return Base(id, PF_Param_GROUP_START, name, kCollapsed);
}

inline PF_ParamDef GroupEnd(A_long id) { return Base(id, PF_Param_GROUP_END, "", 0); }

// Offset of the string pointer of popups and checkboxes: compared by the text it points at.
constexpr std::size_t kTextPointerOffset = 64;

inline const char* TextOf(const PF_ParamDef& def) {
  if (def.param_type == PF_Param_POPUP) return def.u.pd.u.namesptr;
  if (def.param_type == PF_Param_CHECKBOX) return def.u.bd.u.nameptr;
  return nullptr;
}

// Every byte equal, except that string pointers must point at equal text. The failure names the
// parameter and the offsets that differ.
inline ::testing::AssertionResult SameDef(const PF_ParamDef& expected, const PF_ParamDef& actual) {
  PF_ParamDef e = expected;
  PF_ParamDef a = actual;
  const char* expectedText = TextOf(e);
  const char* actualText = TextOf(a);
  if (expectedText != nullptr) {
    if (actualText == nullptr || std::string(expectedText) != actualText) {
      return ::testing::AssertionFailure()
             << "\"" << expected.name << "\" (id " << expected.uu.id << ") text is \""
             << (actualText ? actualText : "(null)") << "\", expected \"" << expectedText << "\"";
    }
    std::memset(reinterpret_cast<char*>(&e) + kTextPointerOffset, 0, sizeof(void*));
    std::memset(reinterpret_cast<char*>(&a) + kTextPointerOffset, 0, sizeof(void*));
  }
  const auto* eb = reinterpret_cast<const unsigned char*>(&e);
  const auto* ab = reinterpret_cast<const unsigned char*>(&a);
  std::string diffs;
  for (std::size_t i = 0; i < sizeof(PF_ParamDef); ++i) {
    if (eb[i] != ab[i]) diffs += " " + std::to_string(i);
  }
  if (diffs.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\"" << expected.name << "\" (id " << expected.uu.id << ", type " << expected.param_type
         << ") differs at byte offsets" << diffs;
}

// The lists, index 1 on (the host supplies the input layer as index 0).

inline std::vector<PF_ParamDef> TransformControl2D() {
  return {
      Point(1, "Anchor Point", kFixed50, kFixed50),
      Point(2, "Position", kFixed50, kFixed50),
      Checkbox(3, "", kCollapsed, "Uniform Scaling"),
      FloatSlider(4, "X Scale", -10000000.f, 10000000.f, 0.f, 200.f, 100.f, kPercent),
      FloatSlider(5, "Y Scale", -10000000.f, 10000000.f, 0.f, 200.f, 100.f, kPercent),
      Angle(6, "Rotation"),
      Opacity(7),
  };
}

inline std::vector<PF_ParamDef> TransformControl3D() {
  return {
      Point3D(1, "Anchor Point", 50.0, 50.0, 0.0),
      Point3D(2, "Position", 50.0, 50.0, 0.0),
      Checkbox(3, "", kCollapsed, "Uniform Scaling"),
      FloatSlider(4, "X Scale", -10000000.f, 10000000.f, 0.f, 200.f, 100.f, kPercent),
      FloatSlider(5, "Y Scale", -10000000.f, 10000000.f, 0.f, 200.f, 100.f, kPercent),
      FloatSlider(6, "Z Scale", -10000000.f, 10000000.f, 0.f, 200.f, 100.f, kPercent),
      Angle(7, "X Orientation"),
      Angle(8, "Y Orientation"),
      Angle(9, "Z Orientation"),
      Angle(10, "X Rotation"),
      Angle(11, "Y Rotation"),
      Angle(12, "Z Rotation"),
      Opacity(13),
  };
}

inline std::vector<PF_ParamDef> CameraControl() {
  return {
      Popup(1, "Camera Type", kNoKeyframes, "One-Node|Two-Node", 2),
      GroupStart(2, "Transform"),
      Point3D(3, "Point of Interest", 50.0, 50.0, 0.0),
      Point3D(4, "Position", 50.0, 50.0, -50.0),
      Angle(5, "X Orientation"),
      Angle(6, "Y Orientation"),
      Angle(7, "Z Orientation"),
      Angle(8, "X Rotation"),
      Angle(9, "Y Rotation"),
      Angle(10, "Z Rotation"),
      GroupEnd(11),
      GroupStart(12, "Camera Options"),
      FloatSlider(13, "Zoom", 1.f, 10000000.f, 1.f, 1000.f, 1000.f, kPlain),
      Checkbox(14, "Depth of Field", 0, ""),
      FloatSlider(15, "Focus Distance", 0.f, 10000000.f, 0.f, 1000.f, 1000.f, kPlain),
      FloatSlider(16, "Aperture", 0.f, 10000000.f, 0.f, 200.f, 50.f, kPlain),
      FloatSlider(17, "Blur Level", 0.f, 10000000.f, 0.f, 100.f, 100.f, kPercent),
      GroupEnd(18),
  };
}

inline std::vector<PF_ParamDef> LightControl() {
  return {
      Popup(1, "Light Type", kNoKeyframes, "Parallel|Spot|Point|Ambient", 4),
      GroupStart(2, "Transform"),
      Point3D(3, "Point of Interest", 50.0, 50.0, 0.0),
      Point3D(4, "Position", 60.0, 40.0, -50.0),
      Angle(5, "X Orientation"),
      Angle(6, "Y Orientation"),
      Angle(7, "Z Orientation"),
      Angle(8, "X Rotation"),
      Angle(9, "Y Rotation"),
      Angle(10, "Z Rotation"),
      GroupEnd(11),
      GroupStart(12, "Light Options"),
      FloatSlider(13, "Intensity", -1000000.f, 1000000.f, 0.f, 100.f, 100.f, kPercent),
      Color(14, "Color", PF_Pixel{255, 255, 255, 255}),
      FloatSlider(15, "Cone Angle", 0.f, 180.f, 0.f, 180.f, 90.f, kPlain),
      FloatSlider(16, "Cone Feather", 0.f, 100.f, 0.f, 100.f, 50.f, kPercent),
      Popup(17, "Falloff", kCollapsed, "None|Smooth|Inverse Square Clamped", 3),
      FloatSlider(18, "Radius", 0.f, 1000000.f, 0.f, 1000.f, 500.f, kPlain),
      FloatSlider(19, "Falloff Distance", 0.f, 1000000.f, 0.f, 1000.f, 500.f, kPlain),
      GroupEnd(20),
  };
}

}  // namespace expect
