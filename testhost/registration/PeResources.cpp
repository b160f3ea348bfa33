#include "testhost/registration/PeResources.h"

#include <algorithm>

namespace testhost {

namespace {


constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
// In a directory entry, marks a name (instead of an id) in the first word and a subdirectory
// (instead of data) in the second; the other bits are an offset in the resource tree.
constexpr std::uint32_t kOffsetBit = 0x80000000u;
constexpr std::uint32_t kUsEnglish = 0x409;

class Bytes {
 public:
  explicit Bytes(const std::vector<std::uint8_t>& file) : file_(file) {}

  std::uint32_t u16(std::size_t at) const { return read(at, 2); }
  std::uint32_t u32(std::size_t at) const { return read(at, 4); }
  void require(std::size_t at, std::size_t count, const char* what) const {
    if (at > file_.size() || count > file_.size() - at) {
      throw PiplError(std::string(what) + " lies outside the file");
    }
  }
  const std::vector<std::uint8_t>& file() const { return file_; }

 private:
  std::uint32_t read(std::size_t at, int width) const {
    require(at, static_cast<std::size_t>(width), "a header field");
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
      value = value << 8 | file_[at + static_cast<std::size_t>(i)];
    }
    return value;
  }

  const std::vector<std::uint8_t>& file_;
};

struct Section {
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

struct Image {
  std::vector<Section> sections;
  std::uint32_t resourceRva = 0;

  // The file offset of a relative virtual address.
  std::size_t offset(std::uint32_t rva) const {
    for (const Section& s : sections) {
      const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
      if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
        if (rva - s.virtualAddress >= s.rawSize) break;
        return std::size_t{s.rawOffset} + (rva - s.virtualAddress);
      }
    }
    throw PiplError("address " + std::to_string(rva) + " is in no section's data");
  }
};

Image ReadHeaders(const Bytes& bytes) {
  if (!LooksLikePortableExecutable(bytes.file())) throw PiplError("not a Windows executable");
  const std::size_t pe = bytes.u32(0x3C);
  if (bytes.u32(pe) != 0x00004550) throw PiplError("no PE signature");
  const std::size_t coff = pe + 4;
  const std::uint32_t sectionCount = bytes.u16(coff + 2);
  const std::uint32_t optionalSize = bytes.u16(coff + 16);
  const std::size_t optional = coff + 20;
  const std::uint32_t magic = bytes.u16(optional);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) throw PiplError("unknown optional header");
  const std::size_t directories = optional + (magic == kPe32PlusMagic ? 112 : 96);
  const std::uint32_t directoryCount = bytes.u32(directories - 4);

  Image image;
  if (directoryCount > kResourceDirectoryIndex) {
    image.resourceRva = bytes.u32(directories + 8 * kResourceDirectoryIndex);
  }
  const std::size_t table = optional + optionalSize;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = table + 40 * std::size_t{i};
    image.sections.push_back(
        {bytes.u32(at + 12), bytes.u32(at + 8), bytes.u32(at + 16), bytes.u32(at + 20)});
  }
  return image;
}

struct Entry {
  std::uint32_t nameOrId;  // with kOffsetBit, the offset of a name; otherwise an id
  std::uint32_t target;    // with kOffsetBit, the offset of a subdirectory; otherwise of data
};

// The entries of the directory at `offset` from the start of the resource tree.
std::vector<Entry> Directory(const Bytes& bytes, std::size_t root, std::uint32_t offset) {
  const std::size_t at = root + offset;
  const std::uint32_t count = bytes.u16(at + 12) + bytes.u16(at + 14);
  bytes.require(at + 16, 8 * std::size_t{count}, "a resource directory");
  std::vector<Entry> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t e = at + 16 + 8 * std::size_t{i};
    entries.push_back({bytes.u32(e), bytes.u32(e + 4)});
  }
  return entries;
}

std::uint32_t Subdirectory(const Entry& entry) {
  if (!(entry.target & kOffsetBit)) throw PiplError("resource tree is too shallow");
  return entry.target & ~kOffsetBit;
}

bool NameIs(const Bytes& bytes, std::size_t root, const Entry& entry, const std::string& name) {
  if (!(entry.nameOrId & kOffsetBit)) return false;
  const std::size_t at = root + (entry.nameOrId & ~kOffsetBit);
  const std::uint32_t length = bytes.u16(at);
  if (length != name.size()) return false;
  for (std::uint32_t i = 0; i < length; ++i) {
    if (bytes.u16(at + 2 + 2 * std::size_t{i}) != static_cast<unsigned char>(name[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool LooksLikePortableExecutable(const std::vector<std::uint8_t>& file) {
  return file.size() >= 0x40 && file[0] == 'M' && file[1] == 'Z';
}

std::vector<PiplResource> ReadPeResources(const std::vector<std::uint8_t>& file,
                                                    const std::string& type) {
  const Bytes bytes(file);
  const Image image = ReadHeaders(bytes);
  std::vector<PiplResource> resources;
  if (image.resourceRva == 0) return resources;
  const std::size_t root = image.offset(image.resourceRva);

  for (const Entry& typeEntry : Directory(bytes, root, 0)) {
    if (!NameIs(bytes, root, typeEntry, type)) continue;
    for (const Entry& idEntry : Directory(bytes, root, Subdirectory(typeEntry))) {
      if (idEntry.nameOrId & kOffsetBit) continue;  // named, not numbered
      const std::vector<Entry> languages = Directory(bytes, root, Subdirectory(idEntry));
      if (languages.empty()) continue;
      auto chosen = std::find_if(languages.begin(), languages.end(),
                                 [](const Entry& e) { return e.nameOrId == kUsEnglish; });
      if (chosen == languages.end()) chosen = languages.begin();
      if (chosen->target & kOffsetBit) throw PiplError("resource tree is too deep");
      const std::size_t dataEntry = root + chosen->target;
      const std::size_t at = image.offset(bytes.u32(dataEntry));
      const std::uint32_t size = bytes.u32(dataEntry + 4);
      bytes.require(at, size, "a resource's data");
      const auto begin = file.begin() + static_cast<std::ptrdiff_t>(at);
      resources.push_back({static_cast<int>(idEntry.nameOrId),
                           std::vector<std::uint8_t>(begin, begin + size)});
    }
  }
  std::sort(resources.begin(), resources.end(),
            [](const PiplResource& a, const PiplResource& b) {
              return a.id < b.id;
            });
  return resources;
}

}  // namespace testhost
