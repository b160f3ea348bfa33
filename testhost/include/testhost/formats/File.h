// The one bounded read of a file the stand-in host is given: a regular file of bounded size,
// checked before a byte is read, so that a device, a pipe or a sparse giant is refused in one line.
#pragma once

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace testhost {

// A file that cannot be read or loaded; the message names the problem on one line.
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Larger files are refused unread. The plug-in is tens of kilobytes (half a megabyte with debug
// information); its resource file a few kilobytes, and the resource map's offsets reach 16 MiB.
constexpr std::uint64_t kMaxPluginFileSize = std::uint64_t{64} << 20;
constexpr std::uint64_t kMaxResourceFileSize = std::uint64_t{16} << 20;

// A regular file of bounded size, open for reads at given offsets. Every error is a LoadError
// naming the problem (without the path).
class CheckedFile {
 public:
  // `what` names the file's role in messages ("a plug-in", "a picture"). Refuses a missing
  // path, anything but a regular file (a folder, a device, a pipe), a file larger than
  // `maxSize`, and a file that cannot be opened.
  CheckedFile(const std::string& path, std::uint64_t maxSize, const std::string& what);

  const std::string& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  // `count` bytes at `offset`, fewer where the file ends first.
  std::vector<std::uint8_t> read(std::uint64_t offset, std::size_t count);
  // Every byte (the size was bounded when the file was opened); throws LoadError when fewer are
  // there than its size said.
  std::vector<std::uint8_t> readAll();

 private:
  std::string path_;
  std::uint64_t size_ = 0;
  std::ifstream in_;
};

// Every byte of the file at `path`, as CheckedFile(path, maxSize, what).readAll().
std::vector<std::uint8_t> ReadCheckedFile(const std::string& path, std::uint64_t maxSize,
                                          const std::string& what);

}  // namespace testhost
