#include "testhost/formats/PeResources.h"

#include <algorithm>


namespace testhost {

namespace {

// In a directory entry, marks a name (instead of an id) in the first word and a subdirectory
// (instead of data) in the second; the other bits are an offset in the resource tree.
constexpr std::uint32_t kOffsetBit = 0x80000000u;
constexpr std::uint32_t kUsEnglish = 0x409;

struct Entry {
  std::uint32_t nameOrId;  // with kOffsetBit, the offset of a name; otherwise an id
  std::uint32_t target;    // with kOffsetBit, the offset of a subdirectory; otherwise of data
};

// The entries of the directory at `offset` from the start of the resource tree.
std::vector<Entry> Directory(const ByteReader& bytes, std::size_t root, std::uint32_t offset) {
  const std::size_t at = root + offset;
  const std::uint32_t count =
      bytes.le16(at + 12, "a resource directory") + bytes.le16(at + 14, "a resource directory");
  bytes.require(at + 16, 8 * std::size_t{count}, "a resource directory");
  std::vector<Entry> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t e = at + 16 + 8 * std::size_t{i};
    entries.push_back({bytes.le32(e, "a resource directory"), bytes.le32(e + 4, "a resource directory")});
  }
  return entries;
}

std::uint32_t Subdirectory(const Entry& entry) {
  if (!(entry.target & kOffsetBit)) throw PeError("resource tree is too shallow");
  return entry.target & ~kOffsetBit;
}

bool NameIs(const ByteReader& bytes, std::size_t root, const Entry& entry, const std::string& name) {
  if (!(entry.nameOrId & kOffsetBit)) return false;
  const std::size_t at = root + (entry.nameOrId & ~kOffsetBit);
  const std::uint32_t length = bytes.le16(at, "a resource name");
  if (length != name.size()) return false;
  for (std::uint32_t i = 0; i < length; ++i) {
    if (bytes.le16(at + 2 + 2 * std::size_t{i}, "a resource name") !=
        static_cast<unsigned char>(name[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<ResourceBytes> ReadPeResources(const std::vector<std::uint8_t>& file,
                                           const std::string& type) {
  const PeImage image = ReadPeImage(file);
  const ByteReader bytes(file);
  std::vector<ResourceBytes> resources;
  const PeDirectory tree = image.directory(kPeResourceDirectory);
  if (tree.rva == 0) return resources;
  const std::size_t root = image.offsetOf(tree.rva);

  for (const Entry& typeEntry : Directory(bytes, root, 0)) {
    if (!NameIs(bytes, root, typeEntry, type)) continue;
    for (const Entry& idEntry : Directory(bytes, root, Subdirectory(typeEntry))) {
      if (idEntry.nameOrId & kOffsetBit) continue;  // named, not numbered
      const std::vector<Entry> languages = Directory(bytes, root, Subdirectory(idEntry));
      if (languages.empty()) continue;
      auto chosen = std::find_if(languages.begin(), languages.end(),
                                 [](const Entry& e) { return e.nameOrId == kUsEnglish; });
      if (chosen == languages.end()) chosen = languages.begin();
      if (chosen->target & kOffsetBit) throw PeError("resource tree is too deep");
      const std::size_t dataEntry = root + chosen->target;
      const std::size_t at = image.offsetOf(bytes.le32(dataEntry, "a resource data entry"));
      const std::uint32_t size = bytes.le32(dataEntry + 4, "a resource data entry");
      resources.push_back(
          {static_cast<int>(idEntry.nameOrId), bytes.copy(at, size, "a resource's data")});
    }
  }
  std::sort(resources.begin(), resources.end(),
            [](const ResourceBytes& a, const ResourceBytes& b) { return a.id < b.id; });
  return resources;
}

}  // namespace testhost
