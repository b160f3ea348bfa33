// Reading the plug-in's registration property lists back, as the host does: the list format of
// both platforms, the macOS resource file that carries the lists, and on Windows the "PIPL"
// resources of the plug-in file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "testhost/formats/PeResources.h"

namespace testhost {

// A list, resource file or plug-in file that does not hold well-formed property lists.
class PiplError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Windows lists are little-endian, start with the word 1 and name the entry point under `8664` in
// x64 files and `wa64` in ARM64 files (zero-terminated); macOS lists are big-endian, have no leading word and use `mi64` for Intel
// code and `ma64` for Apple-silicon code (each with a length byte).
enum class PiplFormat { kWindows, kMac };

struct PiplProperty {
  std::size_t offset;      // of the property's header, from the start of the list
  std::uint32_t vendor;    // four-character code, first character in the top byte
  std::uint32_t key;
  std::uint32_t id;
  std::uint32_t length;    // as stored
  std::vector<std::uint8_t> value;  // `length` bytes; the zero padding after them is checked
};

struct PropertyList {
  std::uint32_t version;
  std::vector<PiplProperty> properties;
};

// Throws PiplError on anything but one complete list: bad leading word, a property running past
// the end, non-zero padding, or bytes left over after the last property.
PropertyList ParsePropertyList(const void* data, std::size_t size, PiplFormat format);

struct VersionPair {
  std::uint16_t major;
  std::uint16_t minor;
};

// What the host learns about one effect from its list.
struct EffectRegistration {
  std::uint32_t kind;
  std::string name;
  std::string category;
  std::string entryPoint;           // 8664 or wa64 on Windows, mi64 on macOS
  // The architectures the list names the entry point for: x86_64 (8664, mi64) and arm64 (wa64,
  // ma64 beside mi64).
  std::vector<std::string> architectures;
  VersionPair propertyListVersion;  // ePVR
  VersionPair apiVersion;           // eSVR
  std::uint32_t version;            // eVER, the effect's my_version
  std::uint16_t infoFlags;          // eINF
  std::uint32_t outFlags;           // eGLO
  std::uint32_t outFlags2;          // eGL2
  std::string matchName;            // eMNA
  std::uint32_t reservedInfo;       // aeFL
};

// Decodes the properties the host reads; throws PiplError when one is missing, repeated, of the
// wrong vendor or size, or holds a malformed string, or when `ma64` names another function than
// `mi64` (both slices of the one code file export the same entry points).
EffectRegistration DecodeRegistration(const PropertyList& list, PiplFormat format);
EffectRegistration ReadRegistration(const void* data, std::size_t size, PiplFormat format);

// A resource holding a list: its id and bytes.
using PiplResource = ResourceBytes;

// The resources of one type in a classic resource-map file, in the order of its reference list.
// Throws PiplError when the header, map or an offset points outside the file.
std::vector<PiplResource> ReadResourceFile(const std::vector<std::uint8_t>& file,
                                           std::uint32_t type);

#ifdef _WIN32
// Loads the plug-in file with LoadLibrary and returns its "PIPL" resources in US English,
// ordered by id, found with the Windows resource functions.
std::vector<PiplResource> LoadPiplResources(const std::string& pluginPath);
#endif

}  // namespace testhost
