#include "testhost/macho/CodeSignature.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "testhost/macho/MachOBytes.h"
#include "MachOFormat.h"

namespace testhost {

namespace {

using namespace macho;

constexpr std::uint32_t kSuperBlobMagic = 0xFADE0CC0;
constexpr std::uint32_t kCodeDirectoryMagic = 0xFADE0C02;
constexpr std::uint32_t kCodeDirectoryBlob = 0;
constexpr std::uint32_t kRequirementsBlob = 2;
constexpr std::uint32_t kSignatureWrapperBlob = 0x10000;
constexpr std::uint32_t kAlternateCodeDirectoryBlobs = 0x1000;  // up to five from here
constexpr std::uint8_t kHashSha256 = 2;
constexpr std::uint8_t kHashSha256Truncated = 3;

// What the signer writes.
constexpr std::uint32_t kCodeDirectoryVersion = 0x20400;
constexpr std::uint32_t kCodeDirectoryHeaderSize = 88;  // through execSegFlags
constexpr std::uint8_t kSignedPageSizeLog2 = 12;
constexpr std::uint32_t kSignedPageSize = 1u << kSignedPageSizeLog2;
constexpr std::uint32_t kBoundSpecialSlots = kResourcesSlot;
constexpr std::uint32_t kSuperBlobHeaderSize = 12;
constexpr std::uint32_t kBlobIndexEntrySize = 8;
// The empty requirement set and the empty signature wrapper of an ad-hoc signature.
constexpr std::uint8_t kEmptyRequirements[] = {0xFA, 0xDE, 0x0C, 0x01, 0, 0, 0, 12, 0, 0, 0, 0};
constexpr std::uint8_t kEmptySignatureWrapper[] = {0xFA, 0xDE, 0x0B, 0x01, 0, 0, 0, 8};
// The signature's size is kept a multiple of this, as the linker leaves it.
constexpr std::uint32_t kSignatureAlignment = 16;

template <std::size_t N>
std::array<std::uint8_t, N> Digest(const EVP_MD* algorithm, const std::uint8_t* data,
                                   std::size_t size) {
  std::array<std::uint8_t, N> out{};
  unsigned int length = 0;
  if (EVP_Digest(data, size, out.data(), &length, algorithm, nullptr) != 1 || length != N) {
    throw MachOError("the hash function failed");
  }
  return out;
}

std::uint64_t RoundUp(std::uint64_t n, std::uint64_t multiple) {
  return (n + multiple - 1) / multiple * multiple;
}

// The page size the kernel maps a slice's segments with.
std::uint64_t SegmentPageSize(std::uint32_t cpuType) {
  return cpuType == kCpuTypeArm64 ? 16384 : 4096;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
void PutBig64(std::vector<std::uint8_t>& out, std::uint64_t value) {
  PutBig32(out, static_cast<std::uint32_t>(value >> 32));
  PutBig32(out, static_cast<std::uint32_t>(value));
}
template <class T>
void StoreLittle(std::vector<std::uint8_t>& bytes, std::uint64_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

// A CodeDirectory as found in the signature: what it says, and where its hashes are.
struct FoundDirectory {
  CodeDirectory directory;
  std::uint64_t offset = 0;      // within the signature
  std::uint64_t hashOffset = 0;  // within the signature: the first code slot
};

FoundDirectory ReadDirectory(const Bytes& signature, std::uint64_t offset) {
  const std::string what = "the code directory";
  if (signature.bigEndian32(offset, what) != kCodeDirectoryMagic) {
    throw MachOError("the code directory has the wrong magic number");
  }
  const std::uint32_t length = signature.bigEndian32(offset + 4, what);
  const Bytes cd = signature.window(offset, length, what);
  FoundDirectory found;
  found.offset = offset;
  CodeDirectory& d = found.directory;
  d.version = cd.bigEndian32(8, what);
  d.flags = cd.bigEndian32(12, what);
  const std::uint32_t hashOffset = cd.bigEndian32(16, what);
  const std::uint32_t identOffset = cd.bigEndian32(20, what);
  const std::uint32_t specialSlots = cd.bigEndian32(24, what);
  d.codeSlots = cd.bigEndian32(28, what);
  d.codeLimit = cd.bigEndian32(32, what);
  d.hashSize = cd.record<std::uint8_t>(36, what);
  d.hashType = cd.record<std::uint8_t>(37, what);
  const std::uint8_t pageSizeLog2 = cd.record<std::uint8_t>(39, what);
  if (pageSizeLog2 >= 32) throw MachOError("the code directory's page size is malformed");
  d.pageSize = pageSizeLog2 ? 1u << pageSizeLog2 : 0;
  if (d.version >= 0x20400) d.execSegmentLimit = cd.bigEndian64(72, what);
  if (d.hashSize == 0) throw MachOError("the code directory's hashes are empty");
  Cursor identifier(cd.window(identOffset, cd.size() - std::min<std::uint64_t>(identOffset, cd.size()),
                              "the signing identifier"),
                    "the signing identifier");
  d.identifier = identifier.cstring();
  const std::uint64_t specialBytes = std::uint64_t{specialSlots} * d.hashSize;
  if (specialBytes > hashOffset) throw MachOError("the special slots lie before the code directory");
  for (std::uint32_t slot = 1; slot <= specialSlots; ++slot) {
    const Bytes hash = cd.window(hashOffset - std::uint64_t{slot} * d.hashSize, d.hashSize,
                                 "a special slot");
    d.specialSlots.emplace_back(hash.data(), hash.data() + hash.size());
  }
  found.hashOffset = offset + hashOffset;
  return found;
}

// The slice's signature, which the reader checked lies inside it.
Bytes SignatureBytes(const Bytes& sliceBytes, const MachOSlice& slice) {
  return sliceBytes.window(slice.codeSignature->offset, slice.codeSignature->size, "the signature");
}

struct FoundSignature {
  std::uint64_t offset = 0;  // within the slice
  std::vector<FoundDirectory> directories;  // the primary first
  SliceSignature summary;
};

// Reads the SuperBlob and every CodeDirectory in it; throws MachOError without the slice's name.
FoundSignature ReadSignature(const Bytes& sliceBytes, const MachOSlice& slice) {
  if (!slice.codeSignature) throw MachOError("carries no code signature");
  FoundSignature found;
  found.offset = slice.codeSignature->offset;
  const Bytes signature = SignatureBytes(sliceBytes, slice);
  if (signature.bigEndian32(0, "the signature's header") != kSuperBlobMagic) {
    throw MachOError("its signature is not a SuperBlob");
  }
  const std::uint32_t length = signature.bigEndian32(4, "the signature's header");
  const std::uint32_t count = signature.bigEndian32(8, "the signature's header");
  signature.require(0, length, "the SuperBlob");
  const Bytes blobs = signature.window(0, length, "the SuperBlob");
  blobs.require(kSuperBlobHeaderSize, std::uint64_t{count} * kBlobIndexEntrySize, "the blob index");
  found.summary.superBlobSize = length;
  bool primary = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = kSuperBlobHeaderSize + std::uint64_t{i} * kBlobIndexEntrySize;
    const std::uint32_t type = blobs.bigEndian32(entry, "the blob index");
    const std::uint32_t offset = blobs.bigEndian32(entry + 4, "the blob index");
    found.summary.blobTypes.push_back(type);
    if (type == kCodeDirectoryBlob) {
      found.directories.insert(found.directories.begin(), ReadDirectory(blobs, offset));
      primary = true;
    } else if (type >= kAlternateCodeDirectoryBlobs && type < kAlternateCodeDirectoryBlobs + 5) {
      found.directories.push_back(ReadDirectory(blobs, offset));
    } else if (type == kRequirementsBlob) {
      const std::uint32_t size = blobs.bigEndian32(offset + 4, "the requirements");
      const Bytes requirements = blobs.window(offset, size, "the requirements");
      found.summary.requirements.assign(requirements.data(),
                                        requirements.data() + requirements.size());
    }
  }
  if (!primary) throw MachOError("its signature holds no code directory");
  found.summary.directory = found.directories.front().directory;
  return found;
}

Bytes SliceBytes(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  return Bytes(file.data(), file.size()).window(slice.range.offset, slice.range.size, "the slice");
}

// Runs `read` and names the slice in any MachOError it throws.
template <class Read>
auto ForSlice(const MachOSlice& slice, Read read) {
  try {
    return read();
  } catch (const MachOError& e) {
    throw MachOError(CpuTypeName(slice.cpuType) + " slice: " + e.what());
  }
}

std::uint64_t PageCount(std::uint64_t codeLimit, std::uint64_t pageSize) {
  return pageSize ? (codeLimit + pageSize - 1) / pageSize : (codeLimit ? 1 : 0);
}

// Checks that the directory can be recomputed and covers the slice up to its signature.
void CheckDirectoryShape(const CodeDirectory& d, std::uint64_t signatureOffset) {
  if (d.codeLimit != signatureOffset) {
    throw MachOError("signed for " + std::to_string(d.codeLimit) +
                     " bytes, but its signature starts at " + std::to_string(signatureOffset));
  }
  const bool sha256 = d.hashType == kHashSha256 && d.hashSize == 32;
  const bool truncated = d.hashType == kHashSha256Truncated && d.hashSize <= 32;
  if (!sha256 && !truncated) {
    throw MachOError("hash type " + std::to_string(d.hashType) + " of size " +
                     std::to_string(d.hashSize) + " is not SHA-256, which this check recomputes");
  }
  const std::uint64_t pages = PageCount(d.codeLimit, d.pageSize);
  if (d.codeSlots != pages) {
    throw MachOError("the code directory has " + std::to_string(d.codeSlots) +
                     " page hashes for " + std::to_string(pages) + " pages");
  }
}

// Calls `each(page, start, length)` for every page the directory covers.
template <class Each>
void ForEachPage(const CodeDirectory& d, Each each) {
  const std::uint64_t pageSize = d.pageSize ? d.pageSize : d.codeLimit;
  for (std::uint32_t page = 0; page < d.codeSlots; ++page) {
    const std::uint64_t start = page * pageSize;
    each(page, start, std::min(pageSize, d.codeLimit - start));
  }
}

bool SameHash(const std::vector<std::uint8_t>& stored, const Sha256Digest& digest) {
  return stored.size() <= digest.size() && std::equal(stored.begin(), stored.end(), digest.begin());
}

// The slice's signature replaced by the one that binds `binding`.
std::vector<std::uint8_t> SignSlice(const Bytes& slice, const MachOSlice& info,
                                    const BundleBinding& binding) {
  if (!info.codeSignature) {
    throw MachOError("has no signature to replace (link it with -adhoc_codesign)");
  }
  const MachOSegment* linkedit = info.findSegment("__LINKEDIT");
  const MachOSegment* text = info.findSegment("__TEXT");
  const std::uint64_t codeLimit = info.codeSignature->offset;
  if (!linkedit || !text ||
      linkedit->fileOffset + linkedit->fileSize != codeLimit + info.codeSignature->size ||
      codeLimit < linkedit->fileOffset || codeLimit % kSignatureAlignment != 0) {
    throw MachOError("its signature is not the 16-byte aligned end of its __LINKEDIT segment");
  }
  for (const MachOSegment& segment : info.segments) {
    if (&segment != linkedit && segment.address >= linkedit->address && segment.vmSize > 0) {
      throw MachOError("segment " + segment.name + " lies above __LINKEDIT, which must grow");
    }
  }
  const std::uint64_t pages = PageCount(codeLimit, kSignedPageSize);
  const std::uint64_t identOffset = kCodeDirectoryHeaderSize;
  const std::uint64_t hashOffset = identOffset + binding.identifier.size() + 1 + 32 * kBoundSpecialSlots;
  const std::uint64_t directorySize = hashOffset + 32 * pages;
  const std::uint64_t blobCount = 3;
  const std::uint64_t directoryAt = kSuperBlobHeaderSize + blobCount * kBlobIndexEntrySize;
  const std::uint64_t requirementsAt = directoryAt + directorySize;
  const std::uint64_t wrapperAt = requirementsAt + sizeof kEmptyRequirements;
  const std::uint64_t superBlobSize = wrapperAt + sizeof kEmptySignatureWrapper;
  const std::uint64_t dataSize = RoundUp(superBlobSize, kSignatureAlignment);
  if (codeLimit > UINT32_MAX || dataSize > UINT32_MAX) throw MachOError("is too large to sign");

  std::vector<std::uint8_t> out(slice.data(), slice.data() + codeLimit);
  // The header is page 0: edit it before any page is hashed.
  StoreLittle(out, info.codeSignatureCommandOffset + offsetof(LinkeditDataCommand, dataSize),
              static_cast<std::uint32_t>(dataSize));
  const std::uint64_t linkeditFileSize = codeLimit + dataSize - linkedit->fileOffset;
  StoreLittle(out, linkedit->commandOffset + offsetof(SegmentCommand64, fileSize),
              linkeditFileSize);
  StoreLittle(out, linkedit->commandOffset + offsetof(SegmentCommand64, vmSize),
              RoundUp(linkeditFileSize, SegmentPageSize(info.cpuType)));

  std::vector<std::uint8_t> blob;
  PutBig32(blob, kSuperBlobMagic);
  PutBig32(blob, static_cast<std::uint32_t>(superBlobSize));
  PutBig32(blob, static_cast<std::uint32_t>(blobCount));
  for (const auto& [type, at] : {std::pair{kCodeDirectoryBlob, directoryAt},
                                 std::pair{kRequirementsBlob, requirementsAt},
                                 std::pair{kSignatureWrapperBlob, wrapperAt}}) {
    PutBig32(blob, type);
    PutBig32(blob, static_cast<std::uint32_t>(at));
  }
  PutBig32(blob, kCodeDirectoryMagic);
  PutBig32(blob, static_cast<std::uint32_t>(directorySize));
  PutBig32(blob, kCodeDirectoryVersion);
  PutBig32(blob, kCodeSignatureAdHoc);
  PutBig32(blob, static_cast<std::uint32_t>(hashOffset));
  PutBig32(blob, static_cast<std::uint32_t>(identOffset));
  PutBig32(blob, kBoundSpecialSlots);
  PutBig32(blob, static_cast<std::uint32_t>(pages));
  PutBig32(blob, static_cast<std::uint32_t>(codeLimit));
  blob.insert(blob.end(), {32, kHashSha256, 0, kSignedPageSizeLog2});  // size, type, platform
  PutBig32(blob, 0);   // spare2
  PutBig32(blob, 0);   // scatterOffset
  PutBig32(blob, 0);   // teamOffset
  PutBig32(blob, 0);   // spare3
  PutBig64(blob, 0);   // codeLimit64
  PutBig64(blob, 0);   // execSegBase
  PutBig64(blob, text->fileSize);
  PutBig64(blob, 0);   // execSegFlags: a plug-in, not a main executable
  blob.insert(blob.end(), binding.identifier.begin(), binding.identifier.end());
  blob.push_back(0);
  const std::vector<std::uint8_t> requirements(std::begin(kEmptyRequirements),
                                               std::end(kEmptyRequirements));
  for (const Sha256Digest& special :
       {Sha256(binding.codeResources), Sha256(requirements), Sha256(binding.infoPlist)}) {
    blob.insert(blob.end(), special.begin(), special.end());  // slot -3 first
  }
  for (std::uint64_t page = 0; page < pages; ++page) {
    const std::uint64_t start = page * kSignedPageSize;
    const Sha256Digest hash =
        Sha256(out.data() + start, std::min<std::uint64_t>(kSignedPageSize, codeLimit - start));
    blob.insert(blob.end(), hash.begin(), hash.end());
  }
  blob.insert(blob.end(), requirements.begin(), requirements.end());
  blob.insert(blob.end(), std::begin(kEmptySignatureWrapper), std::end(kEmptySignatureWrapper));
  blob.resize(dataSize, 0);
  out.insert(out.end(), blob.begin(), blob.end());
  return out;
}

struct FatEntry {
  std::uint32_t cpuType, cpuSubtype, alignLog2;
};

}  // namespace

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size) {
  return Digest<32>(EVP_sha256(), data, size);
}

Sha1Digest Sha1(const std::uint8_t* data, std::size_t size) {
  return Digest<20>(EVP_sha1(), data, size);
}

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

SliceSignature ReadSliceSignature(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  return ForSlice(slice, [&] { return ReadSignature(SliceBytes(file, slice), slice).summary; });
}

PageHashSummary VerifyPageHashes(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  return ForSlice(slice, [&] {
    const Bytes bytes = SliceBytes(file, slice);
    const FoundSignature signature = ReadSignature(bytes, slice);
    for (const FoundDirectory& found : signature.directories) {
      const CodeDirectory& d = found.directory;
      CheckDirectoryShape(d, signature.offset);
      const Bytes hashes = SignatureBytes(bytes, slice).window(
          found.hashOffset, std::uint64_t{d.codeSlots} * d.hashSize, "the page hashes");
      ForEachPage(d, [&](std::uint32_t page, std::uint64_t start, std::uint64_t length) {
        const Sha256Digest digest = Sha256(bytes.data() + start, length);
        const std::uint8_t* stored = hashes.data() + std::uint64_t{page} * d.hashSize;
        if (!std::equal(stored, stored + d.hashSize, digest.begin())) {
          throw MachOError("page " + std::to_string(page) + " (bytes " + std::to_string(start) +
                           " to " + std::to_string(start + length - 1) + ") hashes to " +
                           Hex(digest.data(), d.hashSize) + ", not to the signed " +
                           Hex(stored, d.hashSize));
        }
      });
    }
    const CodeDirectory& primary = signature.directories.front().directory;
    return PageHashSummary{primary.codeSlots, primary.pageSize,
                           primary.codeLimit};
  });
}

void VerifyBundleBinding(const std::vector<std::uint8_t>& file, const MachOSlice& slice,
                         const BundleBinding& binding) {
  ForSlice(slice, [&] {
    const SliceSignature signature = ReadSignature(SliceBytes(file, slice), slice).summary;
    const CodeDirectory& d = signature.directory;
    if (d.flags & kCodeSignatureLinkerSigned) {
      throw MachOError("carries only the linker's signature, which binds neither Info.plist "
                       "nor the sealed resources");
    }
    if (!(d.flags & kCodeSignatureAdHoc)) {
      char flags[16];
      std::snprintf(flags, sizeof flags, "0x%x", static_cast<unsigned>(d.flags));
      throw MachOError(std::string("is not signed ad hoc (flags ") + flags +
                       "), which this check cannot verify");
    }
    if (d.identifier != binding.identifier) {
      throw MachOError("is signed as '" + d.identifier + "', not as the bundle's '" +
                       binding.identifier + "'");
    }
    if (d.specialSlots.size() < kBoundSpecialSlots) {
      throw MachOError("binds " + std::to_string(d.specialSlots.size()) +
                       " special slots, not Info.plist, the requirements and the seal");
    }
    if (!SameHash(d.specialSlots[kInfoPlistSlot - 1], Sha256(binding.infoPlist))) {
      throw MachOError("its signature binds another Info.plist than the bundle's");
    }
    if (signature.requirements.empty()) throw MachOError("its signature holds no requirements");
    if (!SameHash(d.specialSlots[kRequirementsSlot - 1], Sha256(signature.requirements))) {
      throw MachOError("its signature binds other requirements than it holds");
    }
    if (!SameHash(d.specialSlots[kResourcesSlot - 1], Sha256(binding.codeResources))) {
      throw MachOError("its signature binds another seal than _CodeSignature/CodeResources "
                       "(the seal is stale, or the code was not signed with it)");
    }
  });
}

std::vector<std::uint8_t> SignCodeFile(const std::vector<std::uint8_t>& file,
                                       const BundleBinding& binding) {
  const std::vector<MachOSlice> slices = ReadMachOSlices(file);
  const Bytes bytes(file.data(), file.size());
  const std::uint32_t magic = bytes.bigEndian32(0, "the magic number");
  if (magic != kFatMagic && magic != kFatMagic64) {
    return ForSlice(slices.front(), [&] { return SignSlice(bytes, slices.front(), binding); });
  }
  // Universal: the same table, each slice signed and placed at its alignment again.
  const bool wide = magic == kFatMagic64;
  const std::uint64_t entrySize = wide ? sizeof(FatArch64) : sizeof(FatArch);
  std::vector<FatEntry> entries;
  for (std::size_t i = 0; i < slices.size(); ++i) {
    const std::uint64_t at = sizeof(FatHeader) + i * entrySize;
    const std::uint32_t alignLog2 =
        bytes.bigEndian32(at + (wide ? 24 : 16), "a slice entry");
    if (alignLog2 > 16) throw MachOError("a slice of the universal file is aligned to 2^" +
                                         std::to_string(alignLog2));
    entries.push_back({slices[i].cpuType, bytes.bigEndian32(at + 4, "a slice entry"), alignLog2});
  }
  std::vector<std::uint8_t> out(sizeof(FatHeader) + slices.size() * entrySize, 0);
  std::vector<std::uint8_t> table;
  PutBig32(table, magic);
  PutBig32(table, static_cast<std::uint32_t>(slices.size()));
  for (std::size_t i = 0; i < slices.size(); ++i) {
    const std::vector<std::uint8_t> signedSlice = ForSlice(slices[i], [&] {
      return SignSlice(SliceBytes(file, slices[i]), slices[i], binding);
    });
    out.resize(RoundUp(out.size(), std::uint64_t{1} << entries[i].alignLog2), 0);
    const std::uint64_t offset = out.size();
    out.insert(out.end(), signedSlice.begin(), signedSlice.end());
    PutBig32(table, entries[i].cpuType);
    PutBig32(table, entries[i].cpuSubtype);
    if (wide) {
      PutBig64(table, offset);
      PutBig64(table, signedSlice.size());
      PutBig32(table, entries[i].alignLog2);
      PutBig32(table, 0);
    } else {
      if (out.size() > UINT32_MAX) throw MachOError("the universal file grows beyond 4 GiB");
      PutBig32(table, static_cast<std::uint32_t>(offset));
      PutBig32(table, static_cast<std::uint32_t>(signedSlice.size()));
      PutBig32(table, entries[i].alignLog2);
    }
  }
  std::copy(table.begin(), table.end(), out.begin());
  return out;
}

void RehashCodePages(std::vector<std::uint8_t>& file) {
  for (const MachOSlice& slice : ReadMachOSlices(file)) {
    ForSlice(slice, [&] {
      const Bytes bytes = SliceBytes(file, slice);
      const FoundSignature signature = ReadSignature(bytes, slice);
      for (const FoundDirectory& found : signature.directories) {
        const CodeDirectory& d = found.directory;
        CheckDirectoryShape(d, signature.offset);
        SignatureBytes(bytes, slice).require(
            found.hashOffset, std::uint64_t{d.codeSlots} * d.hashSize, "the page hashes");
        std::uint8_t* hashes = file.data() + slice.range.offset + signature.offset + found.hashOffset;
        ForEachPage(d, [&](std::uint32_t page, std::uint64_t start, std::uint64_t length) {
          const Sha256Digest digest = Sha256(bytes.data() + start, length);
          std::copy(digest.begin(), digest.begin() + d.hashSize, hashes + page * d.hashSize);
        });
      }
    });
  }
}

}  // namespace testhost
