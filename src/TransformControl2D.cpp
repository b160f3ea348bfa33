// Transform Control: the keyframable properties of a 2D layer transform.
#include "ZelfinControl.h"
#include "ZelfinParams.h"

#include <iterator>

namespace zelfin {
namespace {

// Parameter indices; the host stores values under these as ids.
enum : PF_ParamIndex {
  kInput,
  kAnchorPoint,
  kPosition,
  kUniformScaling,
  kXScale,
  kYScale,
  kRotation,
  kOpacity,
  kParamCount
};

constexpr ParamEntry kParams[] = {
    Point("Anchor Point", kCollapsed, 50, 50),  // percent of the layer: its centre
    Point("Position", kCollapsed, 50, 50),
    Checkbox("", kCollapsed, "Uniform Scaling"),
    FloatSlider(kXScaleName, kCollapsed, kTransformScaleRange),
    FloatSlider("Y Scale", kCollapsed, kTransformScaleRange),
    Angle("Rotation", kCollapsed),
    FixSlider("Opacity", kCollapsed, kTransformOpacityRange),
};
static_assert(std::size(kParams) + 1 == kParamCount && WellFormed(kParams));

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) {
  return AddParams(in_data, out_data, kParams);
}

// Uniform scaling shows the X scale as "Scale" and greys out "Y Scale", whose value is kept.
PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]) {
  const bool uniform = params[kUniformScaling]->u.bd.value != 0;
  const ParamUIChange changes[] = {
      {kXScale, uniform ? kUniformScaleName : kXScaleName, ParamState::kKeep},
      {kYScale, nullptr, uniform ? ParamState::kDisabled : ParamState::kEnabled},
  };
  return SendParamUIChanges<kParamCount>(in_data, out_data, params, changes, std::size(changes));
}

// This effect keeps no global data and does not register with the host's plug-in services: it
// only states its version and capabilities.
PF_Err GlobalSetupWithoutData(PF_InData*, PF_OutData* out_data, const EffectDescription& effect) {
  DeclareVersionAndFlags(out_data, effect);
  return PF_Err_NONE;
}

constexpr ZelfinCommandTable kCommands = {
    kTransformControl2D, GlobalSetupWithoutData, nullptr, ParamsSetup, UpdateParamsUI, nullptr};

}  // namespace
}  // namespace zelfin

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_2d(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                            PF_ParamDef* params[], PF_LayerDef* output,
                                            void* extra) {
  return zelfin::DispatchCommand(zelfin::kCommands, cmd, in_data, out_data, params, output, extra);
}
