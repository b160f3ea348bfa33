// zelfin-host panel: an effect's Effect Controls panel, after the changes a user makes there.
#include <ostream>

#include "AppliedEffect.h"
#include "Commands.h"
#include "ControlsReport.h"
#include "Report.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/loader/PluginFileCheck.h"

namespace zelfin_host {

namespace {

int Run(const Arguments& args, std::ostream& out) {
  const PluginFile plugin = OpenPlugin(args.positionals[0]);
  const DeclaredEffect& effect = FindEffect(plugin, args.positionals[1]);
  AppliedEffect applied(plugin, effect);
  const std::vector<std::string>& changes = args.values("--set");
  for (const std::string& change : changes) applied.change(change);

  Title(out, "Effect Controls: " + testhost::EscapedText(effect.name));
  for (const std::string& change : changes) out << "  set " << change << "\n";
  if (!changes.empty()) out << "\n";
  PrintControls(out, testhost::DescribeControls(applied.host()));
  return kExitDone;
}

}  // namespace

const Command kPanelCommand = {
    "panel",
    {"PLUGIN", "EFFECT"},
    "Applies EFFECT and prints its Effect Controls panel.",
    {{"--set", "NAME=VALUE", true,
      "change one control, as a user would, before printing; repeat --set for each"}},
    "The effect gets global setup, parameter setup and, if it asks for them, an update of its\n"
    "controls, as the host applies an effect. Each --set changes one value, in the order given,\n"
    "and is followed by PF_Cmd_UPDATE_PARAMS_UI as the host sends it. Values are typed as in the\n"
    "panel:\n"
    "  checkbox  on or off              popup   a choice's name or its number\n"
    "  slider    a number in range      angle   degrees\n"
    "  point     x,y or x,y,z           colour  r,g,b (0-255) or #RRGGBB\n"
    "A greyed-out control cannot be changed. A checkbox without a name of its own is shown as\n"
    "\"(unnamed)\" beside its text: the text sets it here, but an expression finds it only by\n"
    "its index, which the panel gives. Example:\n"
    "  zelfin-host panel ZelfinControls.so \"Light Control\" --set \"Light Type=Spot\" \\\n"
    "      --set \"Cone Angle=40\"\n",
    Run};

}  // namespace zelfin_host
