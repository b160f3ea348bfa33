// The headers of a Windows image (.aex, .dll, .exe) read straight from its bytes, with its export
// and import tables: what the host's loader and the release checks look at, on a machine that
// cannot load the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testhost/formats/ByteReader.h"

namespace testhost {

// A file that is not a well-formed Windows image, or a table that points outside it: the formats'
// one error.
using PeError = FormatError;

// The machine words of the two Windows plug-in files.
constexpr std::uint16_t kPeMachineX64 = 0x8664;
constexpr std::uint16_t kPeMachineArm64 = 0xAA64;
// The architecture of a machine word as the registration names it ("x86_64", "arm64"), "x86",
// or "machine 0xABCD" for any other.
std::string PeMachineName(std::uint16_t machine);
// Whether code for the machine needs the 64-bit optional header (x64, ARM64).
bool PeMachineIs64Bit(std::uint16_t machine);

// File header characteristics: the image is a DLL.
constexpr std::uint16_t kPeFileDll = 0x2000;
// Optional header DllCharacteristics: high-entropy ASLR, ASLR (relocatable), DEP.
constexpr std::uint16_t kPeHighEntropyVa = 0x0020;
constexpr std::uint16_t kPeDynamicBase = 0x0040;
constexpr std::uint16_t kPeNxCompat = 0x0100;

struct PeSection {
  std::string name;  // up to 8 characters
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

struct PeDirectory {
  std::uint32_t rva;  // 0 when the image has no such table
  std::uint32_t size;
};

// Indices of the data directories read here.
enum PeDirectoryIndex : std::size_t { kPeExportDirectory = 0, kPeImportDirectory = 1, kPeResourceDirectory = 2 };

struct PeImage {
  std::uint16_t machine;
  std::uint16_t characteristics;
  std::uint32_t timeDateStamp;
  bool pe32Plus;  // the 64-bit optional header
  std::uint16_t dllCharacteristics;
  std::uint32_t checksum;
  std::uint32_t sizeOfHeaders;  // every header, the section table included, from the first byte
  std::vector<PeDirectory> directories;
  std::vector<PeSection> sections;

  // The table at `index`, or {0, 0} when the image has none.
  PeDirectory directory(std::size_t index) const;
  // The file offset of a relative virtual address inside some section's raw data; throws PeError
  // for one outside all of them.
  std::size_t offsetOf(std::uint32_t rva) const;
};

// The file, optional and section headers. Throws PeError when they are not those of a Windows
// image (a 64-bit machine's code with the 32-bit optional header included, and an image without
// sections), and OutOfBounds when the DOS header, the NT headers, the optional header, the
// headers' stated size, the section table or a section's raw data lie outside the file.
PeImage ReadPeImage(const std::vector<std::uint8_t>& file);

struct PeExports {
  std::uint32_t functionCount;     // entries of the address table, named or not
  std::vector<std::string> names;  // as the name table lists them
};
// The export table; empty when there is none. Throws PeError when it points outside the file.
PeExports ReadPeExports(const std::vector<std::uint8_t>& file, const PeImage& image);

// The DLL names of the import table, in its order. Throws PeError when it points outside the file.
std::vector<std::string> ReadPeImportedLibraries(const std::vector<std::uint8_t>& file,
                                                 const PeImage& image);

}  // namespace testhost
