// Reading a slice's signature: the SuperBlob, its index and every CodeDirectory, bounds-checked.
#include <algorithm>

#include "CodeSignatureFormat.h"

namespace testhost {

namespace macho {

namespace {

FoundDirectory ReadDirectory(const ByteReader& signature, std::uint64_t offset) {
  const std::string what = "the code directory";
  if (signature.be32(offset, what) != kCodeDirectoryMagic) {
    throw MachOError("the code directory has the wrong magic number");
  }
  const std::uint32_t length = signature.be32(offset + 4, what);
  const ByteReader cd = signature.window(offset, length, what);
  FoundDirectory found;
  found.offset = offset;
  CodeDirectory& d = found.directory;
  d.version = cd.be32(8, what);
  d.flags = cd.be32(12, what);
  const std::uint32_t hashOffset = cd.be32(16, what);
  const std::uint32_t identOffset = cd.be32(20, what);
  const std::uint32_t specialSlots = cd.be32(24, what);
  d.codeSlots = cd.be32(28, what);
  d.codeLimit = cd.be32(32, what);
  d.hashSize = cd.record<std::uint8_t>(36, what);
  d.hashType = cd.record<std::uint8_t>(37, what);
  const std::uint8_t pageSizeLog2 = cd.record<std::uint8_t>(39, what);
  if (pageSizeLog2 >= 32) throw MachOError("the code directory's page size is malformed");
  d.pageSize = pageSizeLog2 ? 1u << pageSizeLog2 : 0;
  if (d.version >= kExecSegmentVersion) d.execSegmentLimit = cd.be64(72, what);
  if (d.hashSize == 0) throw MachOError("the code directory's hashes are empty");
  ByteCursor identifier(cd.window(identOffset, cd.size() - std::min<std::uint64_t>(identOffset, cd.size()),
                              "the signing identifier"),
                    "the signing identifier");
  d.identifier = identifier.cstring();
  const std::uint64_t specialBytes = std::uint64_t{specialSlots} * d.hashSize;
  if (specialBytes > hashOffset) throw MachOError("the special slots lie before the code directory");
  for (std::uint32_t slot = 1; slot <= specialSlots; ++slot) {
    const ByteReader hash = cd.window(hashOffset - std::uint64_t{slot} * d.hashSize, d.hashSize,
                                 "a special slot");
    d.specialSlots.emplace_back(hash.data(), hash.data() + hash.size());
  }
  found.hashOffset = offset + hashOffset;
  return found;
}

}  // namespace

ByteReader SliceBytes(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  return ByteReader(file.data(), file.size()).window(slice.range.offset, slice.range.size, "the slice");
}

ByteReader SignatureBytes(const ByteReader& sliceBytes, const MachOSlice& slice) {
  return sliceBytes.window(slice.codeSignature->offset, slice.codeSignature->size, "the signature");
}

FoundSignature ReadSignature(const ByteReader& sliceBytes, const MachOSlice& slice) {
  if (!slice.codeSignature) throw MachOError("carries no code signature");
  FoundSignature found;
  found.offset = slice.codeSignature->offset;
  const ByteReader signature = SignatureBytes(sliceBytes, slice);
  if (signature.be32(0, "the signature's header") != kSuperBlobMagic) {
    throw MachOError("its signature is not a SuperBlob");
  }
  const std::uint32_t length = signature.be32(4, "the signature's header");
  const std::uint32_t count = signature.be32(8, "the signature's header");
  signature.require(0, length, "the SuperBlob");
  const ByteReader blobs = signature.window(0, length, "the SuperBlob");
  blobs.require(kSuperBlobHeaderSize, std::uint64_t{count} * kBlobIndexEntrySize, "the blob index");
  found.summary.superBlobSize = length;
  bool primary = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = kSuperBlobHeaderSize + std::uint64_t{i} * kBlobIndexEntrySize;
    const std::uint32_t type = blobs.be32(entry, "the blob index");
    const std::uint32_t offset = blobs.be32(entry + 4, "the blob index");
    found.summary.blobTypes.push_back(type);
    if (type == kCodeDirectoryBlob) {
      found.directories.insert(found.directories.begin(), ReadDirectory(blobs, offset));
      primary = true;
    } else if (type >= kAlternateCodeDirectoryBlobs &&
               type < kAlternateCodeDirectoryBlobs + kAlternateCodeDirectoryCount) {
      found.directories.push_back(ReadDirectory(blobs, offset));
    } else if (type == kRequirementsBlob) {
      const std::uint32_t size = blobs.be32(offset + 4, "the requirements");
      const ByteReader requirements = blobs.window(offset, size, "the requirements");
      found.summary.requirements.assign(requirements.data(),
                                        requirements.data() + requirements.size());
    }
  }
  if (!primary) throw MachOError("its signature holds no code directory");
  found.summary.directory = found.directories.front().directory;
  return found;
}

}  // namespace macho

SliceSignature ReadSliceSignature(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  return macho::ForSlice(slice, [&] {
    return macho::ReadSignature(macho::SliceBytes(file, slice), slice).summary;
  });
}

}  // namespace testhost
