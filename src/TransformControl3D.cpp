// 3D Transform Control: the keyframable properties of a 3D layer transform.
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
  kZScale,
  kXOrientation,
  kYOrientation,
  kZOrientation,
  kXRotation,
  kYRotation,
  kZRotation,
  kOpacity,
  kParamCount
};

constexpr ParamEntry kParams[] = {
    Point3D("Anchor Point", kCollapsed, 50, 50, 0),
    Point3D("Position", kCollapsed, 50, 50, 0),
    Checkbox("", kCollapsed, "Uniform Scaling"),
    FloatSlider(kXScaleName, kCollapsed, kTransformScaleRange),
    FloatSlider("Y Scale", kCollapsed, kTransformScaleRange),
    FloatSlider("Z Scale", kCollapsed, kTransformScaleRange),
    Angle("X Orientation", kCollapsed),
    Angle("Y Orientation", kCollapsed),
    Angle("Z Orientation", kCollapsed),
    Angle("X Rotation", kCollapsed),
    Angle("Y Rotation", kCollapsed),
    Angle("Z Rotation", kCollapsed),
    FixSlider("Opacity", kCollapsed, kTransformOpacityRange),
};
static_assert(std::size(kParams) + 1 == kParamCount && WellFormed(kParams));

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) {
  return AddParams(in_data, out_data, kParams);
}

// Uniform scaling shows the X scale as "Scale" and greys out the Y and Z scales, whose values
// are kept.
PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]) {
  const bool uniform = params[kUniformScaling]->u.bd.value != 0;
  const ParamState others = uniform ? ParamState::kDisabled : ParamState::kEnabled;
  const ParamUIChange changes[] = {
      {kXScale, uniform ? kUniformScaleName : kXScaleName, ParamState::kKeep},
      {kYScale, nullptr, others},
      {kZScale, nullptr, others},
  };
  return SendParamUIChanges<kParamCount>(in_data, out_data, params, changes, std::size(changes));
}

constexpr ZelfinCommandTable kCommands = {
    kTransformControl3D, GlobalSetup, GlobalSetdown, ParamsSetup, UpdateParamsUI, nullptr};

}  // namespace
}  // namespace zelfin

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_3d(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                            PF_ParamDef* params[], PF_LayerDef* output,
                                            void* extra) {
  return zelfin::DispatchCommand(zelfin::kCommands, cmd, in_data, out_data, params, output, extra);
}
