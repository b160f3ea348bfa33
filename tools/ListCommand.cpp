// zelfin-host list: the effects a plug-in file declares in its registration resources.
#include <ostream>

#include "CommandLine.h"
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
  const std::size_t warnings = PrintGlobalSetupCheck(out, plugin);
  // The listing stands, but a plug-in whose code cannot run, or runs otherwise than its resources
  // declare, fails the command.
  if (!plugin.loadProblem.empty()) throw ToolError(plugin.loadProblem);
  if (warnings > 0) {
    throw ToolError(std::to_string(warnings) +
                    (warnings == 1 ? " warning" : " warnings") +
                    " from global setup: an effect failed it or reported other flags or version"
                    " than its resource declares (the report above names them)");
  }
  return kExitDone;
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
    "run and a warning printed where the version or flags it reports differ from its resource;\n"
    "a warning, or code that cannot be loaded, fails the command after the listing.\n",
    Run};

}  // namespace zelfin_host
