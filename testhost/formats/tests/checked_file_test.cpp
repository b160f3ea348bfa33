// The one bounded file read: what it refuses before reading, in the words the tools print.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testhost/formats/File.h"

namespace {

namespace fs = std::filesystem;

class CheckedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("checked-file-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, std::size_t size) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << std::string(size, 'z');
    return path.string();
  }
  // The LoadError message of reading `path`, or "" when it is read.
  static std::string Refusal(const std::string& path, std::uint64_t maxSize) {
    try {
      testhost::ReadCheckedFile(path, maxSize, "a plug-in");
    } catch (const testhost::LoadError& e) {
      return e.what();
    }
    return "";
  }

  fs::path dir_;
};

TEST_F(CheckedFileTest, ReadsAFileOfAtMostItsLimitWhole) {
  EXPECT_EQ(testhost::ReadCheckedFile(write("ten", 10), 10, "a plug-in"),
            std::vector<std::uint8_t>(10, 'z'));
  EXPECT_TRUE(testhost::ReadCheckedFile(write("empty", 0), 10, "a plug-in").empty());
  testhost::CheckedFile file(write("five", 5), 10, "a plug-in");
  EXPECT_EQ(file.read(3, 10).size(), 2u);  // fewer where the file ends
  EXPECT_TRUE(file.read(5, 1).empty());
  EXPECT_TRUE(file.read(~std::uint64_t{0}, 1).empty());
}

TEST_F(CheckedFileTest, RefusesWhatIsNotABoundedRegularFile) {
  EXPECT_EQ(Refusal(write("eleven", 11), 10), "11 bytes, too large for a plug-in (at most 10 bytes)");
  EXPECT_EQ(Refusal(write("big", (1 << 20) + 1), 1 << 20),
            "1048577 bytes, too large for a plug-in (at most 1 MiB)");
  EXPECT_EQ(Refusal((dir_ / "missing").string(), 10), "no such file");
  EXPECT_EQ(Refusal(dir_.string(), 10), "a folder, not a regular file");
#if defined(__linux__)
  EXPECT_EQ(Refusal("/dev/zero", 10), "a character device, not a regular file");
#endif
}

}  // namespace
