// Loading the plug-in library and finding its entry points by their exported names.
#pragma once

#include <memory>
#include <string>

#include "host/host.h"
#include "testhost/formats/File.h"

namespace testhost {

// LoadError (testhost/formats/File.h) is also a plug-in file that cannot be loaded, or an entry
// point it does not export.

class MachOImage;
// Unloads macOS code (defined where the loader is built).
struct MachOImageDeleter {
  void operator()(MachOImage* image) const noexcept;
};

// Owns one loaded plug-in library; unloads it when destroyed. Entry points found through it are
// valid while it lives. It loads the library of this machine, and in the Linux x86_64 stand-in
// host also the x86_64 code of a macOS bundle (the bundle folder or its code file, thin or
// universal), which it maps and links itself.
class PluginModule {
 public:
  // Throws LoadError naming the path and the problem when the file is missing or cannot be
  // loaded. A bundle folder is loaded only once its signature as a whole verifies, and macOS code
  // only once the page hashes of its slice do.
  explicit PluginModule(std::string path);
  ~PluginModule();
  PluginModule(PluginModule&& other) noexcept;
  PluginModule& operator=(PluginModule&& other) noexcept;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The exported function of that exact name; throws LoadError naming it when it is missing.
  PF_EntryFunc entryPoint(const std::string& name) const;
  bool exports(const std::string& name) const;
  // True for Darwin arm64 code, whose callers pass variadic arguments on the stack where Linux
  // passes them in registers: the host gives such code variadic callbacks that read them there.
  bool passesVariadicArgumentsOnTheStack() const;
  const std::string& path() const { return path_; }

 private:
  void load();
  void* find(const std::string& name) const;
  void unload() noexcept;

  std::string path_;
  void* library_ = nullptr;
  std::unique_ptr<MachOImage, MachOImageDeleter> image_;
};

// The code file of the plug-in at `path`: for a bundle folder, Contents/MacOS/ and the name its
// Info.plist gives as CFBundleExecutable, as the host finds it; else `path` itself. Throws
// MachOError when the bundle's Info.plist cannot be read (LoadError where bundles are not read).
std::string PluginCodePath(const std::string& path);

// Where the registration resources of the plug-in at `path` are: for a bundle folder, the
// bundle's Contents/Resources/ and its CFBundleExecutable with the extension .rsrc; for the code
// file inside a bundle, Contents/Resources/ and its name with .rsrc; else the file beside the
// plug-in with the extension .rsrc, where the build puts them for the library of this machine.
// Throws as PluginCodePath does.
std::string RegistrationResourcePath(const std::string& path);

// The value of the environment variable ZELFIN_PLUGIN when set and not empty, else `fallback`;
// throws LoadError when neither gives a path.
std::string PluginPathFromEnvironment(const char* fallback);

// The plug-in the tests run: ZELFIN_PLUGIN, else the path the build gives the test target in
// ZELFIN_DEFAULT_PLUGIN_PATH.
inline std::string DefaultPluginPath() {
#ifdef ZELFIN_DEFAULT_PLUGIN_PATH
  return PluginPathFromEnvironment(ZELFIN_DEFAULT_PLUGIN_PATH);
#else
  return PluginPathFromEnvironment(nullptr);
#endif
}

}  // namespace testhost
