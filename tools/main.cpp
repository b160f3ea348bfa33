// zelfin-host: the stand-in host on the command line. Lists a plug-in's effects, shows an
// effect's controls, renders a frame, drags Bezier Control's handles, and tours all of it.
#include <exception>
#include <new>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Report.h"
#include "ZelfinEffects.h"

namespace {

using namespace zelfin_host;

const Command* const kCommands[] = {&kListCommand, &kPanelCommand, &kRenderCommand,
                                        &kDragCommand, &kSessionCommand};

std::string Version() {
  return std::to_string(zelfin::kVersionMajor) + "." + std::to_string(zelfin::kVersionMinor) +
         "." + std::to_string(zelfin::kVersionBugFix);
}

void Overview(std::ostream& out) {
  out << "usage: zelfin-host COMMAND ARGUMENTS... [options]\n"
         "       zelfin-host COMMAND --help\n"
         "       zelfin-host --version\n\n"
         "Loads the ZelfinControls plug-in into the stand-in host and plays the host's part.\n\n"
         "commands:\n";
  Table commands;
  for (const Command* command : kCommands) commands.row({command->name, command->summary});
  commands.print(out);
  out << "\n" << ExitStatusHelp();
}

const Command* Find(const std::string& name) {
  for (const Command* command : kCommands) {
    if (command->name == name) return command;
  }
  return nullptr;
}

int UnknownCommand(const std::string& name) {
  std::cerr << "zelfin-host: unknown command '" << name << "'\n"
            << "Run 'zelfin-host --help' for the list of commands.\n";
  return kExitBadCommandLine;
}

int Run(const std::vector<std::string>& words) {
  if (words.empty()) {
    Overview(std::cerr);
    return kExitBadCommandLine;
  }
  if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    if (words.size() == 1) {
      Overview(std::cout);
      return kExitDone;
    }
    // "help COMMAND" is that command's --help.
    const Command* command = words.size() == 2 ? Find(words[1]) : nullptr;
    if (words.size() == 2 && !command) return UnknownCommand(words[1]);
    if (!command) {
      std::cerr << "zelfin-host: " << words[0] << " takes at most one command name\n";
      return kExitBadCommandLine;
    }
    std::cout << CommandHelp(*command);
    return kExitDone;
  }
  if (words[0] == "--version") {
    if (words.size() > 1) {
      std::cerr << "zelfin-host: --version takes no arguments\n";
      return kExitBadCommandLine;
    }
    std::cout << "zelfin-host " << Version() << "\n";
    return kExitDone;
  }
  const Command* command = Find(words[0]);
  if (!command) return UnknownCommand(words[0]);
  try {
    const Arguments args =
        ParseArguments(*command, std::vector<std::string>(words.begin() + 1, words.end()));
    if (args.help) {
      std::cout << CommandHelp(*command);
      return kExitDone;
    }
    const int status = command->run(args, std::cout);
    std::cout.flush();
    return status;
  } catch (const UsageError& e) {
    std::cerr << "zelfin-host " << command->name << ": " << e.what() << "\n"
              << "usage: " << UsageLine(*command) << "\n"
              << "Run 'zelfin-host " << command->name << " --help' for more.\n";
    return kExitBadCommandLine;
  } catch (const ToolError& e) {
    std::cout.flush();
    std::cerr << "zelfin-host " << command->name << ": error: " << e.what() << "\n";
    return kExitFailed;
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    std::cerr << "zelfin-host: internal error: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "zelfin-host: internal error: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "zelfin-host: internal error\n";
  }
  return kExitInternalError;
}
