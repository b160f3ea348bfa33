// The bundle signed as a whole, on a bundle made of the tiny code file: the signer writes what
// codesign writes, the same bytes every time; the verifier and the stand-in host accept it, find
// its parts through Info.plist whatever the folder is called, and refuse each damaged copy with
// one line naming what broke.
#include <gtest/gtest.h>

#include "testhost/formats/File.h"
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "testhost/loader/PluginModule.h"
#include "testhost/macho/Bundle.h"
#include "testhost/macho/CodeSignature.h"
#include "testhost/formats/MachO.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kX86_64 = 0x01000007;
constexpr std::uint32_t kArm64 = 0x0100000C;

const char kInfoPlist[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>CFBundleExecutable</key>
	<string>Tiny</string>
	<key>CFBundleIdentifier</key>
	<string>org.zelfin.Tiny</string>
	<key>CFBundlePackageType</key>
	<string>eFKT</string>
</dict>
</plist>
)";

Bytes ReadAll(const fs::path& path) {
  return testhost::ReadCheckedFile(path.string(), testhost::kMaxPluginFileSize, "a bundle's file");
}

void WriteAll(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
  WriteAll(path, Bytes(text.begin(), text.end()));
}

class BundleSignature : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zelfin-bundle-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A bundle of the tiny code file as the linker signed it, not yet signed as a whole.
  fs::path makeBundle(const std::string& name, const Bytes& code) {
    const fs::path bundle = dir_ / name;
    WriteText(bundle / "Contents/Info.plist", kInfoPlist);
    WriteText(bundle / "Contents/PkgInfo", "eFKTFXTC");
    WriteAll(bundle / "Contents/MacOS/Tiny", code);
    WriteText(bundle / "Contents/Resources/Tiny.rsrc", "the registration resources");
    return bundle;
  }
  fs::path signedBundle(const std::string& name, const Bytes& code = Tiny()) {
    const fs::path bundle = makeBundle(name, code);
    testhost::SignBundle(testhost::ReadBundle(bundle.string()));
    return bundle;
  }
  static Bytes Tiny() { return testhost::ReadMachOFile(ZELFIN_TINY_BUNDLE); }

  fs::path dir_;
};

// The problem VerifyBundle names, or "" when the bundle verifies.
std::string Problem(const fs::path& bundle) {
  try {
    testhost::VerifyBundle(testhost::ReadBundle(bundle.string()));
    return "";
  } catch (const testhost::MachOError& e) {
    return e.what();
  }
}

