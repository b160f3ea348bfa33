#include "testhost/registration/PeImage.h"

#include <algorithm>

#include "PeBytes.h"

namespace testhost {

namespace {

constexpr std::size_t kNtHeadersPointer = 0x3C;
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
// Where the data directories start in each optional header.
constexpr std::size_t kPe32DirectoriesAt = 96;
constexpr std::size_t kPe32PlusDirectoriesAt = 112;
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

bool LooksLikePortableExecutable(const std::vector<std::uint8_t>& file) {
  return file.size() >= 0x40 && file[0] == 'M' && file[1] == 'Z';
}

PeImage ReadPeImage(const std::vector<std::uint8_t>& file) {
  if (!LooksLikePortableExecutable(file)) throw PeError("not a Windows executable");
  const PeBytes bytes(file);
  const std::size_t pe = bytes.u32(kNtHeadersPointer);
  if (bytes.u32(pe) != kPeSignature) throw PeError("no PE signature");
  const std::size_t coff = pe + 4;
  PeImage image{};
  image.machine = static_cast<std::uint16_t>(bytes.u16(coff));
  const std::uint32_t sectionCount = bytes.u16(coff + 2);
  image.timeDateStamp = bytes.u32(coff + 4);
  const std::uint32_t optionalSize = bytes.u16(coff + 16);
  image.characteristics = static_cast<std::uint16_t>(bytes.u16(coff + 18));
  const std::size_t optional = coff + kFileHeaderSize;
  const std::uint32_t magic = bytes.u16(optional);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) throw PeError("unknown optional header");
  image.pe32Plus = magic == kPe32PlusMagic;
  // The optional header's size follows from its kind: read as the other, every table is wrong.
  const bool machineIs64Bit = image.machine == kPeMachineX64 || image.machine == kPeMachineArm64;
  if (machineIs64Bit && !image.pe32Plus) {
    throw PeError("a 32-bit optional header for " + PeMachineName(image.machine) + " code");
  }
  image.checksum = bytes.u32(optional + 64);
  image.dllCharacteristics = static_cast<std::uint16_t>(bytes.u16(optional + 70));
  const std::size_t directories =
      optional + (image.pe32Plus ? kPe32PlusDirectoriesAt : kPe32DirectoriesAt);
  const std::uint32_t directoryCount = std::min(bytes.u32(directories - 4), kMaxDirectories);
  if (directories + 8 * std::size_t{directoryCount} > optional + optionalSize) {
    throw PeError("the data directories run past the optional header");
  }
  for (std::uint32_t i = 0; i < directoryCount; ++i) {
    image.directories.push_back({bytes.u32(directories + 8 * i), bytes.u32(directories + 8 * i + 4)});
  }
  const std::size_t table = optional + optionalSize;
  bytes.require(table, kSectionHeaderSize * sectionCount, "the section table");
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = table + kSectionHeaderSize * i;
    PeSection section{};
    for (std::size_t c = 0; c < 8 && file[at + c] != 0; ++c) {
      section.name.push_back(static_cast<char>(file[at + c]));
    }
    section.virtualSize = bytes.u32(at + 8);
    section.virtualAddress = bytes.u32(at + 12);
    section.rawSize = bytes.u32(at + 16);
    section.rawOffset = bytes.u32(at + 20);
    bytes.require(section.rawOffset, section.rawSize, "a section's data");
    image.sections.push_back(std::move(section));
  }
  return image;
}

PeExports ReadPeExports(const std::vector<std::uint8_t>& file, const PeImage& image) {
  PeExports exports{};
  const PeDirectory table = image.directory(kPeExportDirectory);
  if (table.rva == 0) return exports;
  const PeBytes bytes(file);
  const std::size_t at = image.offsetOf(table.rva);
  exports.functionCount = bytes.u32(at + 20);
  const std::uint32_t nameCount = bytes.u32(at + 24);
  const std::uint32_t namePointers = bytes.u32(at + 32);
  if (nameCount > exports.functionCount) throw PeError("the export table names more than it holds");
  if (nameCount == 0) return exports;
  const std::size_t pointers = image.offsetOf(namePointers);
  bytes.require(pointers, 4 * std::size_t{nameCount}, "the export name table");
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    exports.names.push_back(
        bytes.text(image.offsetOf(bytes.u32(pointers + 4 * i)), kMaxNameLength, "an export's name"));
  }
  return exports;
}

std::vector<std::string> ReadPeImportedLibraries(const std::vector<std::uint8_t>& file,
                                                 const PeImage& image) {
  std::vector<std::string> libraries;
  const PeDirectory table = image.directory(kPeImportDirectory);
  if (table.rva == 0) return libraries;
  const PeBytes bytes(file);
  // Descriptors up to the all-zero one that ends the table, within the directory's size.
  const std::size_t at = image.offsetOf(table.rva);
  for (std::size_t d = at; d + kImportDescriptorSize <= at + table.size; d += kImportDescriptorSize) {
    const std::uint32_t name = bytes.u32(d + 12);
    if (name == 0) break;
    libraries.push_back(bytes.text(image.offsetOf(name), kMaxNameLength, "an imported DLL's name"));
  }
  return libraries;
}

}  // namespace testhost
