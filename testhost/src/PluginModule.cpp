#include "testhost/PluginModule.h"

#include <cstdlib>
#include <filesystem>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace testhost {

namespace {

#ifdef _WIN32
std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string LastError() { return "Windows error " + std::to_string(GetLastError()); }
#else
std::string LastError() {
  const char* e = dlerror();
  return e ? e : "unknown error";
}
#endif

}  // namespace

PluginModule::PluginModule(std::string path) : path_(std::move(path)) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::u8path(path_), ec))
    throw LoadError("plug-in file not found: " + path_);
#ifdef _WIN32
  library_ = reinterpret_cast<void*>(LoadLibraryW(Widen(path_).c_str()));
#else
  library_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
  if (!library_) throw LoadError("cannot load plug-in " + path_ + ": " + LastError());
}

PluginModule::~PluginModule() { unload(); }

PluginModule::PluginModule(PluginModule&& other) noexcept
    : path_(std::move(other.path_)), library_(std::exchange(other.library_, nullptr)) {}

PluginModule& PluginModule::operator=(PluginModule&& other) noexcept {
  if (this != &other) {
    unload();
    path_ = std::move(other.path_);
    library_ = std::exchange(other.library_, nullptr);
  }
  return *this;
}

void PluginModule::unload() noexcept {
  if (!library_) return;
#ifdef _WIN32
  FreeLibrary(reinterpret_cast<HMODULE>(library_));
#else
  dlclose(library_);
#endif
  library_ = nullptr;
}

void* PluginModule::find(const std::string& name) const {
  if (!library_) return nullptr;
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library_), name.c_str()));
#else
  return dlsym(library_, name.c_str());
#endif
}

bool PluginModule::exports(const std::string& name) const { return find(name) != nullptr; }

PF_EntryFunc PluginModule::entryPoint(const std::string& name) const {
  void* symbol = find(name);
  if (!symbol) throw LoadError("plug-in " + path_ + " does not export " + name);
  return reinterpret_cast<PF_EntryFunc>(symbol);
}

std::string PluginPathFromEnvironment(const char* fallback) {
  const char* env = std::getenv("ZELFIN_PLUGIN");
  if (env && *env) return env;
  if (fallback && *fallback) return fallback;
  throw LoadError("no plug-in path: set ZELFIN_PLUGIN");
}

}  // namespace testhost
