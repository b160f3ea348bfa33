#include "PropertyList.h"

#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace zelfin {
namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendInteger(Bytes& out, std::uint32_t value, int size, bool bigEndian) {
  for (int i = 0; i < size; ++i) {
    const int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

Bytes Integers(bool bigEndian, int size, std::initializer_list<std::uint32_t> values) {
  Bytes out;
  for (const std::uint32_t value : values) AppendInteger(out, value, size, bigEndian);
  return out;
}

// One length byte, then the characters, no terminator.
Bytes PascalString(const char* text) {
  const std::size_t length = std::strlen(text);
  if (length > 255) throw std::length_error(std::string("longer than one length byte: ") + text);
  Bytes out(length + 1);
  out[0] = static_cast<std::uint8_t>(length);
  std::memcpy(out.data() + 1, text, length);
  return out;
}

Bytes CString(const char* text) { return Bytes(text, text + std::strlen(text) + 1); }

struct Property {
  std::uint32_t key;
  Bytes value;
  // Strings and words store their padded length; the 2-byte info flags store 2 and are padded
  // after it all the same.
  bool lengthIncludesPadding = true;
};

}  // namespace

std::uint32_t WindowsEntryPointKey(ResourcePlatform platform) {
  switch (platform) {
    case ResourcePlatform::kWindows:
      return PF_FourCharCode("8664");
    case ResourcePlatform::kWindowsArm64:
      return PF_FourCharCode("wa64");
    case ResourcePlatform::kMac:
      break;
  }
  throw std::invalid_argument("macOS lists name their entry point under mi64 and ma64");
}

std::vector<std::uint8_t> BuildPropertyList(const EffectDescription& effect,
                                            ResourcePlatform platform) {
  const bool big = platform == ResourcePlatform::kMac;
  const bool windows = !big;
  std::vector<Property> properties = {
      {PF_FourCharCode("kind"), Integers(big, 4, {PF_FourCharCode(kEffectKind)})},
      {PF_FourCharCode("name"), PascalString(effect.name)},
      {PF_FourCharCode("catg"), PascalString(kCategory)},
  };
  if (windows) {
    properties.push_back({WindowsEntryPointKey(platform), CString(effect.entryPoint)});
  } else {
    properties.push_back({PF_FourCharCode("mi64"), PascalString(effect.entryPoint)});
    properties.push_back({PF_FourCharCode("ma64"), PascalString(effect.entryPoint)});
  }
  properties.insert(properties.end(), {
      {PF_FourCharCode("ePVR"),
       Integers(big, 2, {kPropertyListVersionMajor, kPropertyListVersionMinor})},
      {PF_FourCharCode("eSVR"), Integers(big, 2, {kEffectApiVersionMajor, kEffectApiVersionMinor})},
      {PF_FourCharCode("eVER"), Integers(big, 4, {kPluginVersion})},
      {PF_FourCharCode("eINF"), Integers(big, 2, {kInfoFlags}), false},
      {PF_FourCharCode("eGLO"), Integers(big, 4, {effect.outFlags})},
      {PF_FourCharCode("eGL2"), Integers(big, 4, {effect.outFlags2})},
      {PF_FourCharCode("eMNA"), PascalString(effect.matchName)},
      {PF_FourCharCode("aeFL"), Integers(big, 4, {kReservedInfo})},
  });

  Bytes list;
  if (windows) AppendInteger(list, 1, 2, big);
  AppendInteger(list, 0, 4, big);  // list version
  AppendInteger(list, static_cast<std::uint32_t>(properties.size()), 4, big);
  for (const Property& property : properties) {
    // Padding is counted from the start of each value, not from the start of the list.
    const std::size_t padded = (property.value.size() + 3) & ~std::size_t{3};
    AppendInteger(list, PF_FourCharCode("8BIM"), 4, big);
    AppendInteger(list, property.key, 4, big);
    AppendInteger(list, 0, 4, big);  // property id
    AppendInteger(list,
                  static_cast<std::uint32_t>(property.lengthIncludesPadding ? padded
                                                                            : property.value.size()),
                  4, big);
    list.insert(list.end(), property.value.begin(), property.value.end());
    list.insert(list.end(), padded - property.value.size(), 0);
  }
  return list;
}

}  // namespace zelfin
