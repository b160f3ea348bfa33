// Running zelfin-host as a user does, for the tests of what it prints and how it ends.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelfin_host_test {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const Bytes& bytes);

// Printable ASCII only, on one line: what every refusal must be for the paths these tests use.
bool OnePrintableLine(const std::string& text);

struct Outcome {
  int status = -1;          // the exit status, or -1
  int signal = 0;           // the signal that ended it, or 0
  bool timedOut = false;
  double cpuSeconds = 0;
  std::string out;
  std::string err;
};

// Runs `argv` with no standard input, its output in files in `dir`; a run that takes more than
// 30 seconds is killed (and marked timedOut), so that it fails its case instead of the whole test.
Outcome RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& dir);

}  // namespace zelfin_host_test
