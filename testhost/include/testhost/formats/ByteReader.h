// The one bounds-checked reader of untrusted bytes for every file format the stand-in host reads:
// each field, record, range and text is read through it, and a read outside the bytes throws
// OutOfBounds naming what was being read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace testhost {

// Bytes that are not a well-formed file of their format (a macOS code file, signature or bundle,
// a Windows image or its resources); the message is one line naming the problem.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A read of `count` bytes at `offset` from a reader of `size` bytes; `part` names what was read.
class OutOfBounds : public FormatError {
 public:
  OutOfBounds(const std::string& extent, std::string part, std::uint64_t offset,
              std::uint64_t count, std::uint64_t size)
      : FormatError(extent + " ends before the end of " + part),
        part_(std::move(part)), offset_(offset), count_(count), size_(size) {}

  const std::string& part() const { return part_; }
  std::uint64_t offset() const { return offset_; }
  std::uint64_t count() const { return count_; }
  std::uint64_t size() const { return size_; }

 private:
  std::string part_;
  std::uint64_t offset_, count_, size_;
};

enum class ByteOrder { kLittle, kBig };

// A window onto bytes that outlive it. `extent` names the whole in messages ("the file",
// "the list"); windows keep their parent's, and their offsets are their own.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size, std::string extent = "the file")
      : data_(data), size_(size), extent_(std::move(extent)) {}
  explicit ByteReader(const std::vector<std::uint8_t>& bytes, std::string extent = "the file")
      : ByteReader(bytes.data(), bytes.size(), std::move(extent)) {}

  std::size_t size() const { return size_; }
  const std::uint8_t* data() const { return data_; }

  // Whether `length` bytes at `offset` lie inside, for any offset and length (no overflow).
  bool holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  // Throws OutOfBounds "<extent> ends before the end of <what>" unless the range lies inside.
  void require(std::uint64_t offset, std::uint64_t length, const std::string& what) const {
    if (!holds(offset, length)) throw OutOfBounds(extent_, what, offset, length, size_);
  }
  ByteReader window(std::uint64_t offset, std::uint64_t length, const std::string& what) const {
    require(offset, length, what);
    return ByteReader(data_ + offset, static_cast<std::size_t>(length), extent_);
  }
  // The `length` bytes at `offset`, copied.
  std::vector<std::uint8_t> copy(std::uint64_t offset, std::uint64_t length,
                                 const std::string& what) const {
    require(offset, length, what);
    return std::vector<std::uint8_t>(data_ + offset, data_ + offset + length);
  }

  // An unsigned field of `width` bytes (1 to 8) in the given order.
  std::uint64_t number(std::uint64_t offset, unsigned width, ByteOrder order,
                       const std::string& what) const {
    require(offset, width, what);
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) {
      const unsigned index = order == ByteOrder::kBig ? i : width - 1 - i;
      value = value << 8 | data_[offset + index];
    }
    return value;
  }
  std::uint8_t u8(std::uint64_t offset, const std::string& what) const {
    return static_cast<std::uint8_t>(number(offset, 1, ByteOrder::kLittle, what));
  }
  std::uint16_t le16(std::uint64_t offset, const std::string& what) const {
    return static_cast<std::uint16_t>(number(offset, 2, ByteOrder::kLittle, what));
  }
  std::uint32_t le32(std::uint64_t offset, const std::string& what) const {
    return static_cast<std::uint32_t>(number(offset, 4, ByteOrder::kLittle, what));
  }
  std::uint32_t be32(std::uint64_t offset, const std::string& what) const {
    return static_cast<std::uint32_t>(number(offset, 4, ByteOrder::kBig, what));
  }
  std::uint64_t be64(std::uint64_t offset, const std::string& what) const {
    return number(offset, 8, ByteOrder::kBig, what);
  }
  // A record laid out as this machine lays it out (both code-file architectures are
  // little-endian, like every machine the stand-in host runs on).
  template <class T>
  T record(std::uint64_t offset, const std::string& what) const {
    static_assert(std::is_trivially_copyable_v<T>);
    require(offset, sizeof(T), what);
    T value;
    std::memcpy(&value, data_ + offset, sizeof(T));
    return value;
  }

  // The zero-terminated text at `offset`, of at most `limit` characters; throws FormatError
  // "<what> is not terminated" when no zero follows within the limit or the bytes.
  std::string text(std::uint64_t offset, std::size_t limit, const std::string& what) const {
    require(offset, 1, what);
    const std::size_t room = static_cast<std::size_t>(size_ - offset);
    const std::size_t searched = limit < room ? limit + 1 : room;
    const void* zero = std::memchr(data_ + offset, 0, searched);
    if (!zero) throw FormatError(what + " is not terminated");
    return std::string(reinterpret_cast<const char*>(data_ + offset),
                       static_cast<const std::uint8_t*>(zero) - (data_ + offset));
  }
  // The text after a length byte at `offset`.
  std::string lengthPrefixedText(std::uint64_t offset, const std::string& what) const {
    const std::uint8_t length = u8(offset, what);
    require(offset + 1, length, what);
    return std::string(reinterpret_cast<const char*>(data_ + offset + 1), length);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::string extent_;
};

// Reads a stream of variable-length entries (opcodes, a trie) byte by byte; `stream` names it in
// errors, each a FormatError.
class ByteCursor {
 public:
  ByteCursor(ByteReader bytes, std::string stream, std::size_t position = 0)
      : bytes_(std::move(bytes)), stream_(std::move(stream)), position_(position) {}

  bool atEnd() const { return position_ >= bytes_.size(); }
  std::size_t position() const { return position_; }
  const std::string& stream() const { return stream_; }

  std::uint8_t byte() {
    if (atEnd()) throw FormatError(stream_ + " ends in the middle of an entry");
    return bytes_.data()[position_++];
  }
  std::uint64_t uleb() {
    std::uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
      const std::uint8_t b = byte();
      const std::uint64_t bits = b & 0x7F;
      if (shift >= 64 || (shift > 57 && (bits >> (64 - shift)) != 0)) {
        throw FormatError(stream_ + " holds a number too large for 64 bits");
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
      if (shift >= 64) throw FormatError(stream_ + " holds a number too large for 64 bits");
      value |= std::uint64_t{b & 0x7Fu} << shift;
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) value |= ~std::uint64_t{0} << shift;
    return static_cast<std::int64_t>(value);
  }
  // A zero-terminated string; throws when the stream ends before the zero.
  std::string cstring() {
    const std::uint8_t* begin = bytes_.data() + position_;
    const std::size_t room = atEnd() ? 0 : bytes_.size() - position_;
    const void* zero = room ? std::memchr(begin, 0, room) : nullptr;
    if (!zero) throw FormatError(stream_ + " holds a name without its terminating zero");
    std::string text(reinterpret_cast<const char*>(begin),
                     static_cast<const std::uint8_t*>(zero) - begin);
    position_ += text.size() + 1;
    return text;
  }

 private:
  ByteReader bytes_;
  std::string stream_;
  std::size_t position_;
};

}  // namespace testhost
