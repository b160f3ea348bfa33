// Plug-in files as zelfin-host opens them: Windows resources read from the bytes of a .aex,
// the resource file beside the library, and the errors for files that are not plug-ins.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "CommandLine.h"
#include "testhost/formats/PeResources.h"
#include "PluginFile.h"
#include "testhost/loader/PluginFileCheck.h"
#include "PropertyList.h"
#include "ResourceFiles.h"
#include "ZelfinEffects.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using zelfin_host::OpenPlugin;
using zelfin_host::ToolError;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A 64-bit Windows image with one section holding a resource tree: resources of one named type,
// each under its id in US English, laid out as a linker lays them out.
constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::size_t kSectionOffset = 0x200;

Bytes BuildPe(const std::string& type, const std::vector<testhost::PiplResource>& resources) {
  Bytes tree;
  const std::uint32_t n = static_cast<std::uint32_t>(resources.size());
  // Root (one named entry), type directory (n ids), n language directories (one id each).
  const std::uint32_t typeDir = 16 + 8;
  const std::uint32_t languageDirs = typeDir + 16 + 8 * n;
  const std::uint32_t name = languageDirs + n * (16 + 8);
  const std::uint32_t dataEntries = (name + 2 + 2 * static_cast<std::uint32_t>(type.size()) + 3) & ~3u;
  std::uint32_t data = dataEntries + 16 * n;
  Put16(tree, 12, 1);
  Put32(tree, 16, 0x80000000u | name);
  Put32(tree, 20, 0x80000000u | typeDir);
  Put16(tree, typeDir + 14, n);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t language = languageDirs + i * 24;
    Put32(tree, typeDir + 16 + 8 * i, static_cast<std::uint32_t>(resources[i].id));
    Put32(tree, typeDir + 20 + 8 * i, 0x80000000u | language);
    Put16(tree, language + 14, 1);
    Put32(tree, language + 16, 0x409);
    Put32(tree, language + 20, dataEntries + 16 * i);
  }
  Put16(tree, name, static_cast<std::uint32_t>(type.size()));
  for (std::size_t c = 0; c < type.size(); ++c) Put16(tree, name + 2 + 2 * c, static_cast<std::uint8_t>(type[c]));
  for (std::uint32_t i = 0; i < n; ++i) {
    const Bytes& blob = resources[i].data;
    Put32(tree, dataEntries + 16 * i, kSectionRva + data);
    Put32(tree, dataEntries + 16 * i + 4, static_cast<std::uint32_t>(blob.size()));
    tree.resize(data);
    tree.insert(tree.end(), blob.begin(), blob.end());
    data = static_cast<std::uint32_t>(tree.size() + 3) & ~3u;
  }

  Bytes file(kSectionOffset, 0);
  file[0] = 'M';
  file[1] = 'Z';
  Put32(file, 0x3C, 0x40);
  Put32(file, 0x40, 0x00004550);
  Put16(file, 0x44, 0x8664);
  Put16(file, 0x46, 1);     // one section
  Put16(file, 0x54, 240);   // optional header of PE32+ with 16 directories
  Put16(file, 0x56, 0x2022);  // an executable image, a DLL
  Put16(file, 0x58, 0x20B);
  Put32(file, 0x58 + 108, 16);
  Put32(file, 0x58 + 112 + 16, kSectionRva);
  Put32(file, 0x58 + 112 + 20, static_cast<std::uint32_t>(tree.size()));
  const std::size_t section = 0x58 + 240;
  std::copy_n(".rsrc", 5, file.begin() + static_cast<std::ptrdiff_t>(section));
  Put32(file, section + 8, static_cast<std::uint32_t>(tree.size()));
  Put32(file, section + 12, kSectionRva);
  Put32(file, section + 16, static_cast<std::uint32_t>(tree.size()));
  Put32(file, section + 20, kSectionOffset);
  file.insert(file.end(), tree.begin(), tree.end());
  return file;
}

std::vector<testhost::PiplResource> WindowsLists() {
  std::vector<testhost::PiplResource> lists;
  for (int i = 0; i < zelfin::kEffectCount; ++i) {
    lists.push_back({zelfin::kFirstResourceId + i,
                     zelfin::BuildPropertyList(zelfin::kEffects[i], zelfin::ResourcePlatform::kWindows)});
  }
  return lists;
}

// A folder of its own for the files one test writes.
class Scratch : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zelfin-host-test-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const Bytes& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  fs::path dir_;
};

