// One effect applied to a layer in the stand-in host, as the host applies it: global setup,
// parameter setup and, for an effect that asks for them, a first PF_Cmd_UPDATE_PARAMS_UI, so that
// its controls open in the state its rules give them. The layer is 400 x 300, and the 2D points
// start where the host puts them, in its pixels. Global setdown on destruction.
#pragma once

#include <string>
#include <vector>

#include "PluginFile.h"
#include "testhost/core/Host.h"

namespace zelfin_host {

class AppliedEffect {
 public:
  static constexpr int kLayerWidth = 400;
  static constexpr int kLayerHeight = 300;

  // Throws ToolError when the plug-in cannot run here, lacks the entry point, or a setup command
  // fails.
  AppliedEffect(const PluginFile& plugin, const DeclaredEffect& effect);
  ~AppliedEffect();
  AppliedEffect(const AppliedEffect&) = delete;
  AppliedEffect& operator=(const AppliedEffect&) = delete;

  testhost::Host& host() { return host_; }
  const DeclaredEffect& effect() const { return effect_; }

  // A user's change in the Effect Controls panel ("Light Type=Spot"): the value, then
  // PF_Cmd_UPDATE_PARAMS_UI when the effect asked for it at global setup. Throws ToolError for
  // an unknown parameter or a value the parameter refuses, and when the update fails.
  void change(const std::string& assignment);

 private:
  const DeclaredEffect& effect_;
  testhost::Host host_;
};

// Throws ToolError naming the effect and the command when `result` is not a clean success.
void RequireSuccess(const DeclaredEffect& effect, const char* command,
                    const testhost::CommandResult& result);

}  // namespace zelfin_host
