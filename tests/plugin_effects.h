// The five effects of the built plug-in as the host-driven tests see them: entry point, About
// name and the capability words global setup must report, written out from the documented
// values rather than taken from the plug-in's own description.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "testhost/testhost.h"

namespace zelfin_test {

struct EffectCase {
  const char* id;          // test name suffix
  const char* entryPoint;  // exported name
  const char* name;        // name in the About text
  std::uint32_t outFlags;  // ORed into out_flags at global setup
  std::uint32_t outFlags2;
  bool globalData;  // keeps a global data handle (all but Transform Control)
};

// DEEP_COLOR_AWARE | SEND_UPDATE_PARAMS_UI, CUSTOM_UI | DEEP_COLOR_AWARE,
// SUPPORTS_SMART_RENDER | FLOAT_COLOR_AWARE, the same plus PARAM_GROUP_START_COLLAPSED_FLAG.
inline constexpr EffectCase kEffectCases[] = {
    {"TransformControl", "EntryPointFunc_2d", "Transform Control", 0x06000000u, 0x1408u, false},
    {"TransformControl3D", "EntryPointFunc_3d", "3D Transform Control", 0x06000000u, 0x1400u,
     true},
    {"CameraControl", "EntryPointFunc_camera", "Camera Control", 0x06000000u, 0x1400u, true},
    {"LightControl", "EntryPointFunc_light", "Light Control", 0x06000000u, 0x1400u, true},
    {"BezierControl", "EntryPointFunc_bezier", "Bezier Control", 0x02008000u, 0x1400u, true},
};

inline constexpr std::uint32_t kPluginVersion = 0x00088601u;  // 1.1.0, release, build 1

inline std::vector<EffectCase> EffectsWithGlobalData() {
  std::vector<EffectCase> out;
  for (const EffectCase& e : kEffectCases)
    if (e.globalData) out.push_back(e);
  return out;
}

inline void PrintTo(const EffectCase& e, std::ostream* os) { *os << e.id; }

// Loaded once per test program; the entry points stay valid for its whole run.
inline const testhost::PluginModule& Plugin() {
  static const testhost::PluginModule module(testhost::DefaultPluginPath());
  return module;
}

inline std::string EffectId(const ::testing::TestParamInfo<EffectCase>& info) {
  return info.param.id;
}

}  // namespace zelfin_test
