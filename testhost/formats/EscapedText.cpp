#include "testhost/formats/EscapedText.h"

namespace testhost {

std::string EscapedText(std::string_view text) {
  std::string out;
  const auto escape = [&out](unsigned char byte) {
    static const char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    // A well-formed UTF-8 sequence of two to four bytes, neither overlong nor a surrogate nor a
    // C1 control, stays whole.
    std::size_t length = byte >= 0xC2 && byte <= 0xDF   ? 2
                         : byte >= 0xE0 && byte <= 0xEF ? 3
                         : byte >= 0xF0 && byte <= 0xF4 ? 4
                                                        : 0;
    std::uint32_t point = length == 2 ? byte & 0x1Fu : length == 3 ? byte & 0x0Fu : byte & 0x07u;
    for (std::size_t k = 1; length != 0 && k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      if ((next & 0xC0) != 0x80) {
        length = 0;
      } else {
        point = point << 6 | (next & 0x3Fu);
      }
    }
    const bool wellFormed = (length == 2 && point >= 0xA0) ||
                            (length == 3 && point >= 0x800 && (point < 0xD800 || point > 0xDFFF)) ||
                            (length == 4 && point >= 0x10000 && point <= 0x10FFFF);
    if (wellFormed) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      escape(byte);
      ++i;
    }
  }
  return out;
}

}  // namespace testhost
