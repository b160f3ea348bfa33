#include "PluginFile.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <sstream>

#include "CommandLine.h"
#include "PeResources.h"
#include "host/host.h"
#include "testhost/macho/MachO.h"
#include "testhost/PiPL.h"

namespace zelfin_host {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMacResourceType = PF_FourCharCode("PiPL");
constexpr char kWindowsResourceType[] = "PIPL";

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> head) {
  return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin());
}

bool IsElf(const std::vector<std::uint8_t>& bytes) {
  return StartsWith(bytes, {0x7F, 'E', 'L', 'F'});
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  try {
    return testhost::ReadFileBytes(path);
  } catch (const testhost::PiplError& e) {
    throw ToolError(e.what());
  }
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
      throw ToolError(plugin.resourcePath + ": registration resource " +
                      std::to_string(resource.id) + " is malformed: " + e.what());
    }
    plugin.effects.push_back({resource.id, r.name, r.category, r.matchName, r.entryPoint,
                              r.architectures, r.version, r.outFlags, r.outFlags2});
  }
}

void ReadMacResources(PluginFile& plugin) {
  try {
    Decode(plugin, testhost::ReadResourceFile(ReadBytes(plugin.resourcePath), kMacResourceType),
           testhost::PiplFormat::kMac);
  } catch (const testhost::PiplError& e) {
    throw ToolError(plugin.resourcePath + " is not a resource file: " + e.what());
  }
}

// A bundle folder, or the code file inside one: the registrations come from the bundle's
// resource file; its code is loaded where the stand-in host can run it.
void OpenBundle(PluginFile& plugin, bool folder) {
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
    plugin.loadProblem = e.what();
  }
}

void OpenWindows(PluginFile& plugin, const std::vector<std::uint8_t>& bytes) {
  plugin.kind = PluginKind::kWindows;
  plugin.resourcePath = plugin.path;
  try {
    Decode(plugin, ReadPeResources(bytes, kWindowsResourceType), testhost::PiplFormat::kWindows);
  } catch (const testhost::PiplError& e) {
    throw ToolError(plugin.path + " is not a readable Windows plug-in: " + e.what());
  }
}

// The library's registration resources are the macOS resource file the build writes beside it.
void OpenLibrary(PluginFile& plugin) {
  plugin.kind = PluginKind::kLibrary;
  try {
    plugin.module = std::make_unique<testhost::PluginModule>(plugin.path);
  } catch (const testhost::LoadError& e) {
    throw ToolError(plugin.path + " is not a plug-in: " + e.what());
  }
  const fs::path beside = testhost::RegistrationResourcePath(plugin.path);
  if (!fs::is_regular_file(beside)) {
    throw ToolError(plugin.path + " is not a plug-in: no registration resources beside it (" +
                    beside.string() + ")");
  }
  plugin.resourcePath = beside.string();
  ReadMacResources(plugin);
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
  if (ec || !fs::exists(status)) throw ToolError("no such file: " + path);
  if (fs::is_directory(status)) {
    OpenBundle(plugin, true);
    return plugin;
  }
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  if (LooksLikePortableExecutable(bytes)) {
    OpenWindows(plugin, bytes);
  } else if (IsElf(bytes)) {
    OpenLibrary(plugin);
  } else if (testhost::LooksLikeMachO(bytes)) {
    OpenBundle(plugin, false);
  } else {
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

const DeclaredEffect& FindEffect(const PluginFile& plugin, const std::string& name) {
  for (const DeclaredEffect& effect : plugin.effects) {
    if (effect.name == name) return effect;
  }
  std::ostringstream message;
  message << "unknown effect '" << name << "'; " << plugin.path << " declares";
  const char* separator = " ";
  for (const DeclaredEffect& effect : plugin.effects) {
    message << separator << '"' << effect.name << '"';
    separator = ", ";
  }
  throw ToolError(message.str());
}

std::string VersionText(std::uint32_t version) {
  std::ostringstream text;
  text << (version >> 19) << '.' << ((version >> 15) & 0xF) << '.' << ((version >> 11) & 0xF);
  return text.str();
}

}  // namespace zelfin_host
