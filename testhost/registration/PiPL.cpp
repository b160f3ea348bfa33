#include "testhost/registration/PiPL.h"

#include "host/host.h"
#include "testhost/registration/EscapedText.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testhost {
namespace {

constexpr std::uint32_t Code(const char (&code)[5]) { return PF_FourCharCode(code); }

// Escaped: a damaged list's codes may hold any bytes.
std::string CodeText(std::uint32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>(code >> shift);
  return EscapedText(text);
}

// Bounds-checked reads of integers in one byte order from a block of bytes.
class ByteReader {
 public:
  ByteReader(const void* data, std::size_t size, bool bigEndian)
      : data_(static_cast<const std::uint8_t*>(data)), size_(size), bigEndian_(bigEndian) {}

  std::uint32_t U16(std::size_t at) const { return Integer(at, 2); }
  std::uint32_t U32(std::size_t at) const { return Integer(at, 4); }
  std::uint32_t Integer(std::size_t at, int width) const {
    Require(at, static_cast<std::size_t>(width));
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
      const std::uint32_t byte = data_[at + static_cast<std::size_t>(i)];
      value |= byte << (bigEndian_ ? 8 * (width - 1 - i) : 8 * i);
    }
    return value;
  }
  const std::uint8_t* Bytes(std::size_t at, std::size_t count) const {
    Require(at, count);
    return data_ + at;
  }

 private:
  void Require(std::size_t at, std::size_t count) const {
    if (at > size_ || count > size_ - at) {
      throw PiplError("read of " + std::to_string(count) + " bytes at offset " +
                      std::to_string(at) + " runs past the end (" + std::to_string(size_) +
                      " bytes)");
    }
  }

  const std::uint8_t* data_;
  std::size_t size_;
  bool bigEndian_;
};

constexpr std::size_t Padded(std::size_t length) { return (length + 3) & ~std::size_t{3}; }

// The value must hold one length byte, that many characters, then only zeros.
std::string PascalString(const PiplProperty& property) {
  const std::vector<std::uint8_t>& value = property.value;
  if (value.empty() || value[0] + std::size_t{1} > value.size()) {
    throw PiplError("string in '" + CodeText(property.key) + "' does not fit its length");
  }
  const std::size_t end = value[0] + std::size_t{1};
  if (std::any_of(value.begin() + static_cast<std::ptrdiff_t>(end), value.end(),
                  [](std::uint8_t byte) { return byte != 0; })) {
    throw PiplError("string in '" + CodeText(property.key) + "' is followed by non-zero bytes");
  }
  return std::string(value.begin() + 1, value.begin() + static_cast<std::ptrdiff_t>(end));
}

// The value must hold the characters, a terminating zero, then only zeros.
std::string CString(const PiplProperty& property) {
  const std::vector<std::uint8_t>& value = property.value;
  const auto terminator = std::find(value.begin(), value.end(), std::uint8_t{0});
  if (terminator == value.end()) {
    throw PiplError("string in '" + CodeText(property.key) + "' has no terminating zero");
  }
  if (std::any_of(terminator, value.end(), [](std::uint8_t byte) { return byte != 0; })) {
    throw PiplError("string in '" + CodeText(property.key) + "' is followed by non-zero bytes");
  }
  return std::string(value.begin(), terminator);
}

void RequireLength(const PiplProperty& property, std::size_t length) {
  if (property.length != length) {
    throw PiplError("'" + CodeText(property.key) + "' holds " + std::to_string(property.length) +
                    " bytes instead of " + std::to_string(length));
  }
}

std::uint32_t Number(const PiplProperty& property, int width, bool bigEndian) {
  RequireLength(property, static_cast<std::size_t>(width));
  return ByteReader(property.value.data(), property.value.size(), bigEndian).Integer(0, width);
}

// Two 16-bit integers, major first, each in the list's byte order.
VersionPair Versions(const PiplProperty& property, bool bigEndian) {
  RequireLength(property, 4);
  const ByteReader reader(property.value.data(), property.value.size(), bigEndian);
  return {static_cast<std::uint16_t>(reader.U16(0)), static_cast<std::uint16_t>(reader.U16(2))};
}