TEST(PeResources, ReadsTheResourcesOfTheTypeOrderedById) {
  const Bytes file = BuildPe("PIPL", {{16001, {1, 2, 3}}, {16000, {4, 5, 6, 7, 8}}});
  const auto found = testhost::ReadPeResources(file, "PIPL");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].id, 16000);
  EXPECT_EQ(found[0].data, (Bytes{4, 5, 6, 7, 8}));
  EXPECT_EQ(found[1].id, 16001);
  EXPECT_EQ(found[1].data, (Bytes{1, 2, 3}));
  EXPECT_TRUE(testhost::ReadPeResources(file, "ICON").empty());
  EXPECT_TRUE(testhost::ReadPeResources(file, "PIP").empty());
}

TEST(PeResources, RefusesAFileCutShortOrPointingOutside) {
  const Bytes file = BuildPe("PIPL", {{16000, Bytes(40, 9)}});
  // Inside the headers, the section table, the resource tree and the resource's data.
  for (std::size_t size : {0x30u, 0x50u, 0x160u, 0x210u, 0x250u, static_cast<unsigned>(file.size() - 1)}) {
    const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_THROW(testhost::ReadPeResources(cut, "PIPL"), testhost::PeError) << size;
  }
  // With one resource the data entry sits at 84 in the tree, after the three directories (72
  // bytes) and the type's name (10 bytes, padded); its size follows the address.
  Bytes beyond = file;
  Put32(beyond, kSectionOffset + 84 + 4, 0x7FFFFFF0);
  EXPECT_THROW(testhost::ReadPeResources(beyond, "PIPL"), testhost::PeError);
  Bytes noPe = file;
  noPe[0x41] = 'X';
  EXPECT_THROW(testhost::ReadPeResources(noPe, "PIPL"), testhost::PeError);
}

// What the Windows loader reads of an image, checked before it is handed over: each header and
// each section's data inside the file, a DLL, for the machine the host runs on.
TEST_F(Scratch, AWindowsImageWhoseHeadersOrSectionsDoNotFitIsRefused) {
  const Bytes good = BuildPe("PIPL", WindowsLists());
  constexpr std::size_t kSection = 0x58 + 240;
  const auto edit = [&good](std::size_t at, std::uint32_t value, int width) {
    Bytes b = good;
    (width == 2 ? Put16 : Put32)(b, at, value);
    return b;
  };
  const struct {
    const char* what;
    Bytes file;
    std::optional<testhost::PeMachine> machine;
    const char* message;
  } cases[] = {
      {"cut inside the DOS header", Bytes(good.begin(), good.begin() + 0x30), {}, "its DOS header"},
      {"NT headers beyond the end", edit(0x3C, 0x7FFFFFF0, 4), {}, "its NT headers"},
      {"no PE signature", edit(0x40, 0x4551, 4), {}, "a DOS program"},
      {"a program", edit(0x56, 0x0022, 2), {}, "a Windows program, not a library"},
      {"another machine", good, testhost::PeMachine{0xAA64}, "a library for x86_64; this build loads arm64"},
      {"a 32-bit header for x86_64", edit(0x58, 0x10B, 2), testhost::PeMachine{0x8664}, "of the other word size"},
      {"an optional header too small", edit(0x54, 64, 2), {}, "too small for its kind"},
      {"headers larger than the file", edit(0x58 + 60, 0x100000, 4), {}, "its headers"},
      {"no sections", edit(0x46, 0, 2), {}, "without sections"},
      {"a section table beyond the end", edit(0x46, 0x4000, 2), {}, "its section table"},
      {"section data beyond the end", edit(kSection + 16, 0x100000, 4), {}, "its section 0 (.rsrc)"},
  };
  for (const auto& c : cases) {
    testhost::CheckedFile file(write("damaged.aex", c.file), testhost::kMaxPluginFileSize, "a plug-in");
    try {
      testhost::CheckPortableExecutable(file, c.machine);
      ADD_FAILURE() << c.what << ": taken";
    } catch (const testhost::LoadError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
    }
  }
  testhost::CheckedFile file(write("good.aex", good), testhost::kMaxPluginFileSize, "a plug-in");
  EXPECT_NO_THROW(testhost::CheckPortableExecutable(file, testhost::PeMachine{0x8664}));
}