std::uint32_t Little32(const Bytes& b, std::uint64_t at) {
  std::uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
std::uint64_t Little64(const Bytes& b, std::uint64_t at) {
  std::uint64_t v;
  std::memcpy(&v, b.data() + at, 8);
  return v;
}

// Replaces the bundle's seal by `seal` and signs its code anew to bind it, as a signer that
// wrote that seal would.
void ResignWithSeal(const fs::path& bundle, const std::string& seal) {
  const Bytes sealBytes(seal.begin(), seal.end());
  WriteAll(bundle / "Contents/_CodeSignature/CodeResources", sealBytes);
  const testhost::BundleBinding binding{"org.zelfin.Tiny", ReadAll(bundle / "Contents/Info.plist"),
                                        sealBytes};
  WriteAll(bundle / "Contents/MacOS/Tiny",
           testhost::SignCodeFile(ReadAll(bundle / "Contents/MacOS/Tiny"), binding));
}

std::string ReadText(const fs::path& path) {
  const Bytes bytes = ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST_F(BundleSignature, SignsAsCodesignDoesAndTheSameBytesEveryTime) {
  const fs::path bundle = signedBundle("Tiny.plugin");
  const Bytes code = ReadAll(bundle / "Contents/MacOS/Tiny");
  const testhost::MachOSlice slice = testhost::ReadMachOSlices(code).front();
  const testhost::SliceSignature signature = testhost::ReadSliceSignature(code, slice);
  const testhost::CodeDirectory& cd = signature.directory;
  EXPECT_EQ(signature.blobTypes, (std::vector<std::uint32_t>{0, 2, 0x10000}));
  EXPECT_EQ(signature.requirements, (Bytes{0xFA, 0xDE, 0x0C, 0x01, 0, 0, 0, 12, 0, 0, 0, 0}));
  EXPECT_EQ(cd.version, 0x20400u);
  EXPECT_EQ(cd.flags, testhost::kCodeSignatureAdHoc);
  EXPECT_EQ(cd.identifier, "org.zelfin.Tiny");
  EXPECT_EQ(cd.hashType, 2);
  EXPECT_EQ(cd.hashSize, 32);
  EXPECT_EQ(cd.pageSize, 4096u);
  ASSERT_EQ(cd.specialSlots.size(), 3u);
  const testhost::Sha256Digest info = testhost::Sha256(ReadAll(bundle / "Contents/Info.plist"));
  EXPECT_TRUE(std::equal(info.begin(), info.end(), cd.specialSlots[0].begin()));
  const testhost::Sha256Digest seal =
      testhost::Sha256(ReadAll(bundle / "Contents/_CodeSignature/CodeResources"));
  EXPECT_TRUE(std::equal(seal.begin(), seal.end(), cd.specialSlots[2].begin()));
  EXPECT_EQ(cd.execSegmentLimit, slice.findSegment("__TEXT")->fileSize);
  // The signature ends the slice, and __LINKEDIT holds it in whole pages.
  const testhost::MachOSegment* linkedit = slice.findSegment("__LINKEDIT");
  EXPECT_EQ(cd.codeLimit, slice.codeSignature->offset);
  EXPECT_EQ(slice.codeSignature->offset + slice.codeSignature->size, code.size());
  EXPECT_EQ(linkedit->fileOffset + linkedit->fileSize, code.size());
  EXPECT_EQ(Little64(code, linkedit->commandOffset + 32) % 4096, 0u);  // vmsize
  EXPECT_GE(slice.codeSignature->size, signature.superBlobSize);
  EXPECT_EQ(slice.codeSignature->size % 16, 0u);
  EXPECT_EQ(Little32(code, slice.codeSignatureCommandOffset + 12), slice.codeSignature->size);

  EXPECT_EQ(Problem(bundle), "");
  // Signed again, from the linker's signature or from its own, it is the same to the byte.
  const fs::path again = signedBundle("Again.plugin");
  testhost::SignBundle(testhost::ReadBundle(again.string()));
  EXPECT_EQ(ReadAll(again / "Contents/MacOS/Tiny"), code);
  EXPECT_EQ(ReadAll(again / "Contents/_CodeSignature/CodeResources"),
            ReadAll(bundle / "Contents/_CodeSignature/CodeResources"));
}

TEST_F(BundleSignature, AUniversalFileKeepsEachSliceAtItsAlignment) {
  // The tiny code twice, the second copy named arm64: each slice is signed on its own.
  Bytes thin = Tiny();
  Bytes arm64 = thin;
  std::memcpy(arm64.data() + 4, &kArm64, 4);
  const std::uint32_t arm64At = (4096 + static_cast<std::uint32_t>(thin.size()) + 16383) / 16384 * 16384;
  Bytes universal(arm64At, 0);
  const std::uint8_t header[] = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 2};
  std::copy(std::begin(header), std::end(header), universal.begin());
  const auto entry = [&universal](int i, std::uint32_t cpu, std::uint32_t offset,
                                  std::uint32_t size, std::uint32_t align) {
    for (const auto& [at, value] : {std::pair{0, cpu}, {8, offset}, {12, size}, {16, align}}) {
      for (int b = 0; b < 4; ++b) universal[8 + 20 * i + at + b] = static_cast<std::uint8_t>(value >> (24 - 8 * b));
    }
  };
  entry(0, kX86_64, 4096, static_cast<std::uint32_t>(thin.size()), 12);
  std::copy(thin.begin(), thin.end(), universal.begin() + 4096);
  entry(1, kArm64, arm64At, static_cast<std::uint32_t>(arm64.size()), 14);
  universal.insert(universal.end(), arm64.begin(), arm64.end());

  const fs::path bundle = signedBundle("Universal.plugin", universal);
  const Bytes code = ReadAll(bundle / "Contents/MacOS/Tiny");
  const std::vector<testhost::MachOSlice> slices = testhost::ReadMachOSlices(code);
  ASSERT_EQ(slices.size(), 2u);
  EXPECT_EQ(slices[0].range.offset, 4096u);
  EXPECT_EQ(slices[1].range.offset % 16384, 0u);
  EXPECT_GE(slices[1].range.offset, slices[0].range.offset + slices[0].range.size);
  for (const testhost::MachOSlice& slice : slices) {
    SCOPED_TRACE(testhost::CpuTypeName(slice.cpuType));
    EXPECT_EQ(slice.range.offset + slice.range.size,
              slice.range.offset + slice.codeSignature->offset + slice.codeSignature->size);
    const std::uint64_t vmSize = Little64(code, slice.range.offset +
                                                    slice.findSegment("__LINKEDIT")->commandOffset + 32);
    EXPECT_EQ(vmSize % (slice.cpuType == kArm64 ? 16384 : 4096), 0u);
  }
  EXPECT_EQ(Problem(bundle), "");
}

struct Damage {
  const char* what;
  std::function<void(const fs::path& bundle)> damage;
  const char* problem;
};

TEST_F(BundleSignature, EachDamagedCopyIsRefusedWithOneLineNamingWhatBroke) {
  const Damage cases[] = {
      {"a resource changed",
       [](const fs::path& b) { WriteText(b / "Contents/Resources/Tiny.rsrc", "other resources"); },
       "Resources/Tiny.rsrc does not match its seal: it was changed after signing"},
      {"a resource added",
       [](const fs::path& b) { WriteText(b / "Contents/Resources/extra.txt", "added"); },
       "Resources/extra.txt is not sealed: it was added to the bundle after signing"},
      {"a resource removed",
       [](const fs::path& b) { fs::remove(b / "Contents/Resources/Tiny.rsrc"); },
       "Resources/Tiny.rsrc is sealed but missing from the bundle"},
      {"Info.plist changed",
       [](const fs::path& b) {
         std::string text = kInfoPlist;
         text.replace(text.find("eFKT"), 4, "BNDL");
         WriteText(b / "Contents/Info.plist", text);
       },
       "x86_64 slice: its signature binds another Info.plist than the bundle's"},
      {"a code byte changed",
       [](const fs::path& b) {
         Bytes code = ReadAll(b / "Contents/MacOS/Tiny");
         const testhost::MachOSlice slice = testhost::ReadMachOSlices(code).front();
         code[slice.findSection("__TEXT", "__text")->fileOffset] ^= 1;
         WriteAll(b / "Contents/MacOS/Tiny", code);
       },
       "x86_64 slice: page "},
      {"a stale seal",
       [](const fs::path& b) {
         // The resource changed and the seal made anew, but the code not signed with it.
         const Bytes code = ReadAll(b / "Contents/MacOS/Tiny");
         WriteText(b / "Contents/Resources/Tiny.rsrc", "other resources");
         testhost::SignBundle(testhost::ReadBundle(b.string()));
         WriteAll(b / "Contents/MacOS/Tiny", code);
       },
       "x86_64 slice: its signature binds another seal than _CodeSignature/CodeResources"},
      {"only the linker's signature",
       [](const fs::path& b) { WriteAll(b / "Contents/MacOS/Tiny", Tiny()); },
       "x86_64 slice: carries only the linker's signature"},
      {"no seal",
       [](const fs::path& b) { fs::remove_all(b / "Contents/_CodeSignature"); },
       "the bundle has no seal (Contents/_CodeSignature/CodeResources)"},
      {"a file beside Contents",
       [](const fs::path& b) { WriteText(b / "README", "hello"); },
       "README lies beside Contents/ in the bundle, where nothing is sealed"},
      {"nested code",
       [](const fs::path& b) { WriteAll(b / "Contents/MacOS/Helper", Tiny()); },
       "MacOS/Helper is code or lies at the top of Contents/, and no seal holds it"},
      {"a file added to the signature's folder",
       [](const fs::path& b) { WriteText(b / "Contents/_CodeSignature/CodeRequirements", "x"); },
       "_CodeSignature/CodeRequirements lies in the signature's folder, which holds the seal alone"},
      {"a seal of version 1 alone that lacks a resource",
       [](const fs::path& b) {
         // With no files2, the files of version 1 are what is checked.
         ResignWithSeal(b, R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>files</key><dict/>
<key>rules</key><dict><key>^Resources/</key><true/></dict>
</dict></plist>
)");
       },
       "Resources/Tiny.rsrc is not sealed: it was added to the bundle after signing"},
      {"Info.plist is not a property list",
       [](const fs::path& b) { WriteText(b / "Contents/Info.plist", "CFBundleExecutable = Tiny"); },
       "Contents/Info.plist is not a property list"},
      {"Info.plist names no code file",
       [](const fs::path& b) {
         std::string text = kInfoPlist;
         text.replace(text.find("CFBundleExecutable"), 18, "CFBundleName");
         WriteText(b / "Contents/Info.plist", text);
       },
       "Contents/Info.plist names no code file (CFBundleExecutable)"},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path bundle = signedBundle("Damaged.plugin");
    c.damage(bundle);
    const std::string problem = Problem(bundle);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
    // The stand-in host refuses it as macOS does, with the same line, and loads nothing.
    try {
      const testhost::PluginModule plugin(bundle.string());
      ADD_FAILURE() << "loaded";
    } catch (const testhost::LoadError& e) {
      EXPECT_EQ(std::string(e.what()), "cannot load plug-in " + bundle.string() + ": " + problem);
    }
    fs::remove_all(bundle);
  }
}

TEST_F(BundleSignature, TheHostFindsThePartsThroughInfoPlistWhateverTheFolderIsCalled) {
  const fs::path bundle = signedBundle("Other.plugin");
  for (const std::string& path : {bundle.string(), bundle.string() + "/", bundle.string() + "//"}) {
    SCOPED_TRACE(path);
    const testhost::PluginModule plugin(path);
    EXPECT_TRUE(plugin.exports("EntryPointFunc_tiny"));
    EXPECT_EQ(fs::path(testhost::PluginCodePath(path)), bundle / "Contents/MacOS/Tiny");
    EXPECT_EQ(fs::path(testhost::RegistrationResourcePath(path)),
              bundle / "Contents/Resources/Tiny.rsrc");
  }
  // The code file alone runs once its own pages verify.
  const testhost::PluginModule code((bundle / "Contents/MacOS/Tiny").string());
  EXPECT_TRUE(code.exports("EntryPointFunc_tiny"));
}

TEST_F(BundleSignature, WhatMacOSAllowsIsAcceptedByTheCheckAndTheHost) {
  const Damage cases[] = {
      {"the Finder's folder file beside Contents, added after signing",
       [](const fs::path& b) { WriteText(b / ".DS_Store", "finder"); }, ""},
      {"the Finder's folder file in Resources, which only the version-1 rules seal",
       [](const fs::path& b) { WriteText(b / "Contents/Resources/.DS_Store", "finder"); }, ""},
      {"a version-1 hash that differs, under a version-2 seal that holds",
       [](const fs::path& b) {
         std::string seal = ReadText(b / "Contents/_CodeSignature/CodeResources");
         const std::size_t files = seal.find("<key>files</key>");
         ASSERT_LT(files, seal.find("<key>files2</key>"));
         const std::size_t hash = seal.find_first_not_of(" \t\n", seal.find("<data>", files) + 6);
         ASSERT_NE(std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
                       .find(seal.at(hash)),
                   std::string::npos);  // a base64 digit of the SHA-1
         seal[hash] = seal[hash] == 'A' ? 'B' : 'A';
         ResignWithSeal(b, seal);
       },
       ""},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path bundle = signedBundle("Allowed.plugin");
    c.damage(bundle);
    EXPECT_EQ(Problem(bundle), "");
    try {
      const testhost::PluginModule plugin(bundle.string());
      EXPECT_TRUE(plugin.exports("EntryPointFunc_tiny"));
    } catch (const testhost::LoadError& e) {
      ADD_FAILURE() << e.what();
    }
    fs::remove_all(bundle);
  }
  // The signer signs a bundle that holds the Finder's folder file beside Contents, too.
  const fs::path bundle = makeBundle("Finder.plugin", Tiny());
  WriteText(bundle / ".DS_Store", "finder");
  testhost::SignBundle(testhost::ReadBundle(bundle.string()));
  EXPECT_EQ(Problem(bundle), "");
}

TEST_F(BundleSignature, TheSignerRefusesWhatNoSealHolds) {
  const Damage cases[] = {
      {"nested code", [](const fs::path& b) { WriteAll(b / "Contents/MacOS/Helper", Tiny()); },
       "MacOS/Helper is code or lies at the top of Contents/, which this signer does not seal"},
      {"a file in the signature's folder",
       [](const fs::path& b) { WriteText(b / "Contents/_CodeSignature/CodeRequirements", "x"); },
       "_CodeSignature/CodeRequirements lies in the signature's folder, which this signer does "
       "not write"},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path bundle = makeBundle("Refused.plugin", Tiny());
    c.damage(bundle);
    const Bytes code = ReadAll(bundle / "Contents/MacOS/Tiny");
    try {
      testhost::SignBundle(testhost::ReadBundle(bundle.string()));
      ADD_FAILURE() << "signed";
    } catch (const testhost::MachOError& e) {
      EXPECT_STREQ(e.what(), c.problem);
    }
    EXPECT_FALSE(fs::exists(bundle / "Contents/_CodeSignature/CodeResources"));
    EXPECT_EQ(ReadAll(bundle / "Contents/MacOS/Tiny"), code);
    fs::remove_all(bundle);
  }
}

}  // namespace
