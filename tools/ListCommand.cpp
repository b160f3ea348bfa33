// zelfin-host list: the effects a plug-in file declares in its registration resources.
#include <ostream>

#include "Commands.h"
#include "PluginFile.h"
#include "Registration.h"
#include "Report.h"

namespace zelfin_host {

namespace {

int Run(const Arguments& args, std::ostream& out) {
  const PluginFile plugin = OpenPlugin(args.positionals[0]);

  Title(out, "Effects in " + plugin.path);
  out << "  " << PluginKindName(plugin.kind) << "; registration resources read from "
      << plugin.resourcePath << "\n\n";
  Table effects;
  effects.row({"id", "name", "category", "match name", "entry point", "version"});
  for (const DeclaredEffect& e : plugin.effects) {
    effects.row({std::to_string(e.resourceId), e.name, e.category, e.matchName, e.entryPoint,
                 VersionText(e.version)});
  }
  effects.print(out);

  Section(out, "Flags");
  Table flags;
  for (const DeclaredEffect& e : plugin.effects) {
    flags.row({e.name, "out_flags", Hex(e.outFlags), OutFlagNames(e.outFlags)});
    flags.row({"", "out_flags2", Hex(e.outFlags2), OutFlag2Names(e.outFlags2)});
  }
  flags.print(out);

  Section(out, "Global setup");
  if (plugin.kind != PluginKind::kLibrary) {
    out << "  not run: a " << PluginKindName(plugin.kind) << " cannot be loaded on this machine\n";
    return 0;
  }
  const std::vector<std::string> warnings = CheckAgainstGlobalSetup(plugin);
  if (warnings.empty()) {
    out << "  every effect reports the version and flags its resource declares\n";
  }
  for (const std::string& warning : warnings) out << "  warning: " << warning << "\n";
  return 0;
}

}  // namespace

const CommandSpec kListCommand = {
    "list",
    {"PLUGIN"},
    "Lists the effects PLUGIN declares in its registration resources.",
    {},
    "PLUGIN is the Linux library (its resources are the ZelfinControls.rsrc the build writes\n"
    "beside it), a Windows .aex file or a macOS .plugin bundle. For the library, each effect's\n"
    "global setup is run and a warning printed where the version or flags it reports differ\n"
    "from its resource.\n",
    Run};

}  // namespace zelfin_host
