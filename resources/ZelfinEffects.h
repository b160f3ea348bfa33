// The one description of the five effects' registration.
//
// The host refuses a plug-in whose registration resource disagrees with what global setup
// reports, so both read this table: the plug-in's global setup and About text at run time, and
// the resource generator at build time. Match names are stored in users' project files and must
// never change.
#pragma once

#include "host/host.h"

#include <cstdint>

namespace zelfin {

// PF_VERSION(1, 1, 0, PF_Stage_RELEASE, 1); the About text and the release package spell out the
// same numbers.
constexpr std::uint32_t kVersionMajor = 1;
constexpr std::uint32_t kVersionMinor = 1;
constexpr std::uint32_t kVersionBugFix = 0;
constexpr std::uint32_t kVersionStage = PF_Stage_RELEASE;
constexpr std::uint32_t kVersionBuild = 1;
constexpr std::uint32_t kPluginVersion = (kVersionMajor << 19) | (kVersionMinor << 15) |
                                         (kVersionBugFix << 11) | (kVersionStage << 9) |
                                         kVersionBuild;
static_assert(kPluginVersion == 0x00088601, "version word the registration resources carry");

constexpr const char* kCategory = "ZelfinControls";

// Name of the plug-in file: ZelfinControls.aex, ZelfinControls.plugin and the code and resource
// files inside the bundle.
constexpr const char* kPluginFileName = "ZelfinControls";
constexpr const char* kBundleIdentifier = "org.zelfin.ZelfinControls";

// What every effect's registration properties share besides the version.
constexpr int kFirstResourceId = 16000;  // effect i is resource kFirstResourceId + i
constexpr char kEffectKind[] = "eFKT";   // also the bundle's package type
constexpr char kHostSignature[] = "FXTC";  // the bundle's signature: the effect host
constexpr std::uint16_t kPropertyListVersionMajor = 2;
constexpr std::uint16_t kPropertyListVersionMinor = 0;
constexpr std::uint16_t kEffectApiVersionMajor = 13;
constexpr std::uint16_t kEffectApiVersionMinor = 1;
constexpr std::uint16_t kInfoFlags = 0;
constexpr std::uint32_t kReservedInfo = 8;

struct EffectDescription {
  const char* name;        // Effects menu name and the name in the About text
  const char* entryPoint;  // exported function the host calls
  const char* matchName;   // identifies the effect in saved projects
  std::uint32_t outFlags;  // ORed into out_flags at global setup
  std::uint32_t outFlags2; // ORed into out_flags2 at global setup
};

enum EffectIndex : int {
  kTransformControl2D,
  kTransformControl3D,
  kCameraControl,
  kLightControl,
  kBezierControl,
  kEffectCount
};

constexpr std::uint32_t kParamsUIOutFlags = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
constexpr std::uint32_t kCustomUIOutFlags = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_CUSTOM_UI;
constexpr std::uint32_t kSmartRenderOutFlags2 = PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE;

// Resource ids 16000 + index, in this order. Only Transform Control declares the collapsed-group
// flag (kept on purpose: "Compatibility decisions" in docs/developer-guide.md).
inline constexpr EffectDescription kEffects[kEffectCount] = {
    {"Transform Control", "EntryPointFunc_2d", "Zelfin Transform Control", kParamsUIOutFlags,
     kSmartRenderOutFlags2 | PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG},
    {"3D Transform Control", "EntryPointFunc_3d", "Zelfin 3D Transform Control", kParamsUIOutFlags,
     kSmartRenderOutFlags2},
    {"Camera Control", "EntryPointFunc_camera", "Zelfin Camera Control", kParamsUIOutFlags,
     kSmartRenderOutFlags2},
    {"Light Control", "EntryPointFunc_light", "Zelfin Light Control", kParamsUIOutFlags,
     kSmartRenderOutFlags2},
    {"Bezier Control", "EntryPointFunc_bezier", "ZelfinBezierControl", kCustomUIOutFlags,
     kSmartRenderOutFlags2},
};

}  // namespace zelfin
