// The ad-hoc signer of a bundle's code: each slice's signature replaced by one that binds the
// bundle, and a universal file laid out again around the grown slices.
#include <algorithm>
#include <cstring>

#include "CodeSignatureFormat.h"
#include "testhost/formats/MachOFormat.h"

namespace testhost {

namespace {

using namespace macho;

constexpr std::uint32_t kCodeDirectoryHeaderSize = 88;  // through execSegFlags
constexpr std::uint8_t kSignedPageSizeLog2 = 12;
constexpr std::uint32_t kSignedPageSize = 1u << kSignedPageSizeLog2;
constexpr std::uint8_t kSignedHashSize = 32;
// The slots bound run from 1 to the highest of them.
constexpr std::uint32_t kBoundSpecialSlots = kResourcesSlot;
constexpr std::uint32_t kSignedBlobCount = 3;  // the directory, the requirements, the wrapper
// The empty requirement set and the empty signature wrapper of an ad-hoc signature.
constexpr std::uint8_t kEmptyRequirements[] = {0xFA, 0xDE, 0x0C, 0x01, 0, 0, 0, 12, 0, 0, 0, 0};
constexpr std::uint8_t kEmptySignatureWrapper[] = {0xFA, 0xDE, 0x0B, 0x01, 0, 0, 0, 8};
// The signature's size is kept a multiple of this, as the linker leaves it.
constexpr std::uint32_t kSignatureAlignment = 16;
// A universal file's slices are aligned to at most 2^this.
constexpr std::uint32_t kMaxSliceAlignmentLog2 = 16;

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

// Where each part of the new signature goes; offsets within the SuperBlob but for codeLimit.
struct SignatureLayout {
  std::uint64_t codeLimit = 0;  // where the signature starts in the slice
  std::uint64_t pages = 0;
  std::uint64_t identOffset = 0;  // within the directory, as hashOffset
  std::uint64_t hashOffset = 0;
  std::uint64_t directorySize = 0;
  std::uint64_t directoryAt = 0;
  std::uint64_t requirementsAt = 0;
  std::uint64_t wrapperAt = 0;
  std::uint64_t superBlobSize = 0;
  std::uint64_t dataSize = 0;  // LC_CODE_SIGNATURE's datasize: the SuperBlob and spare zeros
};

// Checks that the slice's signature ends its __LINKEDIT segment, the last one, so that it can
// grow in place. Throws MachOError otherwise.
void CheckSignatureCanGrow(const MachOSlice& info, const MachOSegment* linkedit) {
  const std::uint64_t codeLimit = info.codeSignature->offset;
  if (!linkedit || !info.findSegment("__TEXT") ||
      linkedit->fileOffset + linkedit->fileSize != codeLimit + info.codeSignature->size ||
      codeLimit < linkedit->fileOffset || codeLimit % kSignatureAlignment != 0) {
    throw MachOError("its signature is not the 16-byte aligned end of its __LINKEDIT segment");
  }
  for (const MachOSegment& segment : info.segments) {
    if (&segment != linkedit && segment.address >= linkedit->address && segment.vmSize > 0) {
      throw MachOError("segment " + segment.name + " lies above __LINKEDIT, which must grow");
    }
  }
}

SignatureLayout PlanSignature(std::uint64_t codeLimit, const std::string& identifier) {
  SignatureLayout l;
  l.codeLimit = codeLimit;
  l.pages = (codeLimit + kSignedPageSize - 1) / kSignedPageSize;
  l.identOffset = kCodeDirectoryHeaderSize;
  l.hashOffset = l.identOffset + identifier.size() + 1 + kSignedHashSize * kBoundSpecialSlots;
  l.directorySize = l.hashOffset + kSignedHashSize * l.pages;
  l.directoryAt = kSuperBlobHeaderSize + kSignedBlobCount * kBlobIndexEntrySize;
  l.requirementsAt = l.directoryAt + l.directorySize;
  l.wrapperAt = l.requirementsAt + sizeof kEmptyRequirements;
  l.superBlobSize = l.wrapperAt + sizeof kEmptySignatureWrapper;
  l.dataSize = RoundUp(l.superBlobSize, kSignatureAlignment);
  if (codeLimit > UINT32_MAX || l.dataSize > UINT32_MAX) throw MachOError("is too large to sign");
  return l;
}

// Grows LC_CODE_SIGNATURE and __LINKEDIT in the slice's header to hold the new signature.
void GrowLinkedit(std::vector<std::uint8_t>& out, const MachOSlice& info,
                  const MachOSegment& linkedit, const SignatureLayout& l) {
  StoreLittle(out, info.codeSignatureCommandOffset + offsetof(LinkeditDataCommand, dataSize),
              static_cast<std::uint32_t>(l.dataSize));
  const std::uint64_t fileSize = l.codeLimit + l.dataSize - linkedit.fileOffset;
  StoreLittle(out, linkedit.commandOffset + offsetof(SegmentCommand64, fileSize), fileSize);
  StoreLittle(out, linkedit.commandOffset + offsetof(SegmentCommand64, vmSize),
              RoundUp(fileSize, SegmentPageSize(info.cpuType)));
}

void AppendSuperBlobHeader(std::vector<std::uint8_t>& blob, const SignatureLayout& l) {
  PutBig32(blob, kSuperBlobMagic);
  PutBig32(blob, static_cast<std::uint32_t>(l.superBlobSize));
  PutBig32(blob, kSignedBlobCount);
  for (const auto& [type, at] : {std::pair{kCodeDirectoryBlob, l.directoryAt},
                                 std::pair{kRequirementsBlob, l.requirementsAt},
                                 std::pair{kSignatureWrapperBlob, l.wrapperAt}}) {
    PutBig32(blob, type);
    PutBig32(blob, static_cast<std::uint32_t>(at));
  }
}

// The CodeDirectory's fixed fields and identifier, up to its first special slot.
void AppendDirectoryHeader(std::vector<std::uint8_t>& blob, const SignatureLayout& l,
                           const std::string& identifier, std::uint64_t textFileSize) {
  PutBig32(blob, kCodeDirectoryMagic);
  PutBig32(blob, static_cast<std::uint32_t>(l.directorySize));
  PutBig32(blob, kExecSegmentVersion);
  PutBig32(blob, kCodeSignatureAdHoc);
  PutBig32(blob, static_cast<std::uint32_t>(l.hashOffset));
  PutBig32(blob, static_cast<std::uint32_t>(l.identOffset));
  PutBig32(blob, kBoundSpecialSlots);
  PutBig32(blob, static_cast<std::uint32_t>(l.pages));
  PutBig32(blob, static_cast<std::uint32_t>(l.codeLimit));
  blob.insert(blob.end(), {kSignedHashSize, kHashSha256, 0, kSignedPageSizeLog2});  // 0: platform
  PutBig32(blob, 0);  // spare2
  PutBig32(blob, 0);  // scatterOffset
  PutBig32(blob, 0);  // teamOffset
  PutBig32(blob, 0);  // spare3
  PutBig64(blob, 0);  // codeLimit64
  PutBig64(blob, 0);  // execSegBase
  PutBig64(blob, textFileSize);
  PutBig64(blob, 0);  // execSegFlags: a plug-in, not a main executable
  blob.insert(blob.end(), identifier.begin(), identifier.end());
  blob.push_back(0);
}

// The special slots, slot n at hashOffset - 32 n: the highest number first.
void AppendSpecialSlots(std::vector<std::uint8_t>& blob, const BundleBinding& binding,
                        const std::vector<std::uint8_t>& requirements) {
  std::array<Sha256Digest, kBoundSpecialSlots> slots{};  // slots[n - 1] holds slot n
  slots[kInfoPlistSlot - 1] = Sha256(binding.infoPlist);
  slots[kRequirementsSlot - 1] = Sha256(requirements);
  slots[kResourcesSlot - 1] = Sha256(binding.codeResources);
  for (std::uint32_t slot = kBoundSpecialSlots; slot >= 1; --slot) {
    blob.insert(blob.end(), slots[slot - 1].begin(), slots[slot - 1].end());
  }
}

void AppendPageHashes(std::vector<std::uint8_t>& blob, const std::vector<std::uint8_t>& code,
                      const SignatureLayout& l) {
  for (std::uint64_t page = 0; page < l.pages; ++page) {
    const std::uint64_t start = page * kSignedPageSize;
    const Sha256Digest hash =
        Sha256(code.data() + start, std::min<std::uint64_t>(kSignedPageSize, l.codeLimit - start));
    blob.insert(blob.end(), hash.begin(), hash.end());
  }
}

// The slice's signature replaced by the one that binds `binding`.
std::vector<std::uint8_t> SignSlice(const ByteReader& slice, const MachOSlice& info,
                                    const BundleBinding& binding) {
  if (!info.codeSignature) {
    throw MachOError("has no signature to replace (link it with -adhoc_codesign)");
  }
  const MachOSegment* linkedit = info.findSegment("__LINKEDIT");
  CheckSignatureCanGrow(info, linkedit);
  const SignatureLayout layout = PlanSignature(info.codeSignature->offset, binding.identifier);
  std::vector<std::uint8_t> out(slice.data(), slice.data() + layout.codeLimit);
  // The header is page 0: edit it before any page is hashed.
  GrowLinkedit(out, info, *linkedit, layout);
  const std::vector<std::uint8_t> requirements(std::begin(kEmptyRequirements),
                                               std::end(kEmptyRequirements));
  std::vector<std::uint8_t> blob;
  AppendSuperBlobHeader(blob, layout);
  AppendDirectoryHeader(blob, layout, binding.identifier, info.findSegment("__TEXT")->fileSize);
  AppendSpecialSlots(blob, binding, requirements);
  AppendPageHashes(blob, out, layout);
  blob.insert(blob.end(), requirements.begin(), requirements.end());
  blob.insert(blob.end(), std::begin(kEmptySignatureWrapper), std::end(kEmptySignatureWrapper));
  blob.resize(layout.dataSize, 0);
  out.insert(out.end(), blob.begin(), blob.end());
  return out;
}

// A slice's entry in the universal header, but for its place, which signing changes.
struct FatEntry {
  std::uint32_t cpuType, cpuSubtype, alignLog2;
};

std::vector<FatEntry> ReadFatEntries(const ByteReader& bytes, const std::vector<MachOSlice>& slices,
                                     bool wide) {
  const std::uint64_t entrySize = wide ? sizeof(FatArch64) : sizeof(FatArch);
  std::vector<FatEntry> entries;
  for (std::size_t i = 0; i < slices.size(); ++i) {
    const std::uint64_t at = sizeof(FatHeader) + i * entrySize;
    const std::uint32_t alignLog2 = bytes.be32(at + (wide ? 24 : 16), "a slice entry");
    if (alignLog2 > kMaxSliceAlignmentLog2) {
      throw MachOError("a slice of the universal file is aligned to 2^" + std::to_string(alignLog2));
    }
    entries.push_back({slices[i].cpuType, bytes.be32(at + 4, "a slice entry"), alignLog2});
  }
  return entries;
}

void PutFatEntry(std::vector<std::uint8_t>& table, const FatEntry& entry, bool wide,
                 std::uint64_t offset, std::uint64_t size) {
  PutBig32(table, entry.cpuType);
  PutBig32(table, entry.cpuSubtype);
  if (wide) {
    PutBig64(table, offset);
    PutBig64(table, size);
    PutBig32(table, entry.alignLog2);
    PutBig32(table, 0);  // reserved
  } else {
    if (offset + size > UINT32_MAX) throw MachOError("the universal file grows beyond 4 GiB");
    PutBig32(table, static_cast<std::uint32_t>(offset));
    PutBig32(table, static_cast<std::uint32_t>(size));
    PutBig32(table, entry.alignLog2);
  }
}

}  // namespace

std::vector<std::uint8_t> SignCodeFile(const std::vector<std::uint8_t>& file,
                                       const BundleBinding& binding) {
  const std::vector<MachOSlice> slices = ReadMachOSlices(file);
  const ByteReader bytes(file.data(), file.size());
  const std::uint32_t magic = bytes.be32(0, "the magic number");
  if (magic != kFatMagic && magic != kFatMagic64) {
    return ForSlice(slices.front(), [&] { return SignSlice(bytes, slices.front(), binding); });
  }
  // Universal: the same table, each slice signed and placed at its alignment again.
  const bool wide = magic == kFatMagic64;
  const std::vector<FatEntry> entries = ReadFatEntries(bytes, slices, wide);
  const std::uint64_t entrySize = wide ? sizeof(FatArch64) : sizeof(FatArch);
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
    PutFatEntry(table, entries[i], wide, offset, signedSlice.size());
  }
  std::copy(table.begin(), table.end(), out.begin());
  return out;
}

}  // namespace testhost
