// The files around the property lists: the macOS resource file that carries them, the Windows
// resource script that compiles them in, the manifest, and the bundle's Info.plist and PkgInfo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelfin {

struct Resource {
  std::int16_t id;
  std::vector<std::uint8_t> data;
};

// A classic resource-map file (big-endian) holding `resources`, all of one four-character type,
// unnamed, in the order given.
std::vector<std::uint8_t> BuildResourceFile(std::uint32_t type,
                                            const std::vector<Resource>& resources);

// The bundle's resource file: the five macOS property lists under type `PiPL`, ids from 16000.
std::vector<std::uint8_t> MacResourceFile();

// File names of the generated files, shared by the generator and the build. The ARM64 file's
// lists, manifest and script have the x64 file's names, in a folder of their own.
std::string WindowsPropertyListFileName(int resourceId);
std::string WindowsManifestFileName();

// The five property lists under type "PIPL", ids from 16000, and the manifest, all in US English;
// the lists and the manifest are included from files beside the script.
std::string WindowsResourceScript();
std::string WindowsManifest();

std::string BundleInfoPlist();
std::string BundlePkgInfo();
// The entry points with the platform's leading underscore, one a line, for the linker.
std::string MacExportedSymbols();

}  // namespace zelfin
