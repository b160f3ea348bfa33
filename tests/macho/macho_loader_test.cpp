// The stand-in host's loader of macOS code, on the bundle the macos-cross build made: it loads the
// x86_64 code of a thin or universal file, leaves nothing behind when it unloads or refuses a
// file, and refuses every damaged file with a one-line error naming the problem.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "testhost/macho/CodeSignature.h"
#include "testhost/formats/MachO.h"
#include "testhost/registration/PiPL.h"
#include "testhost/loader/PluginModule.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::string kBundle = ZELFIN_MACOS_CODE;
constexpr std::uint32_t kX86_64 = 0x01000007;
constexpr std::uint32_t kArm64 = 0x0100000C;
constexpr const char* kEntryPoints[] = {"EntryPointFunc_2d", "EntryPointFunc_3d",
                                        "EntryPointFunc_camera", "EntryPointFunc_light",
                                        "EntryPointFunc_bezier"};

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void Put64(Bytes& b, std::size_t at, std::uint64_t v) { std::memcpy(b.data() + at, &v, 8); }
void PutBig32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

Bytes GoodCode() { return testhost::ReadMachOFile(testhost::PluginCodePath(kBundle)); }

// The bytes with every page hash recomputed, where the signature can still be read.
Bytes Rehashed(Bytes file) {
  try {
    testhost::RehashCodePages(file);
  } catch (const testhost::MachOError&) {
  }
  return file;
}

// The good file's x86_64 slice, as the reader sees it.
testhost::MachOSlice X86Slice(const Bytes& file) {
  return testhost::SliceFor(testhost::ReadMachOSlices(file), kX86_64);
}

// The bundle's x86_64 code as a thin file.
Bytes ThinX86(const Bytes& file) {
  const testhost::MachORange range = X86Slice(file).range;
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(range.offset),
               file.begin() + static_cast<std::ptrdiff_t>(range.offset + range.size));
}

// Where in the file the x86_64 slice's first load command `cmd` (of that segment name, for
// segments) starts.
std::size_t FindCommand(const Bytes& file, std::uint32_t cmd, const char* segment = nullptr) {
  const std::size_t slice = X86Slice(file).range.offset;
  const std::uint32_t count = Get32(file, slice + 16);
  std::size_t at = slice + 32;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (Get32(file, at) == cmd &&
        (!segment || std::strcmp(segment, reinterpret_cast<const char*>(&file[at + 8])) == 0)) {
      return at;
    }
    at += Get32(file, at + 4);
  }
  ADD_FAILURE() << "no load command " << cmd;
  return 0;
}

// A universal file holding each (architecture, thin file) pair, slices page-aligned.
Bytes Universal(const std::vector<std::pair<std::uint32_t, Bytes>>& slices) {
  Bytes out(4096, 0);
  PutBig32(out, 0, 0xCAFEBABE);
  PutBig32(out, 4, static_cast<std::uint32_t>(slices.size()));
  for (std::size_t i = 0; i < slices.size(); ++i) {
    const std::size_t entry = 8 + 20 * i;
    PutBig32(out, entry, slices[i].first);
    PutBig32(out, entry + 8, static_cast<std::uint32_t>(out.size()));
    PutBig32(out, entry + 12, static_cast<std::uint32_t>(slices[i].second.size()));
    PutBig32(out, entry + 16, 12);
    out.insert(out.end(), slices[i].second.begin(), slices[i].second.end());
    out.resize((out.size() + 4095) / 4096 * 4096, 0);
  }
  return out;
}

// The thin x86_64 file with its header naming another architecture.
Bytes AsArm64(Bytes thin) {
  Put32(thin, 4, kArm64);
  return thin;
}

std::size_t MappingCount() {
  std::ifstream maps("/proc/self/maps");
  return static_cast<std::size_t>(
      std::count(std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>(), '\n'));
}

class MachOLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zelfin-macho-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const Bytes& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  fs::path dir_;
};

TEST_F(MachOLoader, LoadsTheBundleOrItsCodeFileAndFindsExactlyTheEntryPoints) {
  for (const std::string& path : {kBundle, testhost::PluginCodePath(kBundle)}) {
    SCOPED_TRACE(path);
    const testhost::PluginModule plugin(path);
    for (const char* name : kEntryPoints) EXPECT_TRUE(plugin.exports(name)) << name;
    EXPECT_FALSE(plugin.exports("EntryPointFunc_glow"));
    EXPECT_FALSE(plugin.exports("memcpy"));  // an import, not an export
    EXPECT_THROW(plugin.entryPoint("DispatchCommand"), testhost::LoadError);
  }
}

TEST_F(MachOLoader, LoadsTheX86CodeThinOrAsAnySliceOfAUniversalFile) {
  const Bytes thin = ThinX86(GoodCode());
  for (const Bytes& file : {thin, Universal({{kX86_64, thin}, {kArm64, AsArm64(thin)}}),
                            Universal({{kArm64, AsArm64(thin)}, {kX86_64, thin}})}) {
    const testhost::PluginModule plugin(write("Universal", file));
    for (const char* name : kEntryPoints) EXPECT_TRUE(plugin.exports(name)) << name;
  }
}

TEST_F(MachOLoader, RegistrationResourcesAreTheBundles) {
  const std::string expected =
      (fs::path(kBundle) / "Contents/Resources/ZelfinControls.rsrc").string();
  EXPECT_EQ(testhost::RegistrationResourcePath(kBundle), expected);
  EXPECT_EQ(testhost::RegistrationResourcePath(testhost::PluginCodePath(kBundle)), expected);
  EXPECT_TRUE(fs::is_regular_file(expected));
  EXPECT_EQ(testhost::RegistrationResourcePath("/some/build/ZelfinControls.so"),
            "/some/build/ZelfinControls.rsrc");
}

