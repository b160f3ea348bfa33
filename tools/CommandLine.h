// The command line of zelfin-host: one subcommand, its positional arguments and its --options.
#pragma once

#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelfin_host {

// The exit statuses of every command; ExitStatusHelp() explains them.
enum ExitStatus : int {
  kExitDone = 0,
  kExitFailed = 1,        // a file refused, the plug-in failed or did other than it declares
  kExitBadCommandLine = 2,
  kExitInternalError = 3  // zelfin-host itself failed: out of memory, or a fault of its own
};

// A command line that does not fit the command: exit status 2 and a pointer to --help.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Input that cannot be used (a missing file, an unknown effect, a value out of range) or a run
// that failed: exit status 1.
class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Option {
  std::string name;   // with the leading dashes: "--set"
  std::string value;  // what the value looks like ("NAME=VALUE"); empty for a flag
  bool repeatable = false;  // the help says how to give it again
  std::string help;
};

class Arguments;

struct Command {
  std::string name;
  std::vector<std::string> positionals;  // names of the positional arguments, all required
  std::string summary;                   // one line for the list of commands
  std::vector<Option> options;
  std::string details;  // paragraphs after the options in --help
  // Writes its report to `out`; throws UsageError or ToolError.
  int (*run)(const Arguments& args, std::ostream& out);
};

class Arguments {
 public:
  std::vector<std::string> positionals;
  bool help = false;

  bool has(const std::string& option) const { return options_.count(option) != 0; }
  // Every value given for the option in order; empty when it was not given.
  const std::vector<std::string>& values(const std::string& option) const;
  // The option's last value, or `fallback`.
  std::string value(const std::string& option, const std::string& fallback) const;
  void add(const std::string& option, std::string value) {
    options_[option].push_back(std::move(value));
  }

 private:
  std::map<std::string, std::vector<std::string>> options_;
};

// Takes "--name value", "--name=value" and flags anywhere among the positionals; "--" ends the
// options. Throws UsageError for an unknown option, a missing value, a value given to a flag, an
// option given twice that may appear once, or the wrong number of positionals (unless --help).
Arguments ParseArguments(const Command& command, const std::vector<std::string>& words);

// The --help text: usage line, summary, options, details, and the exit statuses.
std::string CommandHelp(const Command& command);
// The exit statuses, the same for every command: a heading and a table.
std::string ExitStatusHelp();
std::string UsageLine(const Command& command);

}  // namespace zelfin_host
