// Static checks of a macOS code file, thin or universal, slice by slice: that each slice imports
// only symbols verified to exist on the oldest system it supports. (The signature checks are the
// Mach-O library's: testhost/macho/CodeSignature.h and Bundle.h.)
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "testhost/formats/MachO.h"

namespace zelfin_check {

// A check that failed; the message is one line naming the slice and the problem.
class CheckError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The verified imports: one symbol a line, optionally followed by the architectures it is
// verified for (x86_64, arm64; all when none are named); '#' starts a comment.
class VerifiedImports {
 public:
  // Throws CheckError naming the line for an unknown architecture.
  static VerifiedImports Parse(const std::string& text);
  bool allows(const std::string& symbol, std::uint32_t cpuType) const;

 private:
  std::map<std::string, std::set<std::uint32_t>> architectures_;  // empty set: every one
};

// The symbols the slice imports (its bind, lazy-bind and weak-bind entries, but for weak-bind
// entries of its own exports) that the list does not allow for its architecture, sorted. Throws
// testhost::MachOError when the opcodes cannot be read, and CheckError for a slice whose imports
// are kept as chained fixups, which this does not read.
std::vector<std::string> UnverifiedImports(const std::vector<std::uint8_t>& file,
                                           const testhost::MachOSlice& slice,
                                           const VerifiedImports& verified);

}  // namespace zelfin_check
