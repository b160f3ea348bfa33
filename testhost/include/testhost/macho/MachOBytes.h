// Bounds-checked reading of untrusted bytes for the macOS code-file reader: every record and
// number is read through these, and anything that would read past the end is a MachOError naming
// what was being read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "testhost/macho/MachO.h"

namespace testhost::macho {

// A window onto bytes that outlive it.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t size() const { return size_; }
  const std::uint8_t* data() const { return data_; }

  bool holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  // Throws MachOError "the file ends before the end of <what>" unless the range lies inside.
  void require(std::uint64_t offset, std::uint64_t length, const std::string& what) const {
    if (!holds(offset, length)) throw MachOError("the file ends before the end of " + what);
  }
  Bytes window(std::uint64_t offset, std::uint64_t length, const std::string& what) const {
    require(offset, length, what);
    return Bytes(data_ + offset, static_cast<std::size_t>(length));
  }
  // A record of the host's byte order (little-endian, like both architectures' code files).
  template <class T>
  T record(std::uint64_t offset, const std::string& what) const {
    static_assert(std::is_trivially_copyable_v<T>);
    require(offset, sizeof(T), what);
    T value;
    std::memcpy(&value, data_ + offset, sizeof(T));
    return value;
  }
  std::uint32_t bigEndian32(std::uint64_t offset, const std::string& what) const {
    require(offset, 4, what);
    const std::uint8_t* p = data_ + offset;
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
  }
  std::uint64_t bigEndian64(std::uint64_t offset, const std::string& what) const {
    return std::uint64_t{bigEndian32(offset, what)} << 32 | bigEndian32(offset + 4, what);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// Reads an opcode stream or trie byte by byte; `stream` names it in errors.
class Cursor {
 public:
  Cursor(Bytes bytes, std::string stream, std::size_t position = 0)
      : bytes_(bytes), stream_(std::move(stream)), position_(position) {}

  bool atEnd() const { return position_ >= bytes_.size(); }
  std::size_t position() const { return position_; }
  const std::string& stream() const { return stream_; }

  std::uint8_t byte() {
    if (atEnd()) throw MachOError(stream_ + " ends in the middle of an entry");
    return bytes_.data()[position_++];
  }
  std::uint64_t uleb() {
    std::uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
      const std::uint8_t b = byte();
      const std::uint64_t bits = b & 0x7F;
      if (shift >= 64 || (shift > 57 && (bits >> (64 - shift)) != 0)) {
        throw MachOError(stream_ + " holds a number too large for 64 bits");
      }
      value |= bits << shift;
      if (!(b & 0x80)) return value;
    }
  }
  std::int64_t sleb() {
    std::uint64_t value = 0;
    unsigned shift = 0;
    std::uint8_t b = 0;
    do {
      b = byte();
      if (shift >= 64) throw MachOError(stream_ + " holds a number too large for 64 bits");
      value |= std::uint64_t{b & 0x7Fu} << shift;
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) value |= ~std::uint64_t{0} << shift;
    return static_cast<std::int64_t>(value);
  }
  // A zero-terminated string; throws when the stream ends before the zero.
  std::string cstring() {
    const std::uint8_t* begin = bytes_.data() + position_;
    const void* zero = std::memchr(begin, 0, bytes_.size() - position_);
    if (!zero) throw MachOError(stream_ + " holds a name without its terminating zero");
    std::string text(reinterpret_cast<const char*>(begin),
                     static_cast<const std::uint8_t*>(zero) - begin);
    position_ += text.size() + 1;
    return text;
  }

 private:
  Bytes bytes_;
  std::string stream_;
  std::size_t position_;
};

}  // namespace testhost::macho
