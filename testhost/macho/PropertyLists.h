// Property lists through libplist, owned by RAII handles: what the bundle reader and the seal need.
#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testhost/formats/MachO.h"

namespace testhost::macho {

struct PlistDeleter {
  void operator()(void* node) const noexcept { plist_free(static_cast<plist_t>(node)); }
};
using Plist = std::unique_ptr<void, PlistDeleter>;

// Parses XML or binary property-list bytes; throws MachOError "<what> is not a property list".
inline Plist ParsePlist(const std::vector<std::uint8_t>& bytes, const std::string& what) {
  plist_t root = nullptr;
  if (!bytes.empty() && bytes.size() <= UINT32_MAX) {
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::uint32_t>(bytes.size()), &root);
  }
  if (!root) throw MachOError(what + " is not a property list");
  return Plist(root);
}

// The list as Apple's XML property-list format.
inline std::vector<std::uint8_t> ToXml(plist_t root) {
  char* xml = nullptr;
  std::uint32_t length = 0;
  plist_to_xml(root, &xml, &length);
  if (!xml) throw MachOError("a property list could not be written");
  const std::unique_ptr<char, void (*)(char*)> owned(xml, plist_to_xml_free);
  return std::vector<std::uint8_t>(xml, xml + length);
}

inline bool IsDictionary(plist_t node) { return node && plist_get_node_type(node) == PLIST_DICT; }

// The dictionary's item under `key` when it is a string.
inline std::optional<std::string> StringItem(plist_t dict, const char* key) {
  const plist_t item = IsDictionary(dict) ? plist_dict_get_item(dict, key) : nullptr;
  if (!item || plist_get_node_type(item) != PLIST_STRING) return std::nullopt;
  std::uint64_t length = 0;
  const char* text = plist_get_string_ptr(item, &length);
  return std::string(text, length);
}

// The dictionary's item under `key` when it is data.
inline std::optional<std::vector<std::uint8_t>> DataItem(plist_t dict, const char* key) {
  const plist_t item = IsDictionary(dict) ? plist_dict_get_item(dict, key) : nullptr;
  if (!item || plist_get_node_type(item) != PLIST_DATA) return std::nullopt;
  std::uint64_t length = 0;
  const char* data = plist_get_data_ptr(item, &length);
  return std::vector<std::uint8_t>(data, data + length);
}

inline bool TrueItem(plist_t dict, const char* key) {
  const plist_t item = IsDictionary(dict) ? plist_dict_get_item(dict, key) : nullptr;
  std::uint8_t value = 0;
  if (item && plist_get_node_type(item) == PLIST_BOOLEAN) plist_get_bool_val(item, &value);
  return value != 0;
}

// Calls `each(key, value)` for every item of the dictionary, in its order.
template <class Each>
void ForEachItem(plist_t dict, Each each) {
  plist_dict_iter iterator = nullptr;
  plist_dict_new_iter(dict, &iterator);
  const std::unique_ptr<void, void (*)(void*)> owned(iterator, std::free);
  for (;;) {
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(dict, iterator, &key, &value);
    if (!key) break;
    const std::unique_ptr<char, void (*)(void*)> ownedKey(key, std::free);
    each(std::string(key), value);
  }
}

}  // namespace testhost::macho
