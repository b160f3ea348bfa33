// zelfin-pe-check: the release checks of a Windows plug-in file, x64 or ARM64.
//   zelfin-pe-check --arch x64|arm64 --lists FOLDER [--x64-lists FOLDER] AEX
// FOLDER holds the generated property lists the file must carry byte for byte; --x64-lists, for
// the ARM64 file, the x64 lists it must match but for the entry-point key. Prints one line per
// check passed, or one line "FAILED: ..." naming what broke; exits 1 when a check fails, 2 on a
// malformed command line.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "PeChecks.h"
#include "testhost/formats/File.h"

namespace {

int Usage() {
  std::cerr << "usage: zelfin-pe-check --arch x64|arm64 --lists FOLDER [--x64-lists FOLDER] AEX\n";
  return 2;
}

struct Arguments {
  std::string arch;
  std::string lists;
  std::string x64Lists;
  std::string file;
};

bool Parse(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    std::string* value = word == "--arch"        ? &arguments.arch
                         : word == "--lists"     ? &arguments.lists
                         : word == "--x64-lists" ? &arguments.x64Lists
                                                 : nullptr;
    if (value != nullptr) {
      if (++i == argc) return false;
      *value = argv[i];
    } else if (arguments.file.empty() && word.rfind("--", 0) != 0) {
      arguments.file = word;
    } else {
      return false;
    }
  }
  return !arguments.arch.empty() && !arguments.lists.empty() && !arguments.file.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!Parse(argc, argv, arguments)) return Usage();
  try {
    const zelfin_check::WindowsArchitecture& arch =
        zelfin_check::FindWindowsArchitecture(arguments.arch);
    const std::vector<std::uint8_t> file =
        testhost::ReadCheckedFile(arguments.file, testhost::kMaxPluginFileSize, "a plug-in");
    // Each line is printed once its check has passed, so a failure stands on a line of its own.
    const std::string headers = zelfin_check::CheckHeaders(file, arch);
    std::cout << "headers: " << headers << "\n";
    const std::string exports = zelfin_check::CheckExports(file);
    std::cout << "exports: " << exports << "\n";
    const std::string imports = zelfin_check::CheckImports(file);
    std::cout << "imports: " << imports << "\n";
    const std::string lists =
        zelfin_check::CheckPropertyLists(file, arch, arguments.lists, arguments.x64Lists);
    std::cout << "resources: " << lists << "\n";
  } catch (const std::exception& e) {
    std::cout << "FAILED: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
