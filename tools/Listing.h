// The effects a plug-in file declares, as tables: who they are, their flag words, and whether
// global setup agrees with the resources.
#pragma once

#include <cstddef>
#include <iosfwd>

#include "PluginFile.h"

namespace zelfin_host {

// id, name, category, match name, entry point, version.
void PrintEffects(std::ostream& out, const PluginFile& plugin);

// out_flags and out_flags2 of each effect, in hex and by name.
void PrintFlags(std::ostream& out, const PluginFile& plugin);

// Runs each effect's global setup (library of this machine only) and prints one line when all
// agree with their resources, else a warning per difference. Returns the number of warnings.
std::size_t PrintGlobalSetupCheck(std::ostream& out, const PluginFile& plugin);

}  // namespace zelfin_host
