// zelfin-host list: the effects a plug-in file declares in its registration resources.
#include <ostream>

#include "Commands.h"
#include "Listing.h"
#include "Report.h"

namespace zelfin_host {

namespace {

int Run(const Arguments& args, std::ostream& out) {
  const PluginFile plugin = OpenPlugin(args.positionals[0]);
  Title(out, "Effects in " + plugin.path);
  out << "  " << PluginKindName(plugin.kind) << "; registration resources read from "
      << plugin.resourcePath << "\n\n";
  PrintEffects(out, plugin);
  Section(out, "Flags");
  PrintFlags(out, plugin);
  Section(out, "Global setup");
  PrintGlobalSetupCheck(out, plugin);
  return 0;
}

}  // namespace

const Command kListCommand = {
    "list",
    {"PLUGIN"},
    "Lists the effects PLUGIN declares in its registration resources.",
    {},
    "PLUGIN is the Linux library (its resources are the ZelfinControls.rsrc the build writes\n"
    "beside it), a Windows .aex file, or a macOS .plugin bundle or the code file inside it. For\n"
    "the library and, on Linux x86_64, the bundle's x86_64 code, each effect's global setup is\n"
    "run and a warning printed where the version or flags it reports differ from its resource.\n",
    Run};

}  // namespace zelfin_host
