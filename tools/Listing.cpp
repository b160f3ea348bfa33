#include "Listing.h"

#include <ostream>
#include <string>

#include "Registration.h"
#include "Report.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/loader/PluginFileCheck.h"

namespace zelfin_host {

namespace {

// Text from the registration resources, which may be damaged.
std::string Escaped(const std::string& text) { return testhost::EscapedText(text); }

}  // namespace

void PrintEffects(std::ostream& out, const PluginFile& plugin) {
  Table effects;
  effects.row({"id", "name", "category", "match name", "entry point", "for", "version"});
  for (const DeclaredEffect& e : plugin.effects) {
    std::string architectures;
    for (const std::string& architecture : e.architectures) {
      architectures += (architectures.empty() ? "" : ", ") + architecture;
    }
    effects.row({std::to_string(e.resourceId), Escaped(e.name), Escaped(e.category),
                 Escaped(e.matchName), Escaped(e.entryPoint), architectures,
                 VersionText(e.version)});
  }
  effects.print(out);
}

void PrintFlags(std::ostream& out, const PluginFile& plugin) {
  Table flags;
  for (const DeclaredEffect& e : plugin.effects) {
    flags.row({Escaped(e.name), "out_flags", Hex(e.outFlags), OutFlagNames(e.outFlags)});
    flags.row({"", "out_flags2", Hex(e.outFlags2), OutFlag2Names(e.outFlags2)});
  }
  flags.print(out);
}

std::size_t PrintGlobalSetupCheck(std::ostream& out, const PluginFile& plugin) {
  if (!plugin.module) {
    out << "  global setup not run: "
        << (plugin.loadProblem.empty()
                ? "a " + std::string(PluginKindName(plugin.kind)) + " cannot be loaded on this machine"
                : plugin.loadProblem)
        << "\n";
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
