#include "MachOChecks.h"

#include <sstream>

namespace zelfin_check {

VerifiedImports VerifiedImports::Parse(const std::string& text) {
  VerifiedImports out;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string symbol, architecture;
    if (!(words >> symbol)) continue;
    std::set<std::uint32_t>& architectures = out.architectures_[symbol];
    while (words >> architecture) {
      if (architecture == "x86_64") {
        architectures.insert(0x01000007);
      } else if (architecture == "arm64") {
        architectures.insert(0x0100000C);
      } else {
        throw CheckError("line " + std::to_string(number) + ": unknown architecture '" +
                         architecture + "'");
      }
    }
  }
  return out;
}

bool VerifiedImports::allows(const std::string& symbol, std::uint32_t cpuType) const {
  const auto found = architectures_.find(symbol);
  return found != architectures_.end() &&
         (found->second.empty() || found->second.count(cpuType) != 0);
}

std::vector<std::string> UnverifiedImports(const std::vector<std::uint8_t>& file,
                                           const testhost::MachOSlice& slice,
                                           const VerifiedImports& verified) {
  if (slice.hasChainedFixups) {
    throw CheckError(testhost::CpuTypeName(slice.cpuType) +
                     " slice: its imports are chained fixups, which this check does not read");
  }
  std::set<std::string> unverified;
  const std::map<std::string, std::uint64_t> defined = testhost::ReadExports(file, slice);
  for (const testhost::MachOBinding& binding : testhost::ReadBindings(file, slice)) {
    // A weak-bind entry for one of the slice's own definitions coalesces it; any other is an
    // import like the rest.
    if (binding.kind == testhost::MachOBindKind::kWeak && defined.count(binding.symbol)) continue;
    if (!verified.allows(binding.symbol, slice.cpuType)) unverified.insert(binding.symbol);
  }
  return {unverified.begin(), unverified.end()};
}

}  // namespace zelfin_check
