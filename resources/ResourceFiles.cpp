#include "ResourceFiles.h"

#include "PropertyList.h"
#include "ZelfinEffects.h"

#include <stdexcept>

namespace zelfin {
namespace {

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int size) {
  for (int i = size - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * (3 - i)));
}

std::string VersionString() {
  return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionBugFix);
}

}  // namespace

std::vector<std::uint8_t> BuildResourceFile(std::uint32_t type,
                                            const std::vector<Resource>& resources) {
  if (resources.empty() || resources.size() > 0x10000) {
    throw std::invalid_argument("a resource file needs 1 to 65536 resources of its one type");
  }
  constexpr std::uint32_t kDataOffset = 256;  // bytes 16 to 255 stay zero, as writers leave them
  constexpr std::uint32_t kTypeListOffset = 28;
  constexpr std::uint32_t kTypeListSize = 2 + 8;  // one type
  constexpr std::uint32_t kReferenceSize = 12;
  constexpr std::uint32_t kNoName = 0xFFFF;

  std::vector<std::uint8_t> file(kDataOffset, 0);
  std::vector<std::uint32_t> dataOffsets;
  for (const Resource& resource : resources) {
    dataOffsets.push_back(static_cast<std::uint32_t>(file.size() - kDataOffset));
    if (dataOffsets.back() > 0xFFFFFF) throw std::length_error("resource data beyond 16 MB");
    AppendBigEndian(file, static_cast<std::uint32_t>(resource.data.size()), 4);
    file.insert(file.end(), resource.data.begin(), resource.data.end());
  }
  const auto mapOffset = static_cast<std::uint32_t>(file.size());
  const std::uint32_t dataLength = mapOffset - kDataOffset;
  const auto nameListOffset =
      static_cast<std::uint32_t>(kTypeListOffset + kTypeListSize + kReferenceSize * resources.size());
  const std::uint32_t mapLength = nameListOffset;  // the name list is empty

  for (const std::uint32_t word : {kDataOffset, mapOffset, dataLength, mapLength}) {
    AppendBigEndian(file, word, 4);  // the map starts with a copy of the header
  }
  AppendBigEndian(file, 0, 4);  // next resource map
  AppendBigEndian(file, 0, 2);  // file reference
  AppendBigEndian(file, 0, 2);  // attributes
  AppendBigEndian(file, kTypeListOffset, 2);
  AppendBigEndian(file, nameListOffset, 2);
  AppendBigEndian(file, 0, 2);  // number of types - 1
  AppendBigEndian(file, type, 4);
  AppendBigEndian(file, static_cast<std::uint32_t>(resources.size() - 1), 2);
  AppendBigEndian(file, kTypeListSize, 2);  // reference list, counted from the type list
  for (std::size_t i = 0; i < resources.size(); ++i) {
    AppendBigEndian(file, static_cast<std::uint16_t>(resources[i].id), 2);
    AppendBigEndian(file, kNoName, 2);
    AppendBigEndian(file, 0, 1);  // attributes
    AppendBigEndian(file, dataOffsets[i], 3);
    AppendBigEndian(file, 0, 4);  // handle
  }

  PutBigEndian(file, 0, kDataOffset);
  PutBigEndian(file, 4, mapOffset);
  PutBigEndian(file, 8, dataLength);
  PutBigEndian(file, 12, mapLength);
  return file;
}

std::vector<std::uint8_t> MacResourceFile() {
  std::vector<Resource> lists;
  for (int i = 0; i < kEffectCount; ++i) {
    lists.push_back({static_cast<std::int16_t>(kFirstResourceId + i),
                     BuildPropertyList(kEffects[i], ResourcePlatform::kMac)});
  }
  return BuildResourceFile(PF_FourCharCode("PiPL"), lists);
}

std::string WindowsPropertyListFileName(int resourceId) {
  return std::string(kPluginFileName) + "-" + std::to_string(resourceId) + ".pipl";
}

std::string WindowsManifestFileName() { return std::string(kPluginFileName) + ".manifest"; }

std::string WindowsResourceScript() {
  // Binary files, not string literals: a literal would pass through the resource compiler's code
  // page, which turns bytes of 0x80 and above (as in 0x02008000) into '?'.
  std::string script = "// Generated from resources/ZelfinEffects.h; do not edit.\n";
  script += "#pragma code_page(1252)\n";
  script += "LANGUAGE 0x09, 0x01\n";  // LANG_ENGLISH, SUBLANG_ENGLISH_US: 1033
  for (int i = 0; i < kEffectCount; ++i) {
    const int id = kFirstResourceId + i;
    script += std::to_string(id) + " PIPL \"" + WindowsPropertyListFileName(id) + "\"\n";
  }
  script += "2 24 \"" + WindowsManifestFileName() + "\"\n";  // RT_MANIFEST, isolation-aware id
  return script;
}

std::string WindowsManifest() {
  return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
</assembly>
)";
}

std::string BundleInfoPlist() {
  const auto entry = [](const char* key, const std::string& value) {
    return "\t<key>" + std::string(key) + "</key>\n\t<string>" + value + "</string>\n";
  };
  return std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
)") + entry("CFBundleDevelopmentRegion", "en") + entry("CFBundleExecutable", kPluginFileName) +
         entry("CFBundleIdentifier", kBundleIdentifier) +
         entry("CFBundleInfoDictionaryVersion", "6.0") + entry("CFBundleName", kPluginFileName) +
         entry("CFBundlePackageType", kEffectKind) + entry("CFBundleSignature", kHostSignature) +
         entry("CFBundleShortVersionString", VersionString()) +
         entry("CFBundleVersion", VersionString()) + "</dict>\n</plist>\n";
}

std::string BundlePkgInfo() { return std::string(kEffectKind) + kHostSignature; }

std::string MacExportedSymbols() {
  std::string symbols;
  for (const EffectDescription& effect : kEffects) symbols += "_" + std::string(effect.entryPoint) + "\n";
  return symbols;
}

}  // namespace zelfin
