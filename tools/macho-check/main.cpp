// zelfin-macho-check: the static checks of the macOS bundle and its code file, slice by slice.
//   zelfin-macho-check signature PLUGIN
//   zelfin-macho-check imports VERIFIED-LIST PLUGIN
//   zelfin-macho-check bundle BUNDLE
// PLUGIN is a .plugin bundle or a code file, thin or universal. `bundle` verifies the bundle's
// signature as a whole, as `codesign --verify --strict` does. Prints one line per check passed,
// or one line "FAILED: ..." naming what broke; exits 1 when a check fails, 2 on a malformed
// command line.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "MachOChecks.h"
#include "testhost/macho/Bundle.h"
#include "testhost/macho/CodeSignature.h"

namespace {

int Usage() {
  std::cerr << "usage: zelfin-macho-check signature PLUGIN\n"
               "       zelfin-macho-check imports VERIFIED-LIST PLUGIN\n"
               "       zelfin-macho-check bundle BUNDLE\n";
  return 2;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw zelfin_check::CheckError("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The code file of a bundle folder, or the path itself.
std::string CodePath(const std::string& path) {
  return testhost::IsBundleFolder(path) ? testhost::ReadBundle(path).codeFile().string() : path;
}

// Runs `check` on every slice; prints its line or the failure. True when every slice passed.
template <class Check>
bool EachSlice(const std::vector<std::uint8_t>& file,
               const std::vector<testhost::MachOSlice>& slices, Check check) {
  bool passed = true;
  for (const testhost::MachOSlice& slice : slices) {
    const std::string name = testhost::CpuTypeName(slice.cpuType);
    try {
      const std::string line = check(file, slice);
      std::cout << name << ": " << line << "\n";
    } catch (const zelfin_check::CheckError& e) {
      std::cout << "FAILED: " << e.what() << "\n";
      passed = false;
    } catch (const testhost::MachOError& e) {
      std::cout << "FAILED: " << e.what() << "\n";
      passed = false;
    }
  }
  return passed;
}

bool CheckBundle(const std::string& path) {
  try {
    for (const std::string& line : testhost::VerifyBundle(testhost::ReadBundle(path))) {
      std::cout << line << "\n";
    }
    return true;
  } catch (const testhost::MachOError& e) {
    std::cout << "FAILED: " << e.what() << "\n";
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool signature = args.size() == 2 && args[0] == "signature";
  const bool imports = args.size() == 3 && args[0] == "imports";
  const bool bundle = args.size() == 2 && args[0] == "bundle";
  if (!signature && !imports && !bundle) return Usage();
  try {
    if (bundle) return CheckBundle(args[1]) ? 0 : 1;
    const std::vector<std::uint8_t> file = testhost::ReadMachOFile(CodePath(args.back()));
    const std::vector<testhost::MachOSlice> slices = testhost::ReadMachOSlices(file);
    bool passed;
    if (signature) {
      passed = EachSlice(file, slices, [](const auto& f, const auto& slice) {
        const testhost::PageHashSummary s = testhost::VerifyPageHashes(f, slice);
        return "signature covers " + std::to_string(s.codeLimit) + " bytes, " +
               std::to_string(s.pages) + " pages of " + std::to_string(s.pageSize) +
               " bytes, every hash matching";
      });
    } else {
      const auto verified = zelfin_check::VerifiedImports::Parse(ReadText(args[1]));
      passed = EachSlice(file, slices, [&verified](const auto& f, const auto& slice) {
        const std::vector<std::string> unverified =
            zelfin_check::UnverifiedImports(f, slice, verified);
        if (unverified.empty()) return std::string("every import is in the verified list");
        std::string names;
        for (const std::string& name : unverified) names += " " + name;
        throw zelfin_check::CheckError(testhost::CpuTypeName(slice.cpuType) +
                                       " slice imports symbols not in the verified list:" + names);
      });
    }
    return passed ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "zelfin-macho-check: " << e.what() << "\n";
    return 1;
  }
}
