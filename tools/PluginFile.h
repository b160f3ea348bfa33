// A plug-in file as zelfin-host meets it: which platform's build it is, the effects its
// registration resources declare, and, for the build of this machine, the loaded library.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "testhost/PluginModule.h"

namespace zelfin_host {

enum class PluginKind {
  kLibrary,   // the build of this machine, loaded and run
  kWindows,   // a .aex file, read only
  kMacBundle  // a .plugin bundle, read only
};

const char* PluginKindName(PluginKind kind);

// One effect as its registration resource declares it.
struct DeclaredEffect {
  int resourceId = 0;
  std::string name;
  std::string category;
  std::string matchName;
  std::string entryPoint;
  std::vector<std::string> architectures;  // the entry point is named for: x86_64, arm64
  std::uint32_t version = 0;
  std::uint32_t outFlags = 0;
  std::uint32_t outFlags2 = 0;
};

struct PluginFile {
  std::string path;
  PluginKind kind = PluginKind::kLibrary;
  std::string resourcePath;  // the file the registrations were read from
  std::vector<DeclaredEffect> effects;
  std::unique_ptr<testhost::PluginModule> module;  // only for PluginKind::kLibrary
};

// Throws ToolError for a missing file, a file that is not a plug-in, or registration resources
// that are missing or malformed.
PluginFile OpenPlugin(const std::string& path);

// The loaded library; throws ToolError for a build of another platform, which can only be listed.
const testhost::PluginModule& LoadedModule(const PluginFile& plugin);

// The effect of that exact name; throws ToolError listing the effects when there is none.
const DeclaredEffect& FindEffect(const PluginFile& plugin, const std::string& name);

// "1.1.0" for a version word: major, minor and bug fix.
std::string VersionText(std::uint32_t version);

}  // namespace zelfin_host
