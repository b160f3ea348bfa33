#include "PeChecks.h"

#include <algorithm>

#include "ResourceFiles.h"
#include "ZelfinEffects.h"
#include "testhost/formats/File.h"
#include "testhost/formats/PeImage.h"
#include "testhost/formats/PeResources.h"
#include "testhost/registration/PiPL.h"

namespace zelfin_check {

namespace {

constexpr WindowsArchitecture kArchitectures[] = {
    {"x64", testhost::kPeMachineX64, zelfin::ResourcePlatform::kWindows, "x86_64"},
    {"arm64", testhost::kPeMachineArm64, zelfin::ResourcePlatform::kWindowsArm64, "arm64"},
};
constexpr std::uint16_t kRequiredDllCharacteristics =
    testhost::kPeHighEntropyVa | testhost::kPeDynamicBase | testhost::kPeNxCompat;

std::vector<std::uint8_t> ReadListFile(const std::string& path) {
  try {
    return testhost::ReadCheckedFile(path, testhost::kMaxResourceFileSize, "a list");
  } catch (const testhost::LoadError& e) {
    throw PeCheckError("cannot read " + path + ": " + e.what());
  }
}

std::string Hex(std::uint32_t value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + text;
}

testhost::PeImage Image(const std::vector<std::uint8_t>& file) {
  try {
    return testhost::ReadPeImage(file);
  } catch (const testhost::PeError& e) {
    throw PeCheckError(std::string("not a readable Windows image: ") + e.what());
  }
}

// A four-character code as its characters, first character in the top byte.
std::string CodeText(std::uint32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text.push_back(static_cast<char>(code >> shift));
  return text;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// The list with the entry-point property's key replaced by `key`: what the list of the other
// architecture must be.
std::vector<std::uint8_t> WithEntryPointKey(std::vector<std::uint8_t> list, std::uint32_t from,
                                            std::uint32_t to) {
  const testhost::PropertyList parsed =
      testhost::ParsePropertyList(list.data(), list.size(), testhost::PiplFormat::kWindows);
  for (const testhost::PiplProperty& property : parsed.properties) {
    if (property.key != from) continue;
    for (int i = 0; i < 4; ++i) list[property.offset + 4 + i] = static_cast<std::uint8_t>(to >> 8 * i);
  }
  return list;
}

}  // namespace

const std::vector<std::string> kAllowedImports = {"KERNEL32.dll", "msvcrt.dll"};

const WindowsArchitecture& FindWindowsArchitecture(const std::string& name) {
  for (const WindowsArchitecture& arch : kArchitectures) {
    if (name == arch.name) return arch;
  }
  throw PeCheckError("unknown architecture '" + name + "': x64 or arm64");
}

std::string CheckHeaders(const std::vector<std::uint8_t>& file, const WindowsArchitecture& arch) {
  const testhost::PeImage image = Image(file);
  if (image.machine != arch.machine) {
    throw PeCheckError("machine " + Hex(image.machine) + ", not " + Hex(arch.machine) + " (" +
                       arch.name + ")");
  }
  if (!image.pe32Plus) throw PeCheckError("a 32-bit optional header");
  if (!(image.characteristics & testhost::kPeFileDll)) throw PeCheckError("not a DLL");
  if ((image.dllCharacteristics & kRequiredDllCharacteristics) != kRequiredDllCharacteristics) {
    throw PeCheckError("DllCharacteristics " + Hex(image.dllCharacteristics) +
                       " lack ASLR, high-entropy ASLR or DEP (" +
                       Hex(kRequiredDllCharacteristics) + ")");
  }
  if (image.timeDateStamp != 0) {
    throw PeCheckError("the header holds a link time (" + Hex(image.timeDateStamp) +
                       "): two builds would differ");
  }
  return std::string("a 64-bit DLL for ") + arch.name + " (" + Hex(image.machine) +
         ") with ASLR, high-entropy ASLR and DEP, no link time";
}

std::string CheckExports(const std::vector<std::uint8_t>& file) {
  const testhost::PeImage image = Image(file);
  testhost::PeExports exports;
  try {
    exports = testhost::ReadPeExports(file, image);
  } catch (const testhost::PeError& e) {
    throw PeCheckError(std::string("unreadable export table: ") + e.what());
  }
  std::vector<std::string> expected;
  for (const zelfin::EffectDescription& effect : zelfin::kEffects) {
    expected.push_back(effect.entryPoint);
  }
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> names = exports.names;
  std::sort(names.begin(), names.end());
  if (names != expected) {
    throw PeCheckError("exports " + Joined(names) + "; expected exactly " + Joined(expected));
  }
  if (exports.functionCount != expected.size()) {
    throw PeCheckError(std::to_string(exports.functionCount - expected.size()) +
                       " functions exported by ordinal only");
  }
  return "exports the five entry points and nothing else";
}

std::string CheckImports(const std::vector<std::uint8_t>& file) {
  const testhost::PeImage image = Image(file);
  std::vector<std::string> libraries;
  try {
    libraries = testhost::ReadPeImportedLibraries(file, image);
  } catch (const testhost::PeError& e) {
    throw PeCheckError(std::string("unreadable import table: ") + e.what());
  }
  for (const std::string& library : libraries) {
    if (std::find(kAllowedImports.begin(), kAllowedImports.end(), library) == kAllowedImports.end()) {
      throw PeCheckError("imports " + library + ", which is not one of " + Joined(kAllowedImports));
    }
  }
  if (libraries.empty()) throw PeCheckError("no import table");
  return "imports only " + Joined(libraries);
}

std::string CheckPropertyLists(const std::vector<std::uint8_t>& file,
                               const WindowsArchitecture& arch, const std::string& listsFolder,
                               const std::string& x64ListsFolder) {
  std::vector<testhost::PiplResource> resources;
  try {
    resources = testhost::ReadPeResources(file, "PIPL");
  } catch (const testhost::PeError& e) {
    throw PeCheckError(std::string("unreadable resources: ") + e.what());
  }
  if (resources.size() != zelfin::kEffectCount) {
    throw PeCheckError(std::to_string(resources.size()) + " property lists, not " +
                       std::to_string(zelfin::kEffectCount));
  }
  const std::uint32_t key = zelfin::WindowsEntryPointKey(arch.platform);
  const std::uint32_t x64Key = zelfin::WindowsEntryPointKey(zelfin::ResourcePlatform::kWindows);
  for (int i = 0; i < zelfin::kEffectCount; ++i) {
    const int id = zelfin::kFirstResourceId + i;
    const std::string name = zelfin::WindowsPropertyListFileName(id);
    const std::vector<std::uint8_t>& list = resources[static_cast<std::size_t>(i)].data;
    if (resources[static_cast<std::size_t>(i)].id != id) {
      throw PeCheckError("resource " + std::to_string(resources[static_cast<std::size_t>(i)].id) +
                         " where " + std::to_string(id) + " was expected");
    }
    if (list != ReadListFile(listsFolder + "/" + name)) {
      throw PeCheckError("list " + std::to_string(id) + " differs from the generated " + name);
    }
    testhost::EffectRegistration registration;
    try {
      registration = testhost::ReadRegistration(list.data(), list.size(), testhost::PiplFormat::kWindows);
    } catch (const testhost::PiplError& e) {
      throw PeCheckError("list " + std::to_string(id) + " is malformed: " + e.what());
    }
    if (registration.architectures != std::vector<std::string>{arch.registeredAs} ||
        registration.entryPoint != zelfin::kEffects[i].entryPoint) {
      throw PeCheckError("list " + std::to_string(id) + " names " + registration.entryPoint +
                         " for " + Joined(registration.architectures) + ", not " +
                         zelfin::kEffects[i].entryPoint + " for " + arch.registeredAs +
                         " alone (under '" + CodeText(key) + "')");
    }
    if (!x64ListsFolder.empty() &&
        WithEntryPointKey(list, key, x64Key) != ReadListFile(x64ListsFolder + "/" + name)) {
      throw PeCheckError("list " + std::to_string(id) + " differs from the x64 " + name +
                         " in more than its '" + CodeText(key) + "' key");
    }
  }
  return "five property lists naming each entry point under '" + CodeText(key) + "'" +
         (x64ListsFolder.empty() ? "" : ", otherwise the x64 lists byte for byte");
}

}  // namespace zelfin_check
