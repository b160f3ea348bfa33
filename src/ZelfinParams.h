// Parameter lists as data, their registration with the host, and the changes of their
// appearance in the Effect Controls panel.
//
// The host stores parameter values in projects by index and id, so each effect's list is an
// external format: every effect describes its list once as a table of ParamSpec and registers it
// with AddParams, which gives each entry its index as id (the input layer is index 0).
#pragma once

#include "host/host.h"

#include <cstddef>

namespace zelfin {

// Flag words of the lists: most entries start collapsed; the type popups cannot be keyframed.
constexpr PF_ParamFlags kCollapsed = PF_ParamFlag_START_COLLAPSED;
constexpr PF_ParamFlags kCannotTimeVary = PF_ParamFlag_CANNOT_TIME_VARY;
constexpr PF_ParamFlags kNoFlags = 0;

// The transform effects show the X scale as "Scale" while "Uniform Scaling" is on.
constexpr const char* kXScaleName = "X Scale";
constexpr const char* kUniformScaleName = "Scale";

// Ranges of a slider, in the slider's own units; the value starts at the default.
struct SliderSpec {
  double validMin;
  double validMax;
  double sliderMin;
  double sliderMax;
  double dflt;
  A_short precision;
  PF_ValueDisplayFlags display;
};

// One entry of a parameter list. Only the fields of its type are used; the rest stay zero.
struct ParamSpec {
  PF_ParamType type = PF_Param_LAYER;
  const char* name = nullptr;  // null leaves the name field empty (group ends)
  PF_ParamFlags flags = kNoFlags;
  const char* text = nullptr;  // popup choices "A|B|C", or the label beside a checkbox
  A_long value = 0;            // popup or checkbox value and default
  A_short choices = 0;         // popup: the number of choices in text
  double x = 0, y = 0, z = 0;  // point value and default
  SliderSpec slider{};
  PF_Pixel color{};
};

// Number of choices in a popup's "A|B|C" string.
constexpr A_short CountChoices(const char* choices) {
  A_short count = 1;
  for (; *choices != '\0'; ++choices) {
    if (*choices == '|') ++count;
  }
  return count;
}

// Whether a name fits the host's name field with its terminating zero.
constexpr bool FitsNameField(const char* name) {
  std::size_t length = 0;
  while (name != nullptr && name[length] != '\0') ++length;
  return length < sizeof(PF_ParamDef::name);
}

constexpr ParamSpec Point(const char* name, PF_ParamFlags flags, double x, double y) {
  ParamSpec spec;
  spec.type = PF_Param_POINT;
  spec.name = name;
  spec.flags = flags;
  spec.x = x;
  spec.y = y;
  return spec;
}

constexpr ParamSpec Point3D(const char* name, PF_ParamFlags flags, double x, double y, double z) {
  ParamSpec spec = Point(name, flags, x, y);
  spec.type = PF_Param_POINT_3D;
  spec.z = z;
  return spec;
}

// Value and default 0 degrees.
constexpr ParamSpec Angle(const char* name, PF_ParamFlags flags) {
  ParamSpec spec;
  spec.type = PF_Param_ANGLE;
  spec.name = name;
  spec.flags = flags;
  return spec;
}

// Starts off; label is the text beside the box.
constexpr ParamSpec Checkbox(const char* name, PF_ParamFlags flags, const char* label) {
  ParamSpec spec;
  spec.type = PF_Param_CHECKBOX;
  spec.name = name;
  spec.flags = flags;
  spec.text = label;
  return spec;
}

// Values are 1-based; dflt is both the value and the default.
constexpr ParamSpec Popup(const char* name, PF_ParamFlags flags, const char* choices, A_long dflt) {
  ParamSpec spec;
  spec.type = PF_Param_POPUP;
  spec.name = name;
  spec.flags = flags;
  spec.text = choices;
  spec.choices = CountChoices(choices);
  spec.value = dflt;
  return spec;
}

constexpr ParamSpec FloatSlider(const char* name, PF_ParamFlags flags, const SliderSpec& slider) {
  ParamSpec spec;
  spec.type = PF_Param_FLOAT_SLIDER;
  spec.name = name;
  spec.flags = flags;
  spec.slider = slider;
  return spec;
}

// The numbers are registered as PF_Fixed.
constexpr ParamSpec FixSlider(const char* name, PF_ParamFlags flags, const SliderSpec& slider) {
  ParamSpec spec = FloatSlider(name, flags, slider);
  spec.type = PF_Param_FIX_SLIDER;
  return spec;
}

constexpr ParamSpec Color(const char* name, PF_ParamFlags flags, PF_Pixel color) {
  ParamSpec spec;
  spec.type = PF_Param_COLOR;
  spec.name = name;
  spec.flags = flags;
  spec.color = color;
  return spec;
}

constexpr ParamSpec GroupStart(const char* name, PF_ParamFlags flags) {
  ParamSpec spec;
  spec.type = PF_Param_GROUP_START;
  spec.name = name;
  spec.flags = flags;
  return spec;
}

// Unnamed and without flags; closes the group opened last.
constexpr ParamSpec GroupEnd() {
  ParamSpec spec;
  spec.type = PF_Param_GROUP_END;
  return spec;
}

// Compile-time check of a list: every name fits the host's field, popups have choices, groups
// are balanced and closed.
template <std::size_t N>
constexpr bool WellFormed(const ParamSpec (&specs)[N]) {
  int depth = 0;
  for (const ParamSpec& spec : specs) {
    if (!FitsNameField(spec.name) || (spec.type == PF_Param_CHECKBOX && spec.text == nullptr)) {
      return false;
    }
    if (spec.type == PF_Param_POPUP &&
        (spec.text == nullptr || spec.value < 1 || spec.value > spec.choices)) {
      return false;
    }
    if (spec.type == PF_Param_GROUP_START) ++depth;
    if (spec.type == PF_Param_GROUP_END && --depth < 0) return false;
  }
  return depth == 0;
}

// Registers specs as parameters 1 to count after the host's input layer, each with its index as
// id, appending with add_param. The first error from the host ends the registration and is
// returned; num_params is written (count + 1) only after the last entry was accepted.
PF_Err AddParams(PF_InData* in_data, PF_OutData* out_data, const ParamSpec* specs,
                 std::size_t count);

template <std::size_t N>
PF_Err AddParams(PF_InData* in_data, PF_OutData* out_data, const ParamSpec (&specs)[N]) {
  return AddParams(in_data, out_data, specs, N);
}

// What one parameter's Effect Controls appearance becomes.
enum class ParamState { kKeep, kEnabled, kDisabled };

struct ParamUIChange {
  PF_ParamIndex index;
  const char* name;  // new name, or null to keep the host's
  ParamState state;  // sets or clears PF_PUI_DISABLED, or leaves ui_flags alone
};

// Copies the host's current definitions of the changed parameters whole into their slots of the
// working array (one slot per parameter index). Always succeeds.
PF_Err CopyParamDefs(PF_ParamDef* const params[], PF_ParamDef* work, const ParamUIChange* changes,
                     std::size_t count);

// Sends changes, in their order (ascending index), each as the host's definition with only its
// name or its disabled bit changed, through PF_UpdateParamUI. Values are never changed. Stops at
// the first update the host refuses and returns its error; PF_OutFlag_REFRESH_UI is set whenever
// this returns. A missing "PF Param Utils Suite" throws the suite handler's error instead, and
// then the refresh is not asked for. work holds num_params zeroed records.
PF_Err SendParamUIChanges(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* const params[],
                          PF_ParamDef* work, const ParamUIChange* changes, std::size_t count);

template <A_long NumParams>
PF_Err SendParamUIChanges(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* const params[],
                          const ParamUIChange* changes, std::size_t count) {
  PF_ParamDef work[NumParams] = {};
  return SendParamUIChanges(in_data, out_data, params, work, changes, count);
}

}  // namespace zelfin
