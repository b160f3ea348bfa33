// A plug-in file as zelfin-host meets it: which platform's build it is, the effects its
// registration resources declare, and, where the stand-in host can run it, the loaded code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "testhost/loader/PluginModule.h"
#include "testhost/registration/PiPL.h"

namespace zelfin_host {

enum class PluginKind {
  kLibrary,   // the build of this machine, loaded and run
  kWindows,   // a .aex file, read only
  kMacBundle  // a .plugin bundle or its code file: its x86_64 code runs on Linux x86_64
};

const char* PluginKindName(PluginKind kind);

// One effect as its registration resource declares it.
// An effect as its registration resource declares it, and the id of that resource.
struct DeclaredEffect : testhost::EffectRegistration {
  int resourceId = 0;
};

struct PluginFile {
  std::string path;
  PluginKind kind = PluginKind::kLibrary;
  std::string resourcePath;  // the file the registrations were read from
  std::vector<DeclaredEffect> effects;
  std::unique_ptr<testhost::PluginModule> module;  // null when it cannot run here
  std::string loadProblem;  // why a bundle's code could not be loaded
};

// Throws ToolError for a missing file, a file that is not a plug-in (anything but a regular file,
// a file larger than any plug-in, a library or Windows image whose headers or segments lie
// outside it), or registration resources that are missing or malformed. Only the first bytes
// tell what a file is; only a file found to be a plug-in is read further. A bundle whose code
// cannot be loaded is still opened, without its module, and the reason kept.
PluginFile OpenPlugin(const std::string& path);

// The loaded code; throws ToolError for a build that cannot run here (a Windows file, or a bundle
// whose code could not be loaded, with the reason), which can only be listed.
const testhost::PluginModule& LoadedModule(const PluginFile& plugin);

// The effect of that exact name, or null.
const DeclaredEffect* FindDeclaredEffect(const PluginFile& plugin, const std::string& name);
// The effect named on the command line; throws UsageError listing the effects when there is none.
const DeclaredEffect& FindEffect(const PluginFile& plugin, const std::string& name);

// The effect's name in quotes, escaped: it comes from the file's resources.
std::string Quoted(const DeclaredEffect& effect);

// "1.1.0" for a version word: major, minor and bug fix.
std::string VersionText(std::uint32_t version);

}  // namespace zelfin_host
