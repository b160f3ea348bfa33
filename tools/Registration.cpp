#include "Registration.h"

#include <cstdio>

#include "testhost/formats/EscapedText.h"
#include "testhost/core/Host.h"
#include "testhost/loader/PluginFileCheck.h"
#include "testhost/loader/PluginModule.h"

namespace zelfin_host {

namespace {

struct FlagName {
  std::uint32_t bit;
  const char* name;
};

constexpr FlagName kOutFlags[] = {
    {PF_OutFlag_DISPLAY_ERROR_MESSAGE, "DISPLAY_ERROR_MESSAGE"},
    {PF_OutFlag_CUSTOM_UI, "CUSTOM_UI"},
    {PF_OutFlag_REFRESH_UI, "REFRESH_UI"},
    {PF_OutFlag_DEEP_COLOR_AWARE, "DEEP_COLOR_AWARE"},
    {PF_OutFlag_SEND_UPDATE_PARAMS_UI, "SEND_UPDATE_PARAMS_UI"},
};

constexpr FlagName kOutFlags2[] = {
    {PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG, "PARAM_GROUP_START_COLLAPSED_FLAG"},
    {PF_OutFlag2_SUPPORTS_SMART_RENDER, "SUPPORTS_SMART_RENDER"},
    {PF_OutFlag2_FLOAT_COLOR_AWARE, "FLOAT_COLOR_AWARE"},
};

template <std::size_t N>
std::string Names(std::uint32_t flags, const FlagName (&table)[N]) {
  std::string text;
  for (const FlagName& flag : table) {
    if (!(flags & flag.bit)) continue;
    text += (text.empty() ? "" : " ") + std::string(flag.name);
    flags &= ~flag.bit;
  }
  if (flags) text += (text.empty() ? "" : " ") + Hex(flags);
  return text.empty() ? "none" : text;
}

std::string Differs(const char* field, const std::string& reported, const std::string& declared) {
  return std::string(field) + ": global setup reports " + reported + ", the resource " + declared;
}

}  // namespace

std::string Hex(std::uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(word));
  return text;
}

std::string OutFlagNames(std::uint32_t flags) { return Names(flags, kOutFlags); }

std::string OutFlag2Names(std::uint32_t flags) { return Names(flags, kOutFlags2); }

std::vector<std::string> Disagreements(const DeclaredEffect& declared, const PF_OutData& reported) {
  std::vector<std::string> found;
  if (reported.my_version != declared.version) {
    found.push_back(Differs("version", VersionText(reported.my_version) + " (" +
                                           Hex(reported.my_version) + ")",
                            VersionText(declared.version) + " (" + Hex(declared.version) + ")"));
  }
  const auto flags = static_cast<std::uint32_t>(reported.out_flags);
  if (flags != declared.outFlags) {
    found.push_back(Differs("out_flags", Hex(flags), Hex(declared.outFlags)));
  }
  const auto flags2 = static_cast<std::uint32_t>(reported.out_flags2);
  if (flags2 != declared.outFlags2) {
    found.push_back(Differs("out_flags2", Hex(flags2), Hex(declared.outFlags2)));
  }
  return found;
}

std::vector<std::string> CheckAgainstGlobalSetup(const PluginFile& plugin) {
  std::vector<std::string> warnings;
  const testhost::PluginModule& module = LoadedModule(plugin);
  for (const DeclaredEffect& effect : plugin.effects) {
    const std::string who = Quoted(effect) + ": ";
    if (!module.exports(effect.entryPoint)) {
      warnings.push_back(who + "the library does not export " +
                         testhost::EscapedText(effect.entryPoint));
      continue;
    }
    testhost::Host host(module, effect.entryPoint);
    const testhost::CommandResult setup = host.globalSetup();
    if (setup.err != PF_Err_NONE || !setup.clean()) {
      warnings.push_back(who + "global setup failed: " + setup.describe());
    } else {
      for (const std::string& difference : Disagreements(effect, setup.after)) {
        warnings.push_back(who + difference);
      }
    }
    // Global setdown only follows a global setup that ran to its end.
    if (setup.err == PF_Err_NONE && !setup.escaped) host.globalSetdown();
  }
  return warnings;
}

}  // namespace zelfin_host
