// zelfin-macho-check: the static checks of the macOS bundle's code file, slice by slice.
//   zelfin-macho-check signature PLUGIN
//   zelfin-macho-check imports VERIFIED-LIST PLUGIN
// PLUGIN is a .plugin bundle or a code file, thin or universal. Prints one line per slice and
// exits 1 when a check fails, 2 on a malformed command line.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "MachOChecks.h"
#include "testhost/PiPL.h"

namespace {

int Usage() {
  std::cerr << "usage: zelfin-macho-check signature PLUGIN\n"
               "       zelfin-macho-check imports VERIFIED-LIST PLUGIN\n";
  return 2;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw zelfin_check::CheckError("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
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
    } catch (const testhost::LoadError& e) {  // opcodes that cannot be read
      std::cout << "FAILED: " << name << " slice: " << e.what() << "\n";
      passed = false;
    }
  }
  return passed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool signature = args.size() == 2 && args[0] == "signature";
  const bool imports = args.size() == 3 && args[0] == "imports";
  if (!signature && !imports) return Usage();
  try {
    const std::string path = testhost::PluginCodePath(args.back());
    const std::vector<std::uint8_t> file = testhost::ReadFileBytes(path);
    const std::vector<testhost::MachOSlice> slices = testhost::ReadMachOSlices(file);
    bool passed;
    if (signature) {
      passed = EachSlice(file, slices, [](const auto& f, const auto& slice) {
        const zelfin_check::SignatureSummary s = zelfin_check::CheckSignature(f, slice);
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
