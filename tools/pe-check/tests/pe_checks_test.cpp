// The release checks on a built Windows file (ZELFIN_WINDOWS_AEX) and on copies of it damaged in
// each way a check is there to catch: each copy fails the one check, naming what is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "PeChecks.h"
#include "testhost/formats/File.h"
#include "testhost/formats/PeImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using zelfin_check::PeCheckError;

std::uint32_t U32(const Bytes& file, std::size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
         static_cast<std::uint32_t>(file[at + 3]) << 24;
}

// The first occurrence of `text` in the file, which must hold it.
std::size_t Find(const Bytes& file, const std::string& text) {
  const auto found = std::search(file.begin(), file.end(), text.begin(), text.end());
  EXPECT_NE(found, file.end()) << text;
  return static_cast<std::size_t>(found - file.begin());
}

class PeChecks : public testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("ZELFIN_WINDOWS_AEX");
    ASSERT_NE(path, nullptr) << "set ZELFIN_WINDOWS_AEX";
    file_ = testhost::ReadCheckedFile(path, testhost::kMaxPluginFileSize, "a plug-in");
    ASSERT_GT(file_.size(), 4096u);
    pe_ = U32(file_, 0x3C);
    const testhost::PeImage image = testhost::ReadPeImage(file_);
    arch_ = &zelfin_check::FindWindowsArchitecture(
        image.machine == testhost::kPeMachineArm64 ? "arm64" : "x64");
    lists_ = std::string(ZELFIN_GENERATED_RESOURCES_DIR) +
             (image.machine == testhost::kPeMachineArm64 ? "/windows-arm64" : "");
  }

  // The message of the failure `check` reports on `copy`, or "" when it passes.
  template <class Check>
  static std::string Failure(Check check) {
    try {
      check();
    } catch (const PeCheckError& e) {
      return e.what();
    }
    return "";
  }

  std::string listsFailure(const Bytes& copy) {
    return Failure([&] { zelfin_check::CheckPropertyLists(copy, *arch_, lists_, ""); });
  }

  Bytes file_;
  std::size_t pe_ = 0;
  const zelfin_check::WindowsArchitecture* arch_ = nullptr;
  std::string lists_;
};

TEST_F(PeChecks, TheBuiltFilePassesEveryCheck) {
  EXPECT_NO_THROW(zelfin_check::CheckHeaders(file_, *arch_));
  EXPECT_NO_THROW(zelfin_check::CheckExports(file_));
  EXPECT_NO_THROW(zelfin_check::CheckImports(file_));
  EXPECT_NO_THROW(zelfin_check::CheckPropertyLists(file_, *arch_, lists_, ""));
}

TEST_F(PeChecks, EachDamagedHeaderFailsTheHeaderCheck) {
  const struct {
    const char* what;
    std::size_t at;
    std::uint8_t value;
    const char* message;
  } cases[] = {
      {"another machine", pe_ + 4, 0x4C, "machine 0x"},
      {"a link time", pe_ + 8, 0x01, "holds a link time"},
      {"not a DLL", pe_ + 23, 0x00, "not a DLL"},
      {"no DEP", pe_ + 24 + 71, 0x00, "lack ASLR, high-entropy ASLR or DEP"},
      {"no high-entropy ASLR", pe_ + 24 + 70, 0x40, "lack ASLR, high-entropy ASLR or DEP"},
  };
  for (const auto& c : cases) {
    Bytes copy = file_;
    copy[c.at] = c.value;
    const std::string failure = Failure([&] { zelfin_check::CheckHeaders(copy, *arch_); });
    EXPECT_NE(failure.find(c.message), std::string::npos) << c.what << ": " << failure;
  }
}

TEST_F(PeChecks, ARenamedExportOrAnotherLibraryFailsItsCheck) {
  // The first name of the export table, found through it: the same text stands in the code too.
  Bytes renamed = file_;
  const testhost::PeImage image = testhost::ReadPeImage(file_);
  const std::size_t exports = image.offsetOf(image.directory(testhost::kPeExportDirectory).rva);
  const std::size_t names = image.offsetOf(U32(file_, exports + 32));
  renamed[image.offsetOf(U32(file_, names)) + 15] = 'n';
  EXPECT_NE(Failure([&] { zelfin_check::CheckExports(renamed); }).find("expected exactly"),
            std::string::npos);
  Bytes otherLibrary = file_;
  otherLibrary[Find(otherLibrary, "msvcrt.dll") + 5] = 'X';
  EXPECT_NE(Failure([&] { zelfin_check::CheckImports(otherLibrary); })
                .find("imports msvcrX.dll, which is not one of KERNEL32.dll, msvcrt.dll"),
            std::string::npos);
}

TEST_F(PeChecks, AListThatDiffersOrNamesAnotherArchitectureFailsTheListCheck) {
  Bytes changed = file_;
  // The match name as the list stores it, with its length byte; the code holds it without.
  changed[Find(changed, "\x14Zelfin Light Control") + 1] = 'z';
  EXPECT_NE(listsFailure(changed).find("differs from the generated ZelfinControls-16003.pipl"),
            std::string::npos);
  // The other architecture's key in place of this one's: '8BIM' '8664' and 'wa64', little-endian.
  const bool arm64 = arch_->machine == testhost::kPeMachineArm64;
  Bytes otherKey = file_;
  const std::size_t key = Find(otherKey, arm64 ? "MIB846aw" : "MIB84668");
  const std::string other = arm64 ? "4668" : "46aw";
  std::copy(other.begin(), other.end(), otherKey.begin() + static_cast<std::ptrdiff_t>(key + 4));
  EXPECT_NE(listsFailure(otherKey).find("differs from the generated ZelfinControls-16000.pipl"),
            std::string::npos);
}

}  // namespace
