#include "testhost/registration/PiPL.h"

#include "host/host.h"
#include "testhost/formats/EscapedText.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "testhost/formats/ByteReader.h"

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

// The byte order of a list: Windows lists are little-endian, macOS lists big-endian.
ByteOrder OrderOf(PiplFormat format) {
  return format == PiplFormat::kWindows ? ByteOrder::kLittle : ByteOrder::kBig;
}

// A read outside the bytes is a PiplError like any other fault of a list or resource file.
template <typename Read>
auto Reporting(Read read) {
  try {
    return read();
  } catch (const OutOfBounds& e) {
    throw PiplError(e.what());
  }
}

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

std::uint32_t Number(const PiplProperty& property, unsigned width, ByteOrder order) {
  RequireLength(property, width);
  return static_cast<std::uint32_t>(
      ByteReader(property.value).number(0, width, order, "'" + CodeText(property.key) + "'"));
}

// Two 16-bit integers, major first, each in the list's byte order.
VersionPair Versions(const PiplProperty& property, ByteOrder order) {
  RequireLength(property, 4);
  const ByteReader reader(property.value);
  const std::string what = "'" + CodeText(property.key) + "'";
  return {static_cast<std::uint16_t>(reader.number(0, 2, order, what)),
          static_cast<std::uint16_t>(reader.number(2, 2, order, what))};
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
  return Reporting([&] {
    const ByteOrder order = OrderOf(format);
    const ByteReader reader(static_cast<const std::uint8_t*>(data), size, "the list");
    const auto u32 = [&](std::size_t at, const std::string& what) {
      return static_cast<std::uint32_t>(reader.number(at, 4, order, what));
    };
    std::size_t at = 0;
    if (format == PiplFormat::kWindows) {
      if (reader.number(0, 2, order, "its leading word") != 1) {
        throw PiplError("a Windows list must start with the word 1");
      }
      at = 2;
    }
    PropertyList list{u32(at, "its header"), {}};
    const std::uint32_t count = u32(at + 4, "its header");
    at += 8;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::string what = "property " + std::to_string(i);
      PiplProperty property{at, u32(at, what), u32(at + 4, what), u32(at + 8, what),
                            u32(at + 12, what), {}};
      property.value = reader.copy(at + 16, property.length, what);
      const std::size_t padding = Padded(property.length) - property.length;
      const ByteReader pad = reader.window(at + 16 + property.length, padding, what + "'s padding");
      if (std::any_of(pad.data(), pad.data() + padding, [](std::uint8_t byte) { return byte != 0; })) {
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
  });
}

EffectRegistration DecodeRegistration(const PropertyList& list, PiplFormat format) {
  const ByteOrder order = OrderOf(format);
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
  registration.kind = Number(get(Code("kind")), 4, order);
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
  registration.propertyListVersion = Versions(get(Code("ePVR")), order);
  registration.apiVersion = Versions(get(Code("eSVR")), order);
  registration.version = Number(get(Code("eVER")), 4, order);
  registration.infoFlags = static_cast<std::uint16_t>(Number(get(Code("eINF")), 2, order));
  registration.outFlags = Number(get(Code("eGLO")), 4, order);
  registration.outFlags2 = Number(get(Code("eGL2")), 4, order);
  registration.matchName = PascalString(get(Code("eMNA")));
  registration.reservedInfo = Number(get(Code("aeFL")), 4, order);
  return registration;
}

EffectRegistration ReadRegistration(const void* data, std::size_t size, PiplFormat format) {
  return DecodeRegistration(ParsePropertyList(data, size, format), format);
}

std::vector<PiplResource> ReadResourceFile(const std::vector<std::uint8_t>& file,
                                           std::uint32_t type) {
  return Reporting([&] {
    const ByteReader header(file, "the resource file");
    const std::uint32_t dataOffset = header.be32(0, "its header");
    const std::uint32_t mapOffset = header.be32(4, "its header");
    const std::uint32_t dataLength = header.be32(8, "its header");
    const std::uint32_t mapLength = header.be32(12, "its header");
    const ByteReader data = header.window(dataOffset, dataLength, "its data");
    const ByteReader map = header.window(mapOffset, mapLength, "its map");
    const auto u16 = [&map](std::size_t at, const std::string& what) {
      return static_cast<std::uint32_t>(map.number(at, 2, ByteOrder::kBig, what));
    };

    const std::uint32_t typeList = u16(24, "its map");
    const std::uint32_t typeCount = u16(typeList, "its type list") + 1;
    std::vector<PiplResource> resources;
    for (std::uint32_t t = 0; t < typeCount; ++t) {
      const std::size_t entry = typeList + 2 + 8 * std::size_t{t};
      if (map.be32(entry, "its type list") != type) continue;
      const std::uint32_t count = u16(entry + 4, "its type list") + 1;
      const std::size_t references = typeList + u16(entry + 6, "its type list");
      for (std::uint32_t r = 0; r < count; ++r) {
        const std::size_t reference = references + 12 * std::size_t{r};
        const auto id = static_cast<std::int16_t>(u16(reference, "a reference"));
        const auto offset =
            static_cast<std::uint32_t>(map.number(reference + 5, 3, ByteOrder::kBig, "a reference"));
        const std::uint32_t length = data.be32(offset, "a resource's length");
        resources.push_back({id, data.copy(offset + std::size_t{4}, length, "a resource")});
      }
    }
    return resources;
  });
}

#ifdef _WIN32
namespace {

// The library stays loaded while the resources are read.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& path) : module_(LoadLibraryW(std::filesystem::u8path(path).c_str())) {
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
