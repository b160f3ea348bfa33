// The files around the property lists: the macOS resource file, the bundle's Info.plist and
// PkgInfo, the Windows resource script and manifest, and what the generator writes to disk.
#include "ExpectedPropertyLists.h"

#include "PropertyList.h"
#include "ResourceFiles.h"
#include "ZelfinEffects.h"
#include "testhost/formats/File.h"
#include "testhost/registration/PiPL.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::uint32_t BigEndian32(const Bytes& bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
         (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

TEST(MacResourceFile, HoldsTheFiveListsAsPiPLResourcesFrom16000) {
  const Bytes file = zelfin::MacResourceFile();
  const std::vector<testhost::PiplResource> lists = testhost::ReadResourceFile(file, 0x5069504C);
  ASSERT_EQ(lists.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(expected::kLists[i].effect);
    EXPECT_EQ(lists[i].id, 16000 + i);
    EXPECT_EQ(lists[i].data, ToBytes(expected::kLists[i].mac));
  }
  EXPECT_TRUE(testhost::ReadResourceFile(file, 0x53545220).empty());  // no 'STR ' resources
}

TEST(MacResourceFile, HasTheClassicHeaderAndMap) {
  const Bytes file = zelfin::MacResourceFile();
  // Data at 256; five lists of 352, 356, 352, 352 and 348 bytes, each after its 4-byte length;
  // the map: 28 bytes of header, one type (2 + 8), five references (60), no names.
  const std::uint32_t dataLength = 5 * 4 + 352 + 356 + 352 + 352 + 348;
  const std::uint32_t mapLength = 28 + 10 + 60;
  ASSERT_EQ(file.size(), 256 + dataLength + mapLength);
  EXPECT_EQ(BigEndian32(file, 0), 256u);
  EXPECT_EQ(BigEndian32(file, 4), 256u + dataLength);
  EXPECT_EQ(BigEndian32(file, 8), dataLength);
  EXPECT_EQ(BigEndian32(file, 12), mapLength);
  EXPECT_EQ(std::count(file.begin() + 16, file.begin() + 256, 0), 240);
  const std::size_t map = 256 + dataLength;
  EXPECT_EQ(Bytes(file.begin() + map, file.begin() + map + 16), Bytes(file.begin(), file.begin() + 16));
  EXPECT_EQ(BigEndian32(file, map + 24), (28u << 16) | mapLength);  // type list, name list
  EXPECT_EQ(BigEndian32(file, map + 28), 0x00005069u);              // one type: 'PiPL'
  EXPECT_EQ(BigEndian32(file, map + 32), 0x504C0004u);              // five resources
  // First reference: id 16000, no name, no attributes, data at 0.
  EXPECT_EQ(BigEndian32(file, map + 38), 0x3E80FFFFu);
  EXPECT_EQ(BigEndian32(file, map + 42), 0u);
  // Second reference: data after the first list and its length.
  EXPECT_EQ(BigEndian32(file, map + 54), 4u + 352u);
}

TEST(MacResourceFile, WritesAnyResourcesInTheOrderGiven) {
  const Bytes file = zelfin::BuildResourceFile(0x54455354, {{-2, {1, 2, 3}}, {7, {}}, {5, {9}}});
  const std::vector<testhost::PiplResource> read = testhost::ReadResourceFile(file, 0x54455354);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].id, -2);
  EXPECT_EQ(read[0].data, (Bytes{1, 2, 3}));
  EXPECT_EQ(read[1].id, 7);
  EXPECT_TRUE(read[1].data.empty());
  EXPECT_EQ(read[2].data, Bytes{9});
  EXPECT_THROW(zelfin::BuildResourceFile(0x54455354, {}), std::invalid_argument);
}

