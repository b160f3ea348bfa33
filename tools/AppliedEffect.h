// One effect applied to a layer in the stand-in host: global setup and parameter setup done on
// construction, global setdown on destruction.
#pragma once

#include <string>

#include "PluginFile.h"
#include "testhost/Host.h"

namespace zelfin_host {

class AppliedEffect {
 public:
  // Throws ToolError when the plug-in cannot run here, lacks the entry point, or a setup command
  // fails.
  AppliedEffect(const PluginFile& plugin, const DeclaredEffect& effect);
  ~AppliedEffect();
  AppliedEffect(const AppliedEffect&) = delete;
  AppliedEffect& operator=(const AppliedEffect&) = delete;

  testhost::Host& host() { return host_; }
  const DeclaredEffect& effect() const { return effect_; }

 private:
  const DeclaredEffect& effect_;
  testhost::Host host_;
};

// Throws ToolError naming the effect and the command when `result` is not a clean success.
void RequireSuccess(const DeclaredEffect& effect, const char* command,
                    const testhost::CommandResult& result);

}  // namespace zelfin_host