TEST_F(Scratch, AWindowsPluginIsListedButNotRun) {
  const std::string path = write("ZelfinControls.aex", BuildPe("PIPL", WindowsLists()));
  const zelfin_host::PluginFile plugin = OpenPlugin(path);
  EXPECT_EQ(plugin.kind, zelfin_host::PluginKind::kWindows);
  ASSERT_EQ(plugin.effects.size(), static_cast<std::size_t>(zelfin::kEffectCount));
  for (int i = 0; i < zelfin::kEffectCount; ++i) {
    const zelfin_host::DeclaredEffect& e = plugin.effects[static_cast<std::size_t>(i)];
    EXPECT_EQ(e.resourceId, zelfin::kFirstResourceId + i);
    EXPECT_EQ(e.name, zelfin::kEffects[i].name);
    EXPECT_EQ(e.matchName, zelfin::kEffects[i].matchName);
    EXPECT_EQ(e.entryPoint, zelfin::kEffects[i].entryPoint);
    EXPECT_EQ(e.architectures, std::vector<std::string>{"x86_64"});
    EXPECT_EQ(e.version, zelfin::kPluginVersion);
    EXPECT_EQ(e.outFlags, zelfin::kEffects[i].outFlags);
    EXPECT_EQ(e.outFlags2, zelfin::kEffects[i].outFlags2);
  }
  EXPECT_THROW(zelfin_host::LoadedModule(plugin), ToolError);
  EXPECT_EQ(&zelfin_host::FindEffect(plugin, "Light Control"), &plugin.effects[3]);
  EXPECT_THROW(zelfin_host::FindEffect(plugin, "light control"), zelfin_host::UsageError);
}

// Found through its Info.plist, whatever the folder is called; its code is missing.
TEST_F(Scratch, ABundleIsReadFromItsResourceFile) {
  const fs::path resources = dir_ / "Renamed.plugin" / "Contents" / "Resources";
  fs::create_directories(resources);
  const std::string info = zelfin::BundleInfoPlist();
  write("Renamed.plugin/Contents/Info.plist", Bytes(info.begin(), info.end()));
  write("Renamed.plugin/Contents/Resources/ZelfinControls.rsrc", zelfin::MacResourceFile());
  const zelfin_host::PluginFile plugin = OpenPlugin((dir_ / "Renamed.plugin").string());
  EXPECT_EQ(plugin.kind, zelfin_host::PluginKind::kMacBundle);
  ASSERT_EQ(plugin.effects.size(), static_cast<std::size_t>(zelfin::kEffectCount));
  EXPECT_EQ(plugin.effects[4].matchName, "ZelfinBezierControl");
  // One code file for Intel and Apple-silicon Macs: every list names the entry point for both.
  for (const zelfin_host::DeclaredEffect& e : plugin.effects) {
    EXPECT_EQ(e.architectures, (std::vector<std::string>{"x86_64", "arm64"})) << e.name;
  }
  EXPECT_THROW(zelfin_host::LoadedModule(plugin), ToolError);
}

// Each file that is not a usable plug-in gets an error that says what is wrong with it.
TEST_F(Scratch, FilesThatAreNotPluginsAreRefusedWithTheReason) {
  const Bytes whole = BuildPe("PIPL", WindowsLists());
  const auto lists = WindowsLists();
  const Bytes damagedFirst = BuildPe("PIPL", {{16000, Bytes(lists[0].data.begin(), lists[0].data.end() - 8)}});
  const struct {
    const char* what;
    std::string path;
    const char* message;
  } cases[] = {
      {"missing", (dir_ / "nothing.aex").string(), "no such file"},
      {"text", write("notes.txt", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}), "is not a plug-in"},
      {"empty", write("empty.so", Bytes{}), "is not a plug-in"},
      {"folder", dir_.string(), "is a folder but not a plug-in bundle"},
      {"Windows file without lists", write("bare.aex", BuildPe("ICON", {{1, {0}}})), "declares no effects"},
      {"Windows file with a damaged list", write("damaged.aex", damagedFirst), "resource 16000 is malformed"},
      {"Windows file cut short", write("cut.aex", Bytes(whole.begin(), whole.begin() + 0x100)),
       "is not a readable Windows plug-in"},
      {"code inside a bundle", write("ZelfinControls", Bytes{0xCF, 0xFA, 0xED, 0xFE, 7, 0, 0, 1}),
       "not inside a plug-in bundle"},
      {"ELF cut short", write("broken.so", Bytes{0x7F, 'E', 'L', 'F', 2, 1, 1, 0}), "cut short"},
  };
  for (const auto& c : cases) {
    try {
      OpenPlugin(c.path);
      ADD_FAILURE() << c.what << ": opened";
    } catch (const ToolError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.path), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

}  // namespace
