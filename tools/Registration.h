// What an effect's registration resource declares, set against what its global setup reports:
// the host warns about any difference, so zelfin-host does too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PluginFile.h"
#include "host/host.h"

namespace zelfin_host {

// The names of the set bits ("DEEP_COLOR_AWARE SEND_UPDATE_PARAMS_UI"), unknown ones in hex.
std::string OutFlagNames(std::uint32_t flags);
std::string OutFlag2Names(std::uint32_t flags);
std::string Hex(std::uint32_t word);

// One sentence per field that differs (version, out_flags, out_flags2); empty when they agree.
std::vector<std::string> Disagreements(const DeclaredEffect& declared, const PF_OutData& reported);

// Runs global setup (and setdown) of each declared effect of a loaded library and returns the
// warnings: a missing entry point, a failed setup, or a disagreement, each naming the effect.
std::vector<std::string> CheckAgainstGlobalSetup(const PluginFile& plugin);

}  // namespace zelfin_host
