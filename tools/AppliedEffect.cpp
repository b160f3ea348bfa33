#include "AppliedEffect.h"

#include <optional>

#include "CommandLine.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/panels/EffectControls.h"
#include "testhost/loader/PluginFileCheck.h"
#include "testhost/loader/PluginModule.h"

namespace zelfin_host {

namespace {

testhost::Host Attach(const PluginFile& plugin, const DeclaredEffect& effect) {
  const testhost::PluginModule& module = LoadedModule(plugin);
  try {
    return testhost::Host(module, effect.entryPoint);
  } catch (const testhost::LoadError& e) {
    throw ToolError(Quoted(effect) + " cannot be applied: " + testhost::EscapedText(e.what()));
  }
}

const char* CommandName(PF_Cmd cmd) {
  switch (cmd) {
    case PF_Cmd_GLOBAL_SETUP:
      return "global setup";
    case PF_Cmd_PARAMS_SETUP:
      return "parameter setup";
    case PF_Cmd_UPDATE_PARAMS_UI:
      return "the update of its controls";
    default:
      return "a command";
  }
}

}  // namespace

void RequireSuccess(const DeclaredEffect& effect, const char* command,
                    const testhost::CommandResult& result) {
  if (result.err == PF_Err_NONE && result.clean()) return;
  throw ToolError(Quoted(effect) + " failed in " + command + ":\n" + result.describe());
}

AppliedEffect::AppliedEffect(const PluginFile& plugin, const DeclaredEffect& effect)
    : effect_(effect), host_(Attach(plugin, effect)) {
  PF_InData& in = host_.inData();
  in.width = kLayerWidth;
  in.height = kLayerHeight;
  in.extent_hint = {0, 0, kLayerWidth, kLayerHeight};
  const std::vector<testhost::CommandResult> sent = testhost::ApplyEffect(host_);
  try {
    for (const testhost::CommandResult& result : sent) {
      RequireSuccess(effect_, CommandName(result.cmd), result);
    }
  } catch (...) {
    if (sent.front().err == PF_Err_NONE && !sent.front().escaped) host_.globalSetdown();
    throw;
  }
  testhost::PlacePointDefaults(host_);
}

AppliedEffect::~AppliedEffect() { host_.globalSetdown(); }

void AppliedEffect::change(const std::string& assignment) {
  std::optional<testhost::CommandResult> update;
  try {
    update = testhost::ChangeControl(host_, assignment);
  } catch (const testhost::ControlError& e) {
    // The value was typed on the command line.
    throw UsageError("--set: " + Quoted(effect_) + ": " + e.what());
  }
  if (update) RequireSuccess(effect_, CommandName(update->cmd), *update);
}

}  // namespace zelfin_host
