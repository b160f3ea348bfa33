#include "ZelfinParams.h"

#include "Util/AEGP_SuiteHandler.h"
#include "ZelfinFixed.h"

#include <cstring>

namespace zelfin {
namespace {

// WellFormed has made sure at compile time that every number of a list that is registered this
// way fits 16.16, so the rounding cannot fail.
PF_Fixed ToFixed(double value) {
  PF_Fixed fixed = 0;
  RoundToFixed(value, &fixed);
  return fixed;
}

void FillTypeFields(const ParamEntry& entry, PF_ParamDef& def) {
  const SliderRange& slider = entry.slider;
  switch (entry.type) {
    case PF_Param_POINT:
      def.u.td.x_value = def.u.td.x_dephault = ToFixed(entry.x);
      def.u.td.y_value = def.u.td.y_dephault = ToFixed(entry.y);
      break;
    case PF_Param_POINT_3D:
      def.u.point3d_d.x_value = def.u.point3d_d.x_dephault = entry.x;
      def.u.point3d_d.y_value = def.u.point3d_d.y_dephault = entry.y;
      def.u.point3d_d.z_value = def.u.point3d_d.z_dephault = entry.z;
      break;
    case PF_Param_CHECKBOX:
      def.u.bd.value = entry.value;
      def.u.bd.dephault = static_cast<PF_Boolean>(entry.value);
      def.u.bd.u.nameptr = entry.text;
      break;
    case PF_Param_POPUP:
      def.u.pd.value = entry.value;
      def.u.pd.num_choices = entry.choices;
      def.u.pd.dephault = static_cast<A_short>(entry.value);
      def.u.pd.u.namesptr = entry.text;
      break;
    case PF_Param_FLOAT_SLIDER:
      def.u.fs_d.value = slider.dflt;
      def.u.fs_d.valid_min = static_cast<PF_FpShort>(slider.validMin);
      def.u.fs_d.valid_max = static_cast<PF_FpShort>(slider.validMax);
      def.u.fs_d.slider_min = static_cast<PF_FpShort>(slider.sliderMin);
      def.u.fs_d.slider_max = static_cast<PF_FpShort>(slider.sliderMax);
      def.u.fs_d.dephault = static_cast<PF_FpShort>(slider.dflt);
      def.u.fs_d.precision = slider.precision;
      def.u.fs_d.display_flags = slider.display;
      def.u.fs_d.curve_tolerance = AEFX_AUDIO_DEFAULT_CURVE_TOLERANCE;
      break;
    case PF_Param_FIX_SLIDER:
      def.u.fd.value = def.u.fd.dephault = ToFixed(slider.dflt);
      def.u.fd.valid_min = ToFixed(slider.validMin);
      def.u.fd.valid_max = ToFixed(slider.validMax);
      def.u.fd.slider_min = ToFixed(slider.sliderMin);
      def.u.fd.slider_max = ToFixed(slider.sliderMax);
      def.u.fd.precision = slider.precision;
      def.u.fd.display_flags = slider.display;
      break;
    case PF_Param_COLOR:
      def.u.cd.value = def.u.cd.dephault = entry.color;
      break;
    default:  // angles start at 0 degrees; groups carry nothing of their own
      break;
  }
}

}  // namespace

PF_Err AddParams(PF_InData* in_data, PF_OutData* out_data, const ParamEntry* entries,
                 std::size_t count) {
  PF_ParamDef def;
  for (std::size_t i = 0; i < count; ++i) {
    const ParamEntry& entry = entries[i];
    std::memset(&def, 0, sizeof def);
    def.param_type = entry.type;
    def.flags = entry.flags;
    if (entry.name != nullptr) PF_STRCPY(def.name, entry.name);
    FillTypeFields(entry, def);
    def.uu.id = static_cast<A_long>(i + 1);
    if (const PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def)) return err;
  }
  out_data->num_params = static_cast<A_long>(count + 1);
  return PF_Err_NONE;
}

void CopyParamDefs(PF_ParamDef* const params[], PF_ParamDef* work, const ParamUIChange* changes,
                   std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const PF_ParamIndex index = changes[i].index;
    std::memcpy(&work[index], params[index], sizeof(PF_ParamDef));
  }
}

PF_Err SendParamUIChanges(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* const params[],
                          PF_ParamDef* work, const ParamUIChange* changes, std::size_t count) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  CopyParamDefs(params, work, changes, count);
  PF_Err err = PF_Err_NONE;
  for (std::size_t i = 0; i < count && err == PF_Err_NONE; ++i) {
    const ParamUIChange& change = changes[i];
    PF_ParamDef& copy = work[change.index];
    if (change.name != nullptr) PF_STRCPY(copy.name, change.name);
    if (change.state == ParamState::kDisabled) copy.ui_flags |= PF_PUI_DISABLED;
    if (change.state == ParamState::kEnabled) copy.ui_flags &= ~PF_PUI_DISABLED;
    err = suites.ParamUtilsSuite1()->PF_UpdateParamUI(in_data->effect_ref, change.index, &copy);
  }
  out_data->out_flags |= PF_OutFlag_REFRESH_UI;
  return err;
}

}  // namespace zelfin
