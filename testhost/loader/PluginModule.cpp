#include "testhost/loader/PluginModule.h"

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <utility>
#include <vector>

#include "testhost/loader/PluginFileCheck.h"
#include "testhost/formats/MachO.h"
#ifdef ZELFIN_MACHO_SIGNATURES
#include "testhost/macho/Bundle.h"
#endif
#ifdef ZELFIN_TESTHOST_MACHO
#include "testhost/macho/MachOImage.h"
#endif

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace testhost {

namespace {

namespace fs = std::filesystem;

// Called once CheckPluginFile has taken the file.
bool StartsLikeMachO(const std::string& path) {
  const std::vector<std::uint8_t> head =
      CheckedFile(path, kMaxPluginFileSize, "a plug-in").read(0, 4);
  return head.size() == 4 && LooksLikeMachO(head);
}

#ifdef _WIN32
std::string LastError() { return "Windows error " + std::to_string(GetLastError()); }
#else
std::string LastError() {
  const char* e = dlerror();
  return e ? e : "unknown error";
}
#endif

}  // namespace

#ifdef ZELFIN_TESTHOST_MACHO
void MachOImageDeleter::operator()(MachOImage* image) const noexcept { delete image; }
#else
// No MachOImage is made where the loader is not built.
void MachOImageDeleter::operator()(MachOImage*) const noexcept {}
#endif

PluginModule::PluginModule(std::string path) : path_(std::move(path)) {
  try {
    load();
  } catch (const MachOError& e) {
    throw LoadError("cannot load plug-in " + path_ + ": " + e.what());
  }
}

void PluginModule::load() {
#ifdef ZELFIN_TESTHOST_MACHO
  // The host runs a bundle only once its signature as a whole verifies.
  if (IsBundleFolder(path_)) VerifyBundle(ReadBundle(path_));
#endif
  const std::string code = PluginCodePath(path_);
  CheckPluginFile(path_, code);
  if (StartsLikeMachO(code)) {
#ifdef ZELFIN_TESTHOST_MACHO
    image_.reset(new MachOImage(ReadMachOFile(code)));
    return;
#else
    throw LoadError("cannot load plug-in " + path_ +
                    ": macOS code runs only in the stand-in host on Linux x86_64");
#endif
  }
  // A bare name would send the system loader searching its library path for another file.
  const std::string file = code.find_first_of("/\\") == std::string::npos ? "./" + code : code;
#ifdef _WIN32
  library_ = reinterpret_cast<void*>(LoadLibraryW(fs::u8path(file).c_str()));
#else
  library_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
  if (!library_) throw LoadError("cannot load plug-in " + path_ + ": " + LastError());
}

PluginModule::~PluginModule() { unload(); }

PluginModule::PluginModule(PluginModule&& other) noexcept
    : path_(std::move(other.path_)),
      library_(std::exchange(other.library_, nullptr)),
      image_(std::move(other.image_)) {}

PluginModule& PluginModule::operator=(PluginModule&& other) noexcept {
  if (this != &other) {
    unload();
    path_ = std::move(other.path_);
    library_ = std::exchange(other.library_, nullptr);
    image_ = std::move(other.image_);
  }
  return *this;
}

void PluginModule::unload() noexcept {
  image_.reset();
  if (!library_) return;
#ifdef _WIN32
  FreeLibrary(reinterpret_cast<HMODULE>(library_));
#else
  dlclose(library_);
#endif
  library_ = nullptr;
}

void* PluginModule::find(const std::string& name) const {
#ifdef ZELFIN_TESTHOST_MACHO
  if (image_) return image_->find(name);
#endif
  if (!library_) return nullptr;
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library_), name.c_str()));
#else
  return dlsym(library_, name.c_str());
#endif
}

bool PluginModule::exports(const std::string& name) const { return find(name) != nullptr; }

bool PluginModule::passesVariadicArgumentsOnTheStack() const {
#if defined(__aarch64__)
  return image_ != nullptr;
#else
  return false;
#endif
}

PF_EntryFunc PluginModule::entryPoint(const std::string& name) const {
  void* symbol = find(name);
  if (!symbol) throw LoadError("plug-in " + path_ + " does not export " + name);
  return reinterpret_cast<PF_EntryFunc>(symbol);
}

#ifdef ZELFIN_MACHO_SIGNATURES
std::string PluginCodePath(const std::string& path) {
  if (!IsBundleFolder(path)) return path;
  return ReadBundle(path).codeFile().u8string();
}

std::string RegistrationResourcePath(const std::string& path) {
  if (IsBundleFolder(path)) return ReadBundle(path).resourceFile().u8string();
  fs::path p = fs::u8path(path);
  const fs::path folder = p.parent_path();
  if (folder.filename() == "MacOS" && folder.parent_path().filename() == "Contents") {
    return (folder.parent_path() / "Resources" / p.filename()).u8string() + ".rsrc";
  }
  return p.replace_extension(".rsrc").u8string();
}
#else
// Reading a bundle's Info.plist needs libplist, which this platform's build does not have.
std::string PluginCodePath(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(fs::u8path(path), ec)) {
    throw LoadError(path + ": macOS bundles are read only by the stand-in host on Linux");
  }
  return path;
}

std::string RegistrationResourcePath(const std::string& path) {
  return fs::u8path(PluginCodePath(path)).replace_extension(".rsrc").u8string();
}
#endif

std::string PluginPathFromEnvironment(const char* fallback) {
  const char* env = std::getenv("ZELFIN_PLUGIN");
  if (env && *env) return env;
  if (fallback && *fallback) return fallback;
  throw LoadError("no plug-in path: set ZELFIN_PLUGIN");
}

}  // namespace testhost
