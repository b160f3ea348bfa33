#include "PluginFile.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>

#include "CommandLine.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/formats/PeImage.h"
#include "testhost/formats/PeResources.h"
#include "host/host.h"
#include "testhost/registration/PiPL.h"
#include "testhost/loader/PluginFileCheck.h"

namespace zelfin_host {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMacResourceType = PF_FourCharCode("PiPL");
constexpr char kWindowsResourceType[] = "PIPL";
// Enough of a file's first bytes to tell its format.
constexpr std::size_t kHeadSize = 64;

// The file's problem on one line, escaped, after what it was to be.
ToolError Refusal(const std::string& prefix, const std::exception& e) {
  return ToolError(prefix + testhost::EscapedText(e.what()));
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// Decodes each resource; a malformed one is an error naming the file and the resource id.
void Decode(PluginFile& plugin, const std::vector<testhost::PiplResource>& resources,
            testhost::PiplFormat format) {
  if (resources.empty()) {
    throw ToolError(plugin.path + " declares no effects: " + plugin.resourcePath +
                    " holds no registration resources");
  }
  for (const testhost::PiplResource& resource : resources) {
    testhost::EffectRegistration r;
    try {
      r = testhost::ReadRegistration(resource.data.data(), resource.data.size(), format);
    } catch (const testhost::PiplError& e) {
      throw Refusal(plugin.resourcePath + ": registration resource " +
                        std::to_string(resource.id) + " is malformed: ",
                    e);
    }
    plugin.effects.push_back({std::move(r), resource.id});
  }
}

void ReadMacResources(PluginFile& plugin) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = testhost::CheckedFile(plugin.resourcePath, testhost::kMaxResourceFileSize,
                                  "a resource file")
                .readAll();
  } catch (const testhost::LoadError& e) {
    throw Refusal("cannot read the resource file " + plugin.resourcePath + ": ", e);
  }
  std::vector<testhost::PiplResource> resources;
  try {
    resources = testhost::ReadResourceFile(bytes, kMacResourceType);
  } catch (const testhost::PiplError& e) {
    throw Refusal(plugin.resourcePath + " is not a resource file: ", e);
  }
  Decode(plugin, resources, testhost::PiplFormat::kMac);
}

// A bundle folder, or the code file inside one: the registrations come from the bundle's
// resource file; its code is loaded where the stand-in host can run it.
void OpenBundle(PluginFile& plugin, bool folder) {
  if (folder && !fs::is_directory(fs::u8path(plugin.path) / "Contents")) {
    throw ToolError(plugin.path + " is a folder but not a plug-in bundle: it has no Contents/");
  }
  fs::path expected;
  try {
    expected = testhost::RegistrationResourcePath(plugin.path);
  } catch (const std::runtime_error& e) {  // an Info.plist that names no code file, say
    throw ToolError(plugin.path + " is not a readable plug-in bundle: " + e.what());
  }
  if (!fs::is_regular_file(expected)) {
    throw ToolError(plugin.path +
                    (folder ? " is a folder but not a plug-in bundle: "
                            : " is macOS code but not inside a plug-in bundle: ") +
                    expected.string() + " is missing");
  }
  plugin.kind = PluginKind::kMacBundle;
  plugin.resourcePath = expected.string();
  ReadMacResources(plugin);
  try {
    plugin.module = std::make_unique<testhost::PluginModule>(plugin.path);
  } catch (const testhost::LoadError& e) {
    plugin.loadProblem = testhost::EscapedText(e.what());
  }
}

// Headers and sections are checked before the file is read whole for its resources.
void OpenWindows(PluginFile& plugin, testhost::CheckedFile& file) {
  plugin.kind = PluginKind::kWindows;
  plugin.resourcePath = plugin.path;
  std::vector<testhost::PiplResource> resources;
  std::string architecture;
  try {
    testhost::CheckPortableExecutable(file, std::nullopt);
    const std::vector<std::uint8_t> bytes = file.readAll();
    architecture = testhost::PeMachineName(testhost::ReadPeImage(bytes).machine);
    resources = testhost::ReadPeResources(bytes, kWindowsResourceType);
  } catch (const std::runtime_error& e) {  // LoadError or PeError
    throw Refusal(plugin.path + " is not a readable Windows plug-in: ", e);
  }
  Decode(plugin, resources, testhost::PiplFormat::kWindows);
  // A host finds an effect by the property for its own architecture: a list that names none for
  // the file's code leaves the effect out of the Effects menu.
  for (const DeclaredEffect& effect : plugin.effects) {
    const std::vector<std::string>& named = effect.architectures;
    if (std::find(named.begin(), named.end(), architecture) == named.end()) {
      throw ToolError(plugin.path + " holds " + architecture +
                      " code, but its registration resource " + std::to_string(effect.resourceId) +
                      " names the entry point for " + Joined(named) +
                      " only: no host would find that effect");
    }
  }
}

