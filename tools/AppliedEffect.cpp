#include "AppliedEffect.h"

#include "CommandLine.h"
#include "testhost/PluginModule.h"

namespace zelfin_host {

namespace {

testhost::Host Attach(const PluginFile& plugin, const DeclaredEffect& effect) {
  const testhost::PluginModule& module = LoadedModule(plugin);
  try {
    return testhost::Host(module, effect.entryPoint);
  } catch (const testhost::LoadError& e) {
    throw ToolError("\"" + effect.name + "\" cannot be applied: " + e.what());
  }
}

}  // namespace

void RequireSuccess(const DeclaredEffect& effect, const char* command,
                    const testhost::CommandResult& result) {
  if (result.err == PF_Err_NONE && result.clean()) return;
  throw ToolError("\"" + effect.name + "\" failed in " + command + ":\n" + result.describe());
}

AppliedEffect::AppliedEffect(const PluginFile& plugin, const DeclaredEffect& effect)
    : effect_(effect), host_(Attach(plugin, effect)) {
  RequireSuccess(effect_, "global setup", host_.globalSetup());
  try {
    RequireSuccess(effect_, "parameter setup", host_.paramsSetup());
  } catch (...) {
    host_.globalSetdown();
    throw;
  }
}

AppliedEffect::~AppliedEffect() { host_.globalSetdown(); }

}  // namespace zelfin_host
