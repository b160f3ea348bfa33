// Camera Control: the keyframable properties of a camera.
#include "ZelfinControl.h"
#include "ZelfinParams.h"

#include <iterator>

namespace zelfin {
namespace {

// Parameter indices; the host stores values under these as ids.
enum : PF_ParamIndex {
  kInput,
  kCameraType,
  kTransformGroup,
  kPointOfInterest,
  kPosition,
  kXOrientation,
  kYOrientation,
  kZOrientation,
  kXRotation,
  kYRotation,
  kZRotation,
  kTransformEnd,
  kOptionsGroup,
  kZoom,
  kDepthOfField,
  kFocusDistance,
  kAperture,
  kBlurLevel,
  kOptionsEnd,
  kParamCount
};

// "Camera Type" values.
constexpr A_long kOneNode = 1;

constexpr ParamEntry kParams[] = {
    Popup("Camera Type", kCannotTimeVary, "One-Node|Two-Node", kOneNode),
    GroupStart("Transform", kCollapsed),
    Point3D("Point of Interest", kCollapsed, 50, 50, 0),
    Point3D("Position", kCollapsed, 50, 50, -50),
    Angle("X Orientation", kCollapsed),
    Angle("Y Orientation", kCollapsed),
    Angle("Z Orientation", kCollapsed),
    Angle("X Rotation", kCollapsed),
    Angle("Y Rotation", kCollapsed),
    Angle("Z Rotation", kCollapsed),
    GroupEnd(),
    GroupStart("Camera Options", kCollapsed),
    FloatSlider("Zoom", kCollapsed, {1, 10000000, 1, 1000, 1000, 1, 0}),
    Checkbox("Depth of Field", kNoFlags, ""),
    FloatSlider("Focus Distance", kCollapsed, {0, 10000000, 0, 1000, 1000, 1, 0}),
    FloatSlider("Aperture", kCollapsed, {0, 10000000, 0, 200, 50, 1, 0}),
    FloatSlider("Blur Level", kCollapsed,
                {0, 10000000, 0, 100, 100, 1, PF_ValueDisplayFlag_PERCENT}),
    GroupEnd(),
};
static_assert(std::size(kParams) + 1 == kParamCount && WellFormed(kParams));

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) {
  return AddParams(in_data, out_data, kParams);
}

// A one-node camera has no point of interest: it is greyed out, its value kept.
PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]) {
  const bool oneNode = params[kCameraType]->u.pd.value == kOneNode;
  const ParamUIChange changes[] = {
      {kPointOfInterest, nullptr, oneNode ? ParamState::kDisabled : ParamState::kEnabled},
  };
  return SendParamUIChanges<kParamCount>(in_data, out_data, params, changes, std::size(changes));
}

constexpr ZelfinCommandTable kCommands = {
    kCameraControl, GlobalSetup, GlobalSetdown, ParamsSetup, UpdateParamsUI, nullptr};

}  // namespace
}  // namespace zelfin

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_camera(PF_Cmd cmd, PF_InData* in_data,
                                                PF_OutData* out_data, PF_ParamDef* params[],
                                                PF_LayerDef* output, void* extra) {
  return zelfin::DispatchCommand(zelfin::kCommands, cmd, in_data, out_data, params, output, extra);
}