TEST(Bundle, InfoPlistNamesTheCodeKindSignatureAndVersion) {
  const std::string plist = zelfin::BundleInfoPlist();
  const std::pair<const char*, const char*> entries[] = {
      {"CFBundleExecutable", "ZelfinControls"},
      {"CFBundlePackageType", "eFKT"},
      {"CFBundleSignature", "FXTC"},
      {"CFBundleShortVersionString", "1.1.0"},
      {"CFBundleVersion", "1.1.0"},
  };
  for (const auto& [key, value] : entries) {
    EXPECT_TRUE(std::regex_search(plist, std::regex("<key>" + std::string(key) +
                                                    "</key>\\s*<string>" + value + "</string>")))
        << key;
  }
  EXPECT_TRUE(std::regex_search(
      plist, std::regex("<key>CFBundleIdentifier</key>\\s*<string>[a-z]+(\\.[A-Za-z0-9-]+)+</string>")));
  EXPECT_EQ(plist.rfind("<?xml", 0), 0u);
  EXPECT_NE(plist.find("</plist>"), std::string::npos);
}

TEST(Bundle, PkgInfoIsKindThenSignature) { EXPECT_EQ(zelfin::BundlePkgInfo(), "eFKTFXTC"); }

TEST(Bundle, ExportsExactlyTheFiveEntryPoints) {
  EXPECT_EQ(zelfin::MacExportedSymbols(),
            "_EntryPointFunc_2d\n_EntryPointFunc_3d\n_EntryPointFunc_camera\n"
            "_EntryPointFunc_light\n_EntryPointFunc_bezier\n");
}

TEST(WindowsResources, ScriptIncludesTheListsAndTheManifestInUsEnglish) {
  const std::string script = zelfin::WindowsResourceScript();
  EXPECT_NE(script.find("LANGUAGE 0x09, 0x01\n"), std::string::npos);
  for (int id = 16000; id <= 16004; ++id) {
    EXPECT_NE(script.find(std::to_string(id) + " PIPL \"" +
                          zelfin::WindowsPropertyListFileName(id) + "\"\n"),
              std::string::npos)
        << id;
  }
  EXPECT_NE(script.find("2 24 \"" + zelfin::WindowsManifestFileName() + "\"\n"), std::string::npos);
  EXPECT_EQ(script.find("VERSIONINFO"), std::string::npos);
  // Every line but the comment, the code page and the language is one resource: five lists and
  // the manifest.
  EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 9);
}

TEST(WindowsResources, ManifestAsksForTheCallersLevelWithoutUIAccess) {
  const std::string manifest = zelfin::WindowsManifest();
  EXPECT_TRUE(std::regex_search(
      manifest, std::regex(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"\s*/>)")));
}

// What the build compiled in: the generator's files on disk.
class GeneratedFiles : public testing::Test {
 protected:
  static Bytes Read(const std::string& name) {
    return testhost::ReadCheckedFile(std::string(ZELFIN_GENERATED_RESOURCES_DIR) + "/" + name,
                                     testhost::kMaxResourceFileSize, "a resource file");
  }
};

TEST_F(GeneratedFiles, WindowsListsAreTheWrittenOutBytes) {
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(expected::kLists[i].effect);
    EXPECT_EQ(Read(zelfin::WindowsPropertyListFileName(16000 + i)), ToBytes(expected::kLists[i].windows));
  }
}

TEST_F(GeneratedFiles, BundleFilesAndScriptAreTheGeneratorsOutput) {
  EXPECT_EQ(Read("ZelfinControls.rsrc"), zelfin::MacResourceFile());
  EXPECT_EQ(Read("Info.plist"), ToBytes(zelfin::BundleInfoPlist()));
  EXPECT_EQ(Read("PkgInfo"), ToBytes("eFKTFXTC"));
  EXPECT_EQ(Read("ZelfinControls.exp"), ToBytes(zelfin::MacExportedSymbols()));
  EXPECT_EQ(Read("ZelfinControls.rc"), ToBytes(zelfin::WindowsResourceScript()));
  EXPECT_EQ(Read(zelfin::WindowsManifestFileName()), ToBytes(zelfin::WindowsManifest()));
}

}  // namespace
