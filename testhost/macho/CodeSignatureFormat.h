// The layout of a slice's code signature, which macOS fixes, and the reading of it that the
// check and the test helper share. What is bound and what is sealed is not decided here: the
// signer and the check each decide that in their own code, so that one mistake cannot pass both.
#pragma once

#include <cstdint>
#include <vector>

#include "testhost/macho/CodeSignature.h"
#include "testhost/formats/ByteReader.h"

namespace testhost::macho {

constexpr std::uint32_t kSuperBlobMagic = 0xFADE0CC0;
constexpr std::uint32_t kCodeDirectoryMagic = 0xFADE0C02;
constexpr std::uint32_t kSuperBlobHeaderSize = 12;  // magic, length, count
constexpr std::uint32_t kBlobIndexEntrySize = 8;    // type, offset
// Blob types in a SuperBlob's index.
constexpr std::uint32_t kCodeDirectoryBlob = 0;
constexpr std::uint32_t kRequirementsBlob = 2;
constexpr std::uint32_t kSignatureWrapperBlob = 0x10000;
constexpr std::uint32_t kAlternateCodeDirectoryBlobs = 0x1000;
constexpr std::uint32_t kAlternateCodeDirectoryCount = 5;
// CodeDirectory hash types.
constexpr std::uint8_t kHashSha256 = 2;
constexpr std::uint8_t kHashSha256Truncated = 3;
// The first CodeDirectory version with execSegLimit, the one the signer writes.
constexpr std::uint32_t kExecSegmentVersion = 0x20400;

// A CodeDirectory as found in the signature: what it says, and where its hashes are.
struct FoundDirectory {
  CodeDirectory directory;
  std::uint64_t offset = 0;      // within the signature
  std::uint64_t hashOffset = 0;  // within the signature: the first code slot
};

struct FoundSignature {
  std::uint64_t offset = 0;                 // within the slice
  std::vector<FoundDirectory> directories;  // the primary first
  SliceSignature summary;
};

// The slice's bytes within the file, which the Mach-O reader checked lie inside it.
ByteReader SliceBytes(const std::vector<std::uint8_t>& file, const MachOSlice& slice);

// The slice's signature within the slice's bytes.
ByteReader SignatureBytes(const ByteReader& sliceBytes, const MachOSlice& slice);

// Reads the SuperBlob and every CodeDirectory in it. Throws MachOError for a slice without a
// signature or with a malformed one, without naming the slice (ForSlice does).
FoundSignature ReadSignature(const ByteReader& sliceBytes, const MachOSlice& slice);

// Runs `read` and names the slice in any MachOError it throws.
template <class Read>
auto ForSlice(const MachOSlice& slice, Read read) {
  try {
    return read();
  } catch (const MachOError& e) {
    throw MachOError(CpuTypeName(slice.cpuType) + " slice: " + e.what());
  }
}

}  // namespace testhost::macho