// A Windows list names its entry point under `8664` for x64 code and `wa64` for ARM64 code; one
// file carries one of them, and a list with both must name one function.
void DecodeWindowsEntryPoint(const std::map<std::uint32_t, const PiplProperty*>& byKey,
                             EffectRegistration& registration) {
  static constexpr struct {
    std::uint32_t key;
    const char* architecture;
  } kWindowsEntryPoints[] = {{Code("8664"), "x86_64"}, {Code("wa64"), "arm64"}};
  for (const auto& candidate : kWindowsEntryPoints) {
    const auto found = byKey.find(candidate.key);
    if (found == byKey.end()) continue;
    const std::string entryPoint = CString(*found->second);
    if (!registration.architectures.empty() && entryPoint != registration.entryPoint) {
      throw PiplError("'" + CodeText(candidate.key) + "' names " + EscapedText(entryPoint) +
                      " but '8664' names " + EscapedText(registration.entryPoint));
    }
    registration.entryPoint = entryPoint;
    registration.architectures.push_back(candidate.architecture);
  }
  if (registration.architectures.empty()) throw PiplError("no '8664' or 'wa64' property");
}

}  // namespace

PropertyList ParsePropertyList(const void* data, std::size_t size, PiplFormat format) {
  const bool windows = format == PiplFormat::kWindows;
  const ByteReader reader(data, size, !windows);
  std::size_t at = 0;
  if (windows) {
    if (reader.U16(0) != 1) throw PiplError("a Windows list must start with the word 1");
    at = 2;
  }
  PropertyList list{reader.U32(at), {}};
  const std::uint32_t count = reader.U32(at + 4);
  at += 8;
  for (std::uint32_t i = 0; i < count; ++i) {
    PiplProperty property{at, reader.U32(at), reader.U32(at + 4), reader.U32(at + 8),
                          reader.U32(at + 12), {}};
    const std::uint8_t* value = reader.Bytes(at + 16, property.length);
    property.value.assign(value, value + property.length);
    const std::size_t padding = Padded(property.length) - property.length;
    const std::uint8_t* pad = reader.Bytes(at + 16 + property.length, padding);
    if (std::any_of(pad, pad + padding, [](std::uint8_t byte) { return byte != 0; })) {
      throw PiplError("non-zero padding after '" + CodeText(property.key) + "'");
    }
    at += 16 + Padded(property.length);
    list.properties.push_back(std::move(property));
  }
  if (at != size) {
    throw PiplError(std::to_string(size - at) + " bytes after the last of " +
                    std::to_string(count) + " properties");
  }
  return list;
}

EffectRegistration DecodeRegistration(const PropertyList& list, PiplFormat format) {
  const bool big = format == PiplFormat::kMac;
  std::map<std::uint32_t, const PiplProperty*> byKey;
  for (const PiplProperty& property : list.properties) {
    if (property.vendor != Code("8BIM")) {
      throw PiplError("'" + CodeText(property.key) + "' has vendor '" + CodeText(property.vendor) +
                      "'");
    }
    if (!byKey.emplace(property.key, &property).second) {
      throw PiplError("'" + CodeText(property.key) + "' appears twice");
    }
  }
  const auto get = [&](std::uint32_t key) -> const PiplProperty& {
    const auto found = byKey.find(key);
    if (found == byKey.end()) throw PiplError("no '" + CodeText(key) + "' property");
    return *found->second;
  };
  EffectRegistration registration{};
  registration.kind = Number(get(Code("kind")), 4, big);
  registration.name = PascalString(get(Code("name")));
  registration.category = PascalString(get(Code("catg")));
  if (format == PiplFormat::kWindows) {
    DecodeWindowsEntryPoint(byKey, registration);
  } else {
    registration.architectures = {"x86_64"};
    registration.entryPoint = PascalString(get(Code("mi64")));
    if (const auto arm64 = byKey.find(Code("ma64")); arm64 != byKey.end()) {
      const std::string arm64EntryPoint = PascalString(*arm64->second);
      if (arm64EntryPoint != registration.entryPoint) {
        throw PiplError("'ma64' names " + EscapedText(arm64EntryPoint) + " but 'mi64' names " +
                        EscapedText(registration.entryPoint));
      }
      registration.architectures.push_back("arm64");
    }
  }
  registration.propertyListVersion = Versions(get(Code("ePVR")), big);
  registration.apiVersion = Versions(get(Code("eSVR")), big);
  registration.version = Number(get(Code("eVER")), 4, big);
  registration.infoFlags = static_cast<std::uint16_t>(Number(get(Code("eINF")), 2, big));
  registration.outFlags = Number(get(Code("eGLO")), 4, big);
  registration.outFlags2 = Number(get(Code("eGL2")), 4, big);
  registration.matchName = PascalString(get(Code("eMNA")));
  registration.reservedInfo = Number(get(Code("aeFL")), 4, big);
  return registration;
}

