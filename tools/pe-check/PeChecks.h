// The release checks of a Windows plug-in file (the x64 or the ARM64 .aex), read from its bytes:
// what a host on that machine needs to load it and find its five effects.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "PropertyList.h"

namespace zelfin_check {

// A check that failed: one line saying what is wrong.
class PeCheckError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The architecture a Windows plug-in file is built for, and what follows from it.
struct WindowsArchitecture {
  const char* name;             // "x64" or "arm64", as on the command line
  std::uint16_t machine;        // the file header's machine word
  zelfin::ResourcePlatform platform;  // whose lists the file carries
  const char* registeredAs;     // the architecture the stand-in host reads from that key
};
// Throws PeCheckError for a name other than x64 or arm64.
const WindowsArchitecture& FindWindowsArchitecture(const std::string& name);

// The DLLs a plug-in file may import: those every Windows ships, the C++ runtime being linked in.
extern const std::vector<std::string> kAllowedImports;

// Each check returns the line it prints when it passes and throws PeCheckError when it fails.
// `file` is the whole .aex.
std::string CheckHeaders(const std::vector<std::uint8_t>& file, const WindowsArchitecture& arch);
std::string CheckExports(const std::vector<std::uint8_t>& file);
std::string CheckImports(const std::vector<std::uint8_t>& file);
// The five property lists: byte for byte the generated files in `listsFolder`
// (ZelfinControls-16000.pipl ...), each naming its effect's entry point under the architecture's
// key and under no other. With `x64ListsFolder`, also the x64 lists but for that key.
std::string CheckPropertyLists(const std::vector<std::uint8_t>& file,
                               const WindowsArchitecture& arch, const std::string& listsFolder,
                               const std::string& x64ListsFolder);

}  // namespace zelfin_check
