// Light Control: the keyframable properties of a light.
#include "ZelfinControl.h"
#include "ZelfinParams.h"

#include <iterator>

namespace zelfin {
namespace {

// Parameter indices; the host stores values under these as ids.
enum : PF_ParamIndex {
  kInput,
  kLightType,
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
  kIntensity,
  kColor,
  kConeAngle,
  kConeFeather,
  kFalloff,
  kRadius,
  kFalloffDistance,
  kOptionsEnd,
  kParamCount
};

// "Light Type" values, 1-based like every popup.
enum : A_long { kParallel = 1, kSpot, kPoint, kAmbient };
constexpr int kLightTypeCount = kAmbient;

constexpr ParamEntry kParams[] = {
    Popup("Light Type", kCannotTimeVary, "Parallel|Spot|Point|Ambient", kParallel),
    GroupStart("Transform", kCollapsed),
    Point3D("Point of Interest", kCollapsed, 50, 50, 0),
    Point3D("Position", kCollapsed, 60, 40, -50),
    Angle("X Orientation", kCollapsed),
    Angle("Y Orientation", kCollapsed),
    Angle("Z Orientation", kCollapsed),
    Angle("X Rotation", kCollapsed),
    Angle("Y Rotation", kCollapsed),
    Angle("Z Rotation", kCollapsed),
    GroupEnd(),
    GroupStart("Light Options", kCollapsed),
    FloatSlider("Intensity", kCollapsed,
                {-1000000, 1000000, 0, 100, 100, 1, PF_ValueDisplayFlag_PERCENT}),
    Color("Color", kCollapsed, {255, 255, 255, 255}),
    FloatSlider("Cone Angle", kCollapsed, {0, 180, 0, 180, 90, 1, 0}),
    FloatSlider("Cone Feather", kCollapsed, {0, 100, 0, 100, 50, 1, PF_ValueDisplayFlag_PERCENT}),
    Popup("Falloff", kCollapsed, "None|Smooth|Inverse Square Clamped", 1),
    FloatSlider("Radius", kCollapsed, {0, 1000000, 0, 1000, 500, 1, 0}),
    FloatSlider("Falloff Distance", kCollapsed, {0, 1000000, 0, 1000, 500, 1, 0}),
    GroupEnd(),
};
static_assert(std::size(kParams) + 1 == kParamCount && WellFormed(kParams));

// Which parameters apply to each light type; the rest are greyed out. Light Type, the "Light
// Options" header, Intensity, Color and the group ends apply to every type and are not touched.
struct LightRule {
  PF_ParamIndex index;
  ParamState byType[kLightTypeCount];  // Parallel, Spot, Point, Ambient
};
constexpr ParamState E = ParamState::kEnabled;
constexpr ParamState D = ParamState::kDisabled;
constexpr LightRule kLightRules[] = {
    {kTransformGroup, {E, E, E, D}},
    {kPointOfInterest, {E, E, D, D}},
    {kPosition, {E, E, E, D}},
    {kXOrientation, {D, E, D, D}},
    {kYOrientation, {D, E, D, D}},
    {kZOrientation, {D, E, D, D}},
    {kXRotation, {D, E, D, D}},
    {kYRotation, {D, E, D, D}},
    {kZRotation, {D, E, D, D}},
    {kConeAngle, {D, E, D, D}},
    {kConeFeather, {D, E, D, D}},
    {kFalloff, {E, E, E, D}},
    {kRadius, {E, E, E, D}},
    {kFalloffDistance, {E, E, E, D}},
};

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) {
  return AddParams(in_data, out_data, kParams);
}

// Greys out what does not apply to the light type; a type the list does not know changes
// nothing.
PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]) {
  const A_long type = params[kLightType]->u.pd.value;
  ParamUIChange changes[std::size(kLightRules)];
  std::size_t count = 0;
  if (type >= kParallel && type <= kAmbient) {
    for (const LightRule& rule : kLightRules) {
      changes[count++] = {rule.index, nullptr, rule.byType[type - kParallel]};
    }
  }
  return SendParamUIChanges<kParamCount>(in_data, out_data, params, changes, count);
}

constexpr ZelfinCommandTable kCommands = {
    kLightControl, GlobalSetup, GlobalSetdown, ParamsSetup, UpdateParamsUI, nullptr};

}  // namespace
}  // namespace zelfin

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_light(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                               PF_ParamDef* params[], PF_LayerDef* output,
                                               void* extra) {
  return zelfin::DispatchCommand(zelfin::kCommands, cmd, in_data, out_data, params, output, extra);
}