// Loading, unloading and refusing leave no mapping behind (the frame data is deregistered with
// the code: a second registration of the same frames would trip the unwinder's checks).
TEST_F(MachOLoader, LoadsAndRefusalsLeaveNothingMapped) {
  Bytes unresolvable = GoodCode();
  const std::string good = write("Good", unresolvable);
  const auto name = std::search(unresolvable.begin(), unresolvable.end(), std::begin("_memcpy"),
                                std::end("_memcpy"));
  ASSERT_NE(name, unresolvable.end());
  name[6] = 'z';
  const std::string bad = write("Unresolvable", Rehashed(unresolvable));  // refused once mapped
  { const testhost::PluginModule warmUp(good); }
  const std::size_t before = MappingCount();
  for (int i = 0; i < 20; ++i) {
    const testhost::PluginModule plugin(good);
    EXPECT_THROW(testhost::PluginModule{bad}, testhost::LoadError);
  }
  EXPECT_EQ(MappingCount(), before);
}

struct BadFile {
  const char* what;
  std::function<Bytes(Bytes)> damage;
  const char* message;
  // Most damage lies in the signed pages: their hashes are recomputed so that the loader looks
  // past them, unless the case is the hash itself.
  bool rehash = true;
};


TEST_F(MachOLoader, EachDamagedFileGetsAOneLineErrorNamingItsProblem) {
  const Bytes good = ThinX86(GoodCode());
  const testhost::MachOSlice slice = X86Slice(good);
  const std::size_t dyldInfo = FindCommand(good, 0x80000022);
  const BadFile cases[] = {
      {"cut in the header",
       [](Bytes b) {
         b.resize(20);
         return b;
       },
       "ends before the end of the Mach-O header"},
      {"cut in half",
       [](Bytes b) {
         b.resize(b.size() / 2);
         return b;
       },
       "the file ends before the end of segment"},
      {"arm64 code only", [](Bytes b) { return AsArm64(b); }, "has no x86_64 code, only arm64"},
      {"universal, arm64 only",
       [](Bytes b) {
         return Universal({{kArm64, AsArm64(b)}});
       },
       "has no x86_64 code, only arm64"},
      {"universal, slice beyond the file",
       [](Bytes b) {
         Bytes u = Universal({{kX86_64, b}});
         PutBig32(u, 8 + 12, 0x7FFFFFFF);
         return u;
       },
       "ends before the end of the x86_64 slice"},
      {"load command of size 0",
       [](Bytes b) {
         Put32(b, 32 + 4, 0);
         return b;
       },
       "load command 0 has a malformed size"},
      {"segment beyond the file",
       [](Bytes b) {
         Put64(b, FindCommand(b, 0x19, "__DATA") + 40, 0x10000000);
         return b;
       },
       "ends before the end of segment __DATA's contents"},
      {"bind opcodes beyond the file",
       [dyldInfo](Bytes b) {
         Put32(b, dyldInfo + 16, 0x7FFFFFF0);
         return b;
       },
       "ends before the end of the bind opcodes"},
      {"unknown bind opcode",
       [&slice](Bytes b) {
         b[slice.range.offset + slice.bind.offset] = 0xE0;
         return b;
       },
       "the bind opcodes hold an unknown opcode 0xe0 at byte 0"},
      {"unknown rebase opcode",
       [&slice](Bytes b) {
         b[slice.range.offset + slice.rebase.offset] = 0xE5;
         return b;
       },
       "the rebase opcodes hold an unknown opcode 0xe5"},
      {"unresolvable import",
       [](Bytes b) {
         const auto at =
             std::search(b.begin(), b.end(), std::begin("___cxa_throw"), std::end("___cxa_throw"));
         at[11] = 'n';
         return b;
       },
       "the code imports ___cxa_thron, which this process lacks"},
      {"bind into a segment that is not there",
       [&slice](Bytes b) {
         const std::size_t at = slice.range.offset + slice.bind.offset;
         b[at] = 0x79;  // set segment 9, offset 0
         b[at + 1] = 0;
         return b;
       },
       "the bind opcodes name segment 9 of 3"},
      {"unwind data kept as DWARF",
       [&slice](Bytes b) {
         const testhost::MachOSection* unwind = slice.findSection("__TEXT", "__unwind_info");
         const std::size_t common = slice.range.offset + unwind->fileOffset +
                                    Get32(b, slice.range.offset + unwind->fileOffset + 4);
         Put32(b, common, 0x04000000);
         return b;
       },
       "keeps its unwind data as DWARF, which this loader does not translate"},
      {"a code byte changed after signing",
       [&slice](Bytes b) {
         b[slice.range.offset + slice.findSection("__TEXT", "__text")->fileOffset] ^= 0x40;
         return b;
       },
       "x86_64 slice: page ", false},
      {"no signature",
       [](Bytes b) {
         b[FindCommand(b, 0x1D)] = 0x7F;  // renamed: the reader passes over it
         return b;
       },
       "x86_64 slice: carries no code signature", false},
  };
  for (const BadFile& c : cases) {
    const Bytes damaged = c.damage(good);
    const std::string path = write("Damaged", c.rehash ? Rehashed(damaged) : damaged);
    try {
      testhost::PluginModule plugin(path);
      ADD_FAILURE() << c.what << ": loaded";
    } catch (const testhost::LoadError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
      EXPECT_EQ(message.rfind("cannot load plug-in " + path + ": ", 0), 0u)
          << c.what << ": " << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << c.what << ": " << message;
    }
  }
}

}  // namespace
