// Bounds-checked little-endian reads of a Windows image's bytes, for the readers of its headers
// and tables. Private to the registration library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testhost/registration/PeImage.h"

namespace testhost {

class PeBytes {
 public:
  explicit PeBytes(const std::vector<std::uint8_t>& file) : file_(file) {}

  std::uint32_t u16(std::size_t at) const { return read(at, 2); }
  std::uint32_t u32(std::size_t at) const { return read(at, 4); }
  // Throws PeError naming `what` unless `count` bytes at `at` lie inside the file.
  void require(std::size_t at, std::size_t count, const char* what) const {
    if (at > file_.size() || count > file_.size() - at) {
      throw PeError(std::string(what) + " lies outside the file");
    }
  }
  // The zero-terminated text at `at`, at most `limit` characters.
  std::string text(std::size_t at, std::size_t limit, const char* what) const {
    require(at, 1, what);
    std::string out;
    for (std::size_t i = at; i < file_.size() && out.size() <= limit; ++i) {
      if (file_[i] == 0) return out;
      out.push_back(static_cast<char>(file_[i]));
    }
    throw PeError(std::string(what) + " is not terminated");
  }
  const std::vector<std::uint8_t>& file() const { return file_; }

 private:
  std::uint32_t read(std::size_t at, int width) const {
    require(at, static_cast<std::size_t>(width), "a header field");
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
      value = value << 8 | file_[at + static_cast<std::size_t>(i)];
    }
    return value;
  }

  const std::vector<std::uint8_t>& file_;
};

}  // namespace testhost
