#include "testhost/formats/File.h"

#include <algorithm>
#include <filesystem>

namespace testhost {

namespace {

namespace fs = std::filesystem;

// "64 MiB" for a whole number of mebibytes, else the bytes.
std::string SizeText(std::uint64_t count) {
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  if (count >= kMiB && count % kMiB == 0) return std::to_string(count / kMiB) + " MiB";
  return std::to_string(count) + " bytes";
}

const char* KindOf(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory:
      return "a folder";
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::fifo:
      return "a pipe";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "something other than a file";
  }
}

}  // namespace

CheckedFile::CheckedFile(const std::string& path, std::uint64_t maxSize, const std::string& what)
    : path_(path) {
  const fs::path p = fs::u8path(path);
  std::error_code ec;
  const fs::file_status status = fs::status(p, ec);
  if (status.type() == fs::file_type::not_found) throw LoadError("no such file");
  if (ec) throw LoadError("cannot look at it: " + ec.message());
  if (!fs::is_regular_file(status)) {
    throw LoadError(std::string(KindOf(status.type())) + ", not a regular file");
  }
  size_ = fs::file_size(p, ec);
  if (ec) throw LoadError("cannot tell its size: " + ec.message());
  if (size_ > maxSize) {
    throw LoadError(std::to_string(size_) + " bytes, too large for " + what + " (at most " +
                    SizeText(maxSize) + ")");
  }
  in_.open(p, std::ios::binary);
  if (!in_) throw LoadError("cannot open it");
}

std::vector<std::uint8_t> CheckedFile::read(std::uint64_t offset, std::size_t count) {
  if (offset >= size_) return {};
  count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
  std::vector<std::uint8_t> bytes(count);
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  in_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  if (in_.bad()) throw LoadError("cannot read it");
  bytes.resize(static_cast<std::size_t>(in_.gcount()));
  return bytes;
}

std::vector<std::uint8_t> CheckedFile::readAll() {
  std::vector<std::uint8_t> bytes = read(0, static_cast<std::size_t>(size_));
  if (bytes.size() != size_) throw LoadError("cannot read it: the file changed");
  return bytes;
}

std::vector<std::uint8_t> ReadCheckedFile(const std::string& path, std::uint64_t maxSize,
                                          const std::string& what) {
  return CheckedFile(path, maxSize, what).readAll();
}

}  // namespace testhost
