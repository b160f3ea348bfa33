#include "testhost/formats/PeImage.h"

#include <algorithm>
#include <cstring>

#include "testhost/formats/EscapedText.h"

namespace testhost {

namespace {

// The layout: the DOS header's pointer to the NT headers ("PE\0\0", the COFF file header, the
// optional header), then the section table.
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNtHeadersPointer = 0x3C;
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
// Where the data directories start in each optional header: its fixed part's size.
constexpr std::size_t kPe32DirectoriesAt = 96;
constexpr std::size_t kPe32PlusDirectoriesAt = 112;
// Where the fields read lie in either optional header.
constexpr std::size_t kSizeOfHeadersAt = 60;
constexpr std::size_t kChecksumAt = 64;
constexpr std::size_t kDllCharacteristicsAt = 70;
// No image has more directories than the format defines.
constexpr std::uint32_t kMaxDirectories = 16;
// Longer than any DLL or function name a linker writes.
constexpr std::size_t kMaxNameLength = 4096;
constexpr std::size_t kImportDescriptorSize = 20;

}  // namespace

std::string PeMachineName(std::uint16_t machine) {
  switch (machine) {
    case kPeMachineX64:
      return "x86_64";
    case kPeMachineArm64:
      return "arm64";
    case 0x14C:
      return "x86";
    default: {
      static const char digits[] = "0123456789ABCDEF";
      std::string hex = "0x";
      for (int shift = 12; shift >= 0; shift -= 4) hex.push_back(digits[(machine >> shift) & 0xF]);
      return "machine " + hex;
    }
  }
}

bool PeMachineIs64Bit(std::uint16_t machine) {
  return machine == kPeMachineX64 || machine == kPeMachineArm64;
}

PeDirectory PeImage::directory(std::size_t index) const {
  return index < directories.size() ? directories[index] : PeDirectory{0, 0};
}

std::size_t PeImage::offsetOf(std::uint32_t rva) const {
  for (const PeSection& s : sections) {
    if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize) {
      return std::size_t{s.rawOffset} + (rva - s.virtualAddress);
    }
  }
  throw PeError("address " + std::to_string(rva) + " is in no section's data");
}

PeImage ReadPeImage(const std::vector<std::uint8_t>& file) {
  const ByteReader bytes(file);
  bytes.require(0, kDosHeaderSize, "its DOS header");
  if (file[0] != 'M' || file[1] != 'Z') throw PeError("not a Windows image");
  const std::uint64_t nt = bytes.le32(kNtHeadersPointer, "its DOS header");
  bytes.require(nt, 4 + kFileHeaderSize + 2, "its NT headers");
  if (bytes.le32(nt, "its NT headers") != kPeSignature) {
    throw PeError("a DOS program, not a Windows image");
  }
  const std::uint64_t coff = nt + 4;
  PeImage image{};
  image.machine = bytes.le16(coff, "its file header");
  const std::uint32_t sectionCount = bytes.le16(coff + 2, "its file header");
  image.timeDateStamp = bytes.le32(coff + 4, "its file header");
  const std::uint32_t optionalSize = bytes.le16(coff + 16, "its file header");
  image.characteristics = bytes.le16(coff + 18, "its file header");
  const std::uint64_t optional = coff + kFileHeaderSize;
  const std::uint16_t magic = bytes.le16(optional, "its optional header");
  if (magic != kPe32Magic && magic != kPe32PlusMagic) {
    throw PeError("a Windows image with an optional header of unknown kind");
  }
  image.pe32Plus = magic == kPe32PlusMagic;
  // The optional header's size follows from its kind: read as the other, every table is wrong.
  if (PeMachineIs64Bit(image.machine) && !image.pe32Plus) {
    throw PeError("code for " + PeMachineName(image.machine) +
                  " with an optional header of the other word size");
  }
  const std::size_t directoriesAt = image.pe32Plus ? kPe32PlusDirectoriesAt : kPe32DirectoriesAt;
  if (optionalSize < directoriesAt) {
    throw PeError("an optional header too small for its kind (" + std::to_string(optionalSize) +
                  " bytes)");
  }
  const ByteReader header = bytes.window(optional, optionalSize, "its optional header");
  image.sizeOfHeaders = header.le32(kSizeOfHeadersAt, "its optional header");
  bytes.require(0, image.sizeOfHeaders, "its headers");
  image.checksum = header.le32(kChecksumAt, "its optional header");
  image.dllCharacteristics = header.le16(kDllCharacteristicsAt, "its optional header");
  const std::uint32_t directoryCount =
      std::min(header.le32(directoriesAt - 4, "its optional header"), kMaxDirectories);
  for (std::uint32_t i = 0; i < directoryCount; ++i) {
    const std::size_t at = directoriesAt + 8 * std::size_t{i};
    image.directories.push_back({header.le32(at, "its data directories"),
                                 header.le32(at + 4, "its data directories")});
  }
  if (sectionCount == 0) throw PeError("a Windows image without sections");
  const ByteReader table = bytes.window(optional + optionalSize,
                                        std::uint64_t{sectionCount} * kSectionHeaderSize,
                                        "its section table");
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = kSectionHeaderSize * std::size_t{i};
    PeSection section{};
    const char* name = reinterpret_cast<const char*>(table.data() + at);
    section.name.assign(name, strnlen(name, 8));
    section.virtualSize = table.le32(at + 8, "its section table");
    section.virtualAddress = table.le32(at + 12, "its section table");
    section.rawSize = table.le32(at + 16, "its section table");
    section.rawOffset = table.le32(at + 20, "its section table");
    bytes.require(section.rawOffset, section.rawSize,
                  "its section " + std::to_string(i) + " (" + EscapedText(section.name) + ")");
    image.sections.push_back(std::move(section));
  }
  return image;
}

PeExports ReadPeExports(const std::vector<std::uint8_t>& file, const PeImage& image) {
  PeExports exports{};
  const PeDirectory table = image.directory(kPeExportDirectory);
  if (table.rva == 0) return exports;
  const ByteReader bytes(file);
  const std::size_t at = image.offsetOf(table.rva);
  exports.functionCount = bytes.le32(at + 20, "the export table");
  const std::uint32_t nameCount = bytes.le32(at + 24, "the export table");
  const std::uint32_t namePointers = bytes.le32(at + 32, "the export table");
  if (nameCount > exports.functionCount) throw PeError("the export table names more than it holds");
  if (nameCount == 0) return exports;
  const std::size_t pointers = image.offsetOf(namePointers);
  bytes.require(pointers, 4 * std::size_t{nameCount}, "the export name table");
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    exports.names.push_back(
        bytes.text(image.offsetOf(bytes.le32(pointers + 4 * i, "the export name table")),
                   kMaxNameLength, "an export's name"));
  }
  return exports;
}

std::vector<std::string> ReadPeImportedLibraries(const std::vector<std::uint8_t>& file,
                                                 const PeImage& image) {
  std::vector<std::string> libraries;
  const PeDirectory table = image.directory(kPeImportDirectory);
  if (table.rva == 0) return libraries;
  const ByteReader bytes(file);
  // Descriptors up to the all-zero one that ends the table, within the directory's size.
  const std::size_t at = image.offsetOf(table.rva);
  for (std::size_t d = at; d + kImportDescriptorSize <= at + table.size; d += kImportDescriptorSize) {
    const std::uint32_t name = bytes.le32(d + 12, "the import table");
    if (name == 0) break;
    libraries.push_back(bytes.text(image.offsetOf(name), kMaxNameLength, "an imported DLL's name"));
  }
  return libraries;
}

}  // namespace testhost
