// Writes the registration resources of both platforms from the one description of the effects:
//   zelfin_resgen <output-folder> <windows-arm64-folder>
// Windows: the five property lists, the manifest and the resource script that includes them, for
// the x64 file in the output folder and for the ARM64 file in the second folder.
// macOS: the resource file, Info.plist and PkgInfo of the bundle, and the exported symbols list.
#include "PropertyList.h"
#include "ResourceFiles.h"
#include "ZelfinEffects.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  WriteFile(path, bytes.data(), bytes.size());
}

void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, text.data(), text.size());
}

// One Windows file's resources: its five lists, the manifest and the script that includes them.
void WriteWindowsResources(const std::string& folder, zelfin::ResourcePlatform platform) {
  for (int i = 0; i < zelfin::kEffectCount; ++i) {
    WriteFile(folder + zelfin::WindowsPropertyListFileName(zelfin::kFirstResourceId + i),
              zelfin::BuildPropertyList(zelfin::kEffects[i], platform));
  }
  WriteFile(folder + zelfin::WindowsManifestFileName(), zelfin::WindowsManifest());
  WriteFile(folder + zelfin::kPluginFileName + ".rc", zelfin::WindowsResourceScript());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <output-folder> <windows-arm64-folder>\n", argv[0]);
    return 2;
  }
  try {
    const std::string folder = std::string(argv[1]) + "/";
    const std::string plugin = zelfin::kPluginFileName;
    WriteWindowsResources(folder, zelfin::ResourcePlatform::kWindows);
    WriteWindowsResources(std::string(argv[2]) + "/", zelfin::ResourcePlatform::kWindowsArm64);
    WriteFile(folder + plugin + ".rsrc", zelfin::MacResourceFile());
    WriteFile(folder + "Info.plist", zelfin::BundleInfoPlist());
    WriteFile(folder + "PkgInfo", zelfin::BundlePkgInfo());
    WriteFile(folder + plugin + ".exp", zelfin::MacExportedSymbols());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
