#include "CommandLine.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace zelfin_host {

namespace {

const Option* FindOption(const Command& command, const std::string& name) {
  for (const Option& option : command.options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

}  // namespace

const std::vector<std::string>& Arguments::values(const std::string& option) const {
  static const std::vector<std::string> kNone;
  const auto it = options_.find(option);
  return it == options_.end() ? kNone : it->second;
}

std::string Arguments::value(const std::string& option, const std::string& fallback) const {
  const std::vector<std::string>& all = values(option);
  return all.empty() ? fallback : all.back();
}

Arguments ParseArguments(const Command& command, const std::vector<std::string>& words) {
  Arguments args;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      args.positionals.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "--help" || word == "-h") {
      args.help = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const Option* option = FindOption(command, name);
    if (!option) throw UsageError("unknown option " + name);
    if (option->value.empty()) {
      if (equals != std::string::npos) throw UsageError(name + " takes no value");
      if (args.has(name)) throw UsageError(name + " is given twice");
      args.add(name, "");
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = word.substr(equals + 1);
    } else if (i + 1 < words.size()) {
      value = words[++i];
    } else {
      throw UsageError(name + " needs a value: " + name + " " + option->value);
    }
    if (!option->repeatable && args.has(name)) throw UsageError(name + " is given twice");
    args.add(name, std::move(value));
  }
  if (!args.help && args.positionals.size() != command.positionals.size()) {
    std::ostringstream message;
    if (args.positionals.size() < command.positionals.size()) {
      message << "missing " << command.positionals[args.positionals.size()];
    } else {
      message << "unexpected argument '" << args.positionals[command.positionals.size()] << "'";
    }
    throw UsageError(message.str());
  }
  return args;
}

std::string UsageLine(const Command& command) {
  std::ostringstream line;
  line << "zelfin-host " << command.name;
  for (const std::string& positional : command.positionals) line << ' ' << positional;
  if (!command.options.empty()) line << " [options]";
  return line.str();
}

std::string CommandHelp(const Command& command) {
  std::ostringstream help;
  help << "usage: " << UsageLine(command) << "\n\n" << command.summary << "\n";
  std::vector<std::pair<std::string, std::string>> lines;
  for (const Option& option : command.options) {
    std::string text = option.name;
    if (!option.value.empty()) text += " " + option.value;
    lines.emplace_back(std::move(text), option.help);
  }
  lines.emplace_back("-h, --help", "show this help");
  std::size_t width = 0;
  for (const auto& line : lines) width = std::max(width, line.first.size());
  help << "\noptions:\n";
  for (const auto& [left, right] : lines) {
    help << "  " << left << std::string(width - left.size() + 2, ' ') << right << "\n";
  }
  if (!command.details.empty()) help << "\n" << command.details;
  help << "\n" << ExitStatusHelp();
  return help.str();
}

std::string ExitStatusHelp() {
  return "exit status:\n"
         "  0  done: the command did what it was asked and every check it makes passed\n"
         "  1  a file was refused (missing, not a plug-in, damaged, too large) or the plug-in\n"
         "     failed or did other than it declares (a command that failed, a rendered frame that\n"
         "     differs from its input, global setup that disagrees with a resource)\n"
         "  2  a bad command line: an unknown command, option or effect, a missing or extra\n"
         "     argument, a malformed value (a --set value the panel refuses included)\n"
         "  3  an internal error of zelfin-host (out of memory, or a fault of its own)\n";
}

}  // namespace zelfin_host
