// The code signature each slice of a macOS code file carries: reading it, checking it against the
// slice's bytes and the bundle it belongs to, and writing the ad-hoc signature of a bundle's code.
//
// A slice's signature is a SuperBlob at the end of its __LINKEDIT segment, named by its
// LC_CODE_SIGNATURE command. It holds a CodeDirectory (the SHA-256 of every 4 KiB page up to the
// signature, and of what the bundle binds in special slots), the requirements and a signature
// wrapper, which an ad-hoc signature leaves empty. All its numbers are big-endian.
//
// Reading (CodeSignatureReader.cpp), checking (CodeSignatureCheck.cpp), signing (CodeSigner.cpp)
// and the test helper RehashCodePages (CodePageRehash.cpp) live apart; the check and the signer
// share the layout's constants, never a decision of what is bound.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "testhost/formats/MachO.h"

namespace testhost {

using Sha256Digest = std::array<std::uint8_t, 32>;
using Sha1Digest = std::array<std::uint8_t, 20>;

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size);
Sha1Digest Sha1(const std::uint8_t* data, std::size_t size);
inline Sha256Digest Sha256(const std::vector<std::uint8_t>& bytes) {
  return Sha256(bytes.data(), bytes.size());
}
inline Sha1Digest Sha1(const std::vector<std::uint8_t>& bytes) {
  return Sha1(bytes.data(), bytes.size());
}
std::string Hex(const std::uint8_t* bytes, std::size_t size);

// CodeDirectory flags.
constexpr std::uint32_t kCodeSignatureAdHoc = 0x2;
constexpr std::uint32_t kCodeSignatureLinkerSigned = 0x20000;

// The special slots a bundle's code binds, by number (stored at hashOffset - 32 * number).
constexpr std::uint32_t kInfoPlistSlot = 1;
constexpr std::uint32_t kRequirementsSlot = 2;
constexpr std::uint32_t kResourcesSlot = 3;

// The primary CodeDirectory of a slice's signature, as read.
struct CodeDirectory {
  std::uint32_t version = 0;
  std::uint32_t flags = 0;
  std::string identifier;
  std::uint64_t codeLimit = 0;
  std::uint32_t pageSize = 0;  // 0: one page over everything signed
  std::uint32_t codeSlots = 0;
  std::uint8_t hashType = 0;
  std::uint8_t hashSize = 0;
  std::uint64_t execSegmentLimit = 0;
  // specialSlots[n - 1] is the hash in special slot n; as many as the directory declares.
  std::vector<std::vector<std::uint8_t>> specialSlots;
};

struct SliceSignature {
  CodeDirectory directory;
  std::vector<std::uint32_t> blobTypes;        // in index order
  std::vector<std::uint8_t> requirements;      // the requirements blob's bytes; empty if none
  std::uint64_t superBlobSize = 0;
};

// Reads the slice's signature. Throws MachOError for a slice without one, or one whose
// SuperBlob, index or CodeDirectory is malformed or lies outside it.
SliceSignature ReadSliceSignature(const std::vector<std::uint8_t>& file, const MachOSlice& slice);

struct PageHashSummary {
  std::uint32_t pages = 0;
  std::uint32_t pageSize = 0;
  std::uint64_t codeLimit = 0;
};

// Recomputes every page hash of every CodeDirectory of the slice (SHA-256, or SHA-256 truncated
// to the stored size) over the slice up to codeLimit, which must be where the signature starts.
// This is what macOS checks before it runs a page of the code. Throws MachOError naming the slice
// and the first page that does not match, or a signature it cannot check.
PageHashSummary VerifyPageHashes(const std::vector<std::uint8_t>& file, const MachOSlice& slice);

// What a bundle binds into its code's signature.
struct BundleBinding {
  std::string identifier;                     // CFBundleIdentifier
  std::vector<std::uint8_t> infoPlist;        // Contents/Info.plist's bytes
  std::vector<std::uint8_t> codeResources;    // Contents/_CodeSignature/CodeResources's bytes
};

// Checks that the slice's signature is the bundle's own: ad hoc and not the linker's, under the
// bundle's identifier, binding exactly these Info.plist, requirements and seal. Does not check
// the page hashes (VerifyPageHashes does). Throws MachOError naming the slice and what differs.
void VerifyBundleBinding(const std::vector<std::uint8_t>& file, const MachOSlice& slice,
                         const BundleBinding& binding);

// The file with each slice's signature replaced by the ad-hoc signature that binds `binding`:
// version 0x20400, flags ad hoc, SHA-256 pages of 4 KiB, three special slots, the empty
// requirement set and an empty signature wrapper. The slice's LC_CODE_SIGNATURE and __LINKEDIT
// grow to hold it and every page hash is computed after those edits; a universal file keeps its
// slices' order and alignment. The same input gives the same bytes. Throws MachOError for a
// slice without a signature to replace, or whose signature is not the last thing in it.
std::vector<std::uint8_t> SignCodeFile(const std::vector<std::uint8_t>& file,
                                       const BundleBinding& binding);

// Recomputes, in place, the page hashes of every CodeDirectory of every slice, keeping all else:
// for tests and fuzzers that damage a signed file on purpose and want the loader to look past
// its signature. Throws MachOError when the file or a signature cannot be read.
void RehashCodePages(std::vector<std::uint8_t>& file);

}  // namespace testhost
