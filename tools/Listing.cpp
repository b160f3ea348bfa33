#include "Listing.h"

#include <ostream>
#include <string>

#include "Registration.h"
#include "Report.h"

namespace zelfin_host {

void PrintEffects(std::ostream& out, const PluginFile& plugin) {
  Table effects;
  effects.row({"id", "name", "category", "match name", "entry point", "for", "version"});
  for (const DeclaredEffect& e : plugin.effects) {
    std::string architectures;
    for (const std::string& architecture : e.architectures) {
      architectures += (architectures.empty() ? "" : ", ") + architecture;
    }
    effects.row({std::to_string(e.resourceId), e.name, e.category, e.matchName, e.entryPoint,
                 architectures, VersionText(e.version)});
  }
  effects.print(out);
}

void PrintFlags(std::ostream& out, const PluginFile& plugin) {
  Table flags;
  for (const DeclaredEffect& e : plugin.effects) {
    flags.row({e.name, "out_flags", Hex(e.outFlags), OutFlagNames(e.outFlags)});
    flags.row({"", "out_flags2", Hex(e.outFlags2), OutFlag2Names(e.outFlags2)});
  }
  flags.print(out);
}

std::size_t PrintGlobalSetupCheck(std::ostream& out, const PluginFile& plugin) {
  if (plugin.kind != PluginKind::kLibrary) {
    out << "  global setup not run: a " << PluginKindName(plugin.kind)
        << " cannot be loaded on this machine\n";
    return 0;
  }
  const std::vector<std::string> warnings = CheckAgainstGlobalSetup(plugin);
  if (warnings.empty()) {
    out << "  global setup of every effect reports the version and flags its resource declares\n";
  }
  for (const std::string& warning : warnings) out << "  warning: " << warning << "\n";
  return warnings.size();
}

}  // namespace zelfin_host
