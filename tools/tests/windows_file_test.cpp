// zelfin-host on a built Windows plug-in file, the x64 or the ARM64 .aex (ZELFIN_WINDOWS_AEX): it
// lists the five effects for the architecture of the file's machine word
// from the file's own resources, says that the code cannot run here, and refuses each damaged
// copy (cut, flipped, for another machine) with one line and status 1.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "ZelfinEffects.h"

namespace {

namespace fs = std::filesystem;
using zelfin_host_test::Bytes;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::uint32_t U32(const Bytes& file, std::size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | static_cast<std::uint32_t>(file[at + 3]) << 24;
}

void Put16(Bytes& file, std::size_t at, std::uint16_t value) {
  file[at] = static_cast<std::uint8_t>(value);
  file[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

class WindowsFile : public testing::Test {
 protected:
  void SetUp() override {
    aex_ = Environment("ZELFIN_WINDOWS_AEX");
    ASSERT_FALSE(aex_.empty()) << "set ZELFIN_WINDOWS_AEX";
    ASSERT_TRUE(fs::is_regular_file(aex_)) << aex_ << " is not built";
    whole_ = zelfin_host_test::ReadAll(aex_);
    ASSERT_GT(whole_.size(), 4096u);
    const std::uint32_t machine = U32(whole_, U32(whole_, 0x3C) + 4) & 0xFFFF;
    ASSERT_TRUE(machine == 0x8664 || machine == 0xAA64) << "machine " << machine;
    architecture_ = machine == 0xAA64 ? "arm64" : "x86_64";
    dir_ = fs::temp_directory_path() /
           ("zelfin-windows-file-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  zelfin_host_test::Outcome run(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZELFIN_HOST_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    return zelfin_host_test::RunProgram(argv, dir_);
  }

  std::string aex_;
  Bytes whole_;
  std::string architecture_;  // as the registration names it
  fs::path dir_;
};

TEST_F(WindowsFile, ListsTheFiveEffectsForItsArchitectureFromItsOwnResources) {
  const zelfin_host_test::Outcome o = run({"list", aex_});
  ASSERT_EQ(o.status, 0) << o.err;
  for (const zelfin::EffectDescription& effect : zelfin::kEffects) {
    const std::size_t row = o.out.find(effect.name);
    ASSERT_NE(row, std::string::npos) << effect.name << " in\n" << o.out;
    const std::string line = o.out.substr(row, o.out.find('\n', row) - row);
    EXPECT_NE(line.find(effect.entryPoint), std::string::npos) << line;
    EXPECT_NE(line.find(architecture_), std::string::npos) << line;
  }
  EXPECT_NE(o.out.find("global setup not run"), std::string::npos) << o.out;
}

TEST_F(WindowsFile, APanelSaysTheCodeCannotRunOnThisMachine) {
  const zelfin_host_test::Outcome o = run({"panel", aex_, "Light Control"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("cannot run on this machine"), std::string::npos) << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
}

TEST_F(WindowsFile, EachDamagedCopyIsRefusedInOneLine) {
  const Bytes& whole = whole_;
  const std::size_t pe = U32(whole, 0x3C);
  const std::size_t optional = pe + 24;
  const auto cut = [&](std::size_t size) {
    return Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
  };
  const auto edited = [&](std::size_t at, std::uint16_t value) {
    Bytes copy = whole;
    Put16(copy, at, value);
    return copy;
  };
  const std::uint16_t otherMachine = architecture_ == "arm64" ? 0x8664 : 0xAA64;
  const struct {
    std::string what;
    Bytes file;
    const char* message;
  } cases[] = {
      {"cut inside the DOS header", cut(0x30), "cut short"},
      {"cut inside the optional header", cut(optional + 40), "runs past the end of the file"},
      {"cut to half", cut(whole.size() / 2), "cut short"},
      {"cut by its last byte", cut(whole.size() - 1), "cut short"},
      {"no MZ", edited(0, 0x5A4E), "is not a plug-in"},
      {"the PE header pointer flipped", edited(0x3C, static_cast<std::uint16_t>(pe ^ 0xFFFF)), "is not a readable Windows plug-in"},
      {"the PE signature flipped", edited(pe, 0x4551), "is not a readable Windows plug-in"},
      {"a 32-bit optional header", edited(optional, 0x10B), "is not a readable Windows plug-in"},
      {"65535 sections", edited(pe + 6, 0xFFFF), "is not a readable Windows plug-in"},
      {"the resources' address flipped", edited(optional + 112 + 16 + 2, 0xFFFF), "is not a readable Windows plug-in"},
      {"code for x86", edited(pe + 4, 0x14C), "holds x86 code, but its registration resource 16000 names"},
      {"code for the other machine", edited(pe + 4, otherMachine), "no host would find that effect"},
  };
  for (const auto& c : cases) {
    const fs::path copy = dir_ / "Damaged.aex";
    zelfin_host_test::WriteAll(copy, c.file);
    const zelfin_host_test::Outcome o = run({"list", copy.string()});
    EXPECT_EQ(o.status, 1) << c.what << ": " << o.err;
    EXPECT_EQ(o.signal, 0) << c.what;
    EXPECT_FALSE(o.timedOut) << c.what;
    EXPECT_NE(o.err.find(c.message), std::string::npos) << c.what << ": " << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << c.what << ": " << o.err;
    EXPECT_TRUE(zelfin_host_test::OnePrintableLine(o.err.substr(0, o.err.size() - 1)))
        << c.what << ": " << o.err;
  }
}

}  // namespace