EffectRegistration ReadRegistration(const void* data, std::size_t size, PiplFormat format) {
  return DecodeRegistration(ParsePropertyList(data, size, format), format);
}

std::vector<PiplResource> ReadResourceFile(const std::vector<std::uint8_t>& file,
                                           std::uint32_t type) {
  const ByteReader header(file.data(), file.size(), true);
  const std::uint32_t dataOffset = header.U32(0);
  const std::uint32_t mapOffset = header.U32(4);
  const std::uint32_t dataLength = header.U32(8);
  const std::uint32_t mapLength = header.U32(12);
  const ByteReader data(header.Bytes(dataOffset, dataLength), dataLength, true);
  const ByteReader map(header.Bytes(mapOffset, mapLength), mapLength, true);

  const std::uint32_t typeList = map.U16(24);
  const std::uint32_t typeCount = map.U16(typeList) + 1;
  std::vector<PiplResource> resources;
  for (std::uint32_t t = 0; t < typeCount; ++t) {
    const std::size_t entry = typeList + 2 + 8 * std::size_t{t};
    if (map.U32(entry) != type) continue;
    const std::uint32_t count = map.U16(entry + 4) + 1;
    const std::size_t references = typeList + map.U16(entry + 6);
    for (std::uint32_t r = 0; r < count; ++r) {
      const std::size_t reference = references + 12 * std::size_t{r};
      const auto id = static_cast<std::int16_t>(map.U16(reference));
      const std::uint32_t offset = map.Integer(reference + 5, 3);
      const std::uint32_t length = data.U32(offset);
      const std::uint8_t* bytes = data.Bytes(offset + std::size_t{4}, length);
      resources.push_back({id, std::vector<std::uint8_t>(bytes, bytes + length)});
    }
  }
  return resources;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PiplError("cannot open " + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

#ifdef _WIN32
namespace {

std::wstring Widen(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// The library stays loaded while the resources are read.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& path) : module_(LoadLibraryW(Widen(path).c_str())) {
    if (!module_) {
      throw PiplError("cannot load " + path + ": Windows error " + std::to_string(GetLastError()));
    }
  }
  ~LoadedLibrary() { FreeLibrary(module_); }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
  if (IS_INTRESOURCE(name)) {
    reinterpret_cast<std::vector<int>*>(ids)->push_back(
        static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
  }
  return TRUE;
}

}  // namespace

std::vector<PiplResource> LoadPiplResources(const std::string& pluginPath) {
  const LoadedLibrary library(pluginPath);
  std::vector<int> ids;
  if (!EnumResourceNamesA(library.get(), "PIPL", CollectId, reinterpret_cast<LONG_PTR>(&ids))) {
    throw PiplError(pluginPath + " has no \"PIPL\" resources");
  }
  std::sort(ids.begin(), ids.end());
  std::vector<PiplResource> resources;
  for (const int id : ids) {
    const HRSRC found = FindResourceExA(library.get(), "PIPL", MAKEINTRESOURCEA(id),
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    const HGLOBAL loaded = found ? LoadResource(library.get(), found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) throw PiplError("cannot read \"PIPL\" resource " + std::to_string(id));
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    resources.push_back(
        {id, std::vector<std::uint8_t>(begin, begin + SizeofResource(library.get(), found))});
  }
  return resources;
}
#endif

}  // namespace testhost
