// Parameter lists as data, their registration with the host, and the changes of their
// appearance in the Effect Controls panel.
//
// The host stores parameter values in projects by index and id, so each effect's list is an
// external format: every effect describes its list once as a table of ParamEntry and registers it
// with AddParams, which gives each entry its index as id (the input layer is index 0).
#pragma once

#include "host/host.h"
#include "ZelfinFixed.h"

#include <cstddef>

namespace zelfin {

// Flag words of the lists: most entries start collapsed; the type popups cannot be keyframed.
constexpr PF_ParamFlags kCollapsed = PF_ParamFlag_START_COLLAPSED;
constexpr PF_ParamFlags kCannotTimeVary = PF_ParamFlag_CANNOT_TIME_VARY;
constexpr PF_ParamFlags kNoFlags = 0;


// A slider's ranges, default, precision and display, in its own units; the value starts at the
// default.
struct SliderRange {
  double validMin;
  double validMax;
  double sliderMin;
  double sliderMax;
  double dflt;
  A_short precision;
  PF_ValueDisplayFlags display;
};

// What the two transform effects share: the X scale shows as "Scale" while "Uniform Scaling" is
// on, and scale and opacity have the same ranges in both.
constexpr const char* kXScaleName = "X Scale";
constexpr const char* kUniformScaleName = "Scale";
constexpr SliderRange kTransformScaleRange = {-10000000, 10000000, 0, 200, 100, 1,
                                              PF_ValueDisplayFlag_PERCENT};
constexpr SliderRange kTransformOpacityRange = {0, 100, 0, 100, 100, 1,
                                                PF_ValueDisplayFlag_PERCENT};

// One entry of a parameter list. Only the fields of its type are used; the rest stay zero.
struct ParamEntry {
  PF_ParamType type = PF_Param_LAYER;
  const char* name = nullptr;  // null leaves the name field empty (group ends)
  PF_ParamFlags flags = kNoFlags;
  const char* text = nullptr;  // popup choices "A|B|C", or the label beside a checkbox
  A_long value = 0;            // popup or checkbox value and default
  A_short choices = 0;         // popup: the number of choices in text
  double x = 0, y = 0, z = 0;  // point value and default
  SliderRange slider{};
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

constexpr ParamEntry Point(const char* name, PF_ParamFlags flags, double x, double y) {
  ParamEntry entry;
  entry.type = PF_Param_POINT;
  entry.name = name;
  entry.flags = flags;
  entry.x = x;
  entry.y = y;
  return entry;
}

constexpr ParamEntry Point3D(const char* name, PF_ParamFlags flags, double x, double y, double z) {
  ParamEntry entry = Point(name, flags, x, y);
  entry.type = PF_Param_POINT_3D;
  entry.z = z;
  return entry;
}

// Value and default 0 degrees.
constexpr ParamEntry Angle(const char* name, PF_ParamFlags flags) {
  ParamEntry entry;
  entry.type = PF_Param_ANGLE;
  entry.name = name;
  entry.flags = flags;
  return entry;
}

// Starts off; label is the text beside the box.
constexpr ParamEntry Checkbox(const char* name, PF_ParamFlags flags, const char* label) {
  ParamEntry entry;
  entry.type = PF_Param_CHECKBOX;
  entry.name = name;
  entry.flags = flags;
  entry.text = label;
  return entry;
}

// Values are 1-based; dflt is both the value and the default.
constexpr ParamEntry Popup(const char* name, PF_ParamFlags flags, const char* choices,
                           A_long dflt) {
  ParamEntry entry;
  entry.type = PF_Param_POPUP;
  entry.name = name;
  entry.flags = flags;
  entry.text = choices;
  entry.choices = CountChoices(choices);
  entry.value = dflt;
  return entry;
}

constexpr ParamEntry FloatSlider(const char* name, PF_ParamFlags flags, const SliderRange& slider) {
  ParamEntry entry;
  entry.type = PF_Param_FLOAT_SLIDER;
  entry.name = name;
  entry.flags = flags;
  entry.slider = slider;
  return entry;
}

// The numbers are registered as PF_Fixed.
constexpr ParamEntry FixSlider(const char* name, PF_ParamFlags flags, const SliderRange& slider) {
  ParamEntry entry = FloatSlider(name, flags, slider);
  entry.type = PF_Param_FIX_SLIDER;
  return entry;
}

constexpr ParamEntry Color(const char* name, PF_ParamFlags flags, PF_Pixel color) {
  ParamEntry entry;
  entry.type = PF_Param_COLOR;
  entry.name = name;
  entry.flags = flags;
  entry.color = color;
  return entry;
}

constexpr ParamEntry GroupStart(const char* name, PF_ParamFlags flags) {
  ParamEntry entry;
  entry.type = PF_Param_GROUP_START;
  entry.name = name;
  entry.flags = flags;
  return entry;
}

// Unnamed and without flags; closes the group opened last.
constexpr ParamEntry GroupEnd() {
  ParamEntry entry;
  entry.type = PF_Param_GROUP_END;
  return entry;
}

// Compile-time check of a list: every name fits the host's field, popups have choices, numbers
// registered as PF_Fixed fit it, groups are balanced and closed.
template <std::size_t N>
constexpr bool WellFormed(const ParamEntry (&entries)[N]) {
  int depth = 0;
  for (const ParamEntry& entry : entries) {
    if (!FitsNameField(entry.name) || (entry.type == PF_Param_CHECKBOX && entry.text == nullptr)) {
      return false;
    }
    if (entry.type == PF_Param_POINT && !(FitsFixed(entry.x) && FitsFixed(entry.y))) {
      return false;
    }
    const SliderRange& slider = entry.slider;
    if (entry.type == PF_Param_FIX_SLIDER &&
        !(FitsFixed(slider.validMin) && FitsFixed(slider.validMax) &&
          FitsFixed(slider.sliderMin) && FitsFixed(slider.sliderMax) && FitsFixed(slider.dflt))) {
      return false;
    }
    if (entry.type == PF_Param_POPUP &&
        (entry.text == nullptr || entry.value < 1 || entry.value > entry.choices)) {
      return false;
    }
    if (entry.type == PF_Param_GROUP_START) ++depth;
    if (entry.type == PF_Param_GROUP_END && --depth < 0) return false;
  }
  return depth == 0;
}

// Registers entries as parameters 1 to count after the host's input layer, each with its index as
// id, appending with add_param. The first error from the host ends the registration and is
// returned; num_params is written (count + 1) only after the last entry was accepted.
PF_Err AddParams(PF_InData* in_data, PF_OutData* out_data, const ParamEntry* entries,
                 std::size_t count);

template <std::size_t N>
PF_Err AddParams(PF_InData* in_data, PF_OutData* out_data, const ParamEntry (&entries)[N]) {
  return AddParams(in_data, out_data, entries, N);
}

// What one parameter's Effect Controls appearance becomes.
enum class ParamState { kKeep, kEnabled, kDisabled };

struct ParamUIChange {
  PF_ParamIndex index;
  const char* name;  // new name, or null to keep the host's
  ParamState state;  // sets or clears PF_PUI_DISABLED, or leaves ui_flags alone
};

// Copies the host's current definitions of the changed parameters whole into their slots of the
// working array (one slot per parameter index). Asks nothing of the host, so it cannot fail.
void CopyParamDefs(PF_ParamDef* const params[], PF_ParamDef* work, const ParamUIChange* changes,
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