// The library's registration resources are the macOS resource file the build writes beside it.
// The library is checked, then its resources read, and only then is it loaded: a refusal leaves
// nothing loaded.
void OpenLibrary(PluginFile& plugin) {
  plugin.kind = PluginKind::kLibrary;
  try {
    testhost::CheckPluginFile(plugin.path, plugin.path);
  } catch (const testhost::LoadError& e) {
    throw Refusal("", e);
  }
  const fs::path beside = testhost::RegistrationResourcePath(plugin.path);
  if (!fs::is_regular_file(beside)) {
    throw ToolError(plugin.path + " is not a plug-in: no registration resources beside it (" +
                    beside.string() + ")");
  }
  plugin.resourcePath = beside.string();
  ReadMacResources(plugin);
  try {
    plugin.module = std::make_unique<testhost::PluginModule>(plugin.path);
  } catch (const testhost::LoadError& e) {
    throw Refusal("", e);
  }
}

}  // namespace

const char* PluginKindName(PluginKind kind) {
  switch (kind) {
    case PluginKind::kLibrary:
      return "library of this machine";
    case PluginKind::kWindows:
      return "Windows plug-in";
    case PluginKind::kMacBundle:
      return "macOS bundle";
  }
  return "?";
}

PluginFile OpenPlugin(const std::string& path) {
  PluginFile plugin;
  plugin.path = path;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) throw ToolError("no such file: " + path);
  if (fs::is_directory(status)) {
    OpenBundle(plugin, true);
    return plugin;
  }
  std::optional<testhost::CheckedFile> file;
  std::vector<std::uint8_t> head;
  try {
    file.emplace(path, testhost::kMaxPluginFileSize, "a plug-in");
    head = file->read(0, kHeadSize);
  } catch (const testhost::LoadError& e) {
    throw Refusal(path + " is not a plug-in: ", e);
  }
  switch (testhost::FormatOf(head)) {
    case testhost::BinaryFormat::kPortableExecutable:
      OpenWindows(plugin, *file);
      break;
    case testhost::BinaryFormat::kElf:
      file.reset();
      OpenLibrary(plugin);
      break;
    case testhost::BinaryFormat::kMachO:
      file.reset();
      OpenBundle(plugin, false);
      break;
    case testhost::BinaryFormat::kUnknown:
      throw ToolError(path +
                      " is not a plug-in (neither a library, a .aex file nor a .plugin bundle)");
  }
  return plugin;
}

const testhost::PluginModule& LoadedModule(const PluginFile& plugin) {
  if (!plugin.loadProblem.empty()) throw ToolError(plugin.loadProblem);
  if (!plugin.module) {
    throw ToolError(plugin.path + " is a " + PluginKindName(plugin.kind) +
                    ", which cannot run on this machine; 'zelfin-host list' reads its resources");
  }
  return *plugin.module;
}

const DeclaredEffect* FindDeclaredEffect(const PluginFile& plugin, const std::string& name) {
  for (const DeclaredEffect& effect : plugin.effects) {
    if (effect.name == name) return &effect;
  }
  return nullptr;
}

const DeclaredEffect& FindEffect(const PluginFile& plugin, const std::string& name) {
  if (const DeclaredEffect* effect = FindDeclaredEffect(plugin, name)) return *effect;
  std::ostringstream message;
  message << "unknown effect '" << testhost::EscapedText(name) << "'; " << plugin.path
          << " declares";
  const char* separator = " ";
  for (const DeclaredEffect& effect : plugin.effects) {
    message << separator << Quoted(effect);
    separator = ", ";
  }
  throw UsageError(message.str());
}

std::string Quoted(const DeclaredEffect& effect) {
  return "\"" + testhost::EscapedText(effect.name) + "\"";
}

std::string VersionText(std::uint32_t version) {
  std::ostringstream text;
  text << (version >> 19) << '.' << ((version >> 15) & 0xF) << '.' << ((version >> 11) & 0xF);
  return text.str();
}

}  // namespace zelfin_host
