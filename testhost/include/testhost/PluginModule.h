// Loading the plug-in library and finding its entry points by their exported names.
#pragma once

#include <stdexcept>
#include <string>

#include "host/host.h"

namespace testhost {

// A plug-in file that cannot be loaded, or an entry point it does not export.
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Owns one loaded plug-in library; unloads it when destroyed. Entry points found through it are
// valid while it lives.
class PluginModule {
 public:
  // Throws LoadError naming the path when the file is missing or cannot be loaded.
  explicit PluginModule(std::string path);
  ~PluginModule();
  PluginModule(PluginModule&& other) noexcept;
  PluginModule& operator=(PluginModule&& other) noexcept;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The exported function of that exact name; throws LoadError naming it when it is missing.
  PF_EntryFunc entryPoint(const std::string& name) const;
  bool exports(const std::string& name) const;
  const std::string& path() const { return path_; }

 private:
  void* find(const std::string& name) const;
  void unload() noexcept;

  std::string path_;
  void* library_ = nullptr;
};

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
