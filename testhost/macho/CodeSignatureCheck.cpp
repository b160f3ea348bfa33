// The check of a slice's signature: its page hashes, and what it binds of its bundle. It decides
// by its own code how many pages there are and which special slot holds what; it shares with the
// signer only the named constants of the layout.
#include "CodeSignatureCheck.h"

#include <cstdio>

#include "CodeSignatureFormat.h"

namespace testhost {

namespace macho {

namespace {

// Pages of `pageSize` bytes that cover `codeLimit` bytes, the last one short; a page size of 0
// is one page over everything signed.
std::uint64_t PagesCovering(std::uint64_t codeLimit, std::uint64_t pageSize) {
  if (codeLimit == 0) return 0;
  if (pageSize == 0) return 1;
  return codeLimit / pageSize + (codeLimit % pageSize != 0 ? 1 : 0);
}

bool SameHash(const std::vector<std::uint8_t>& stored, const Sha256Digest& digest) {
  return stored.size() <= digest.size() && std::equal(stored.begin(), stored.end(), digest.begin());
}

void CheckFlags(const CodeDirectory& d) {
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
}

// One special slot the bundle's code must bind: its number, the bytes it hashes, and the problem
// named when it hashes other bytes.
struct BoundSlot {
  std::uint32_t slot;
  const std::vector<std::uint8_t>* bytes;
  const char* problem;
};

}  // namespace

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
  const std::uint64_t pages = PagesCovering(d.codeLimit, d.pageSize);
  if (d.codeSlots != pages) {
    throw MachOError("the code directory has " + std::to_string(d.codeSlots) +
                     " page hashes for " + std::to_string(pages) + " pages");
  }
}

}  // namespace macho

using namespace macho;

PageHashSummary VerifyPageHashes(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  return ForSlice(slice, [&] {
    const ByteReader bytes = SliceBytes(file, slice);
    const FoundSignature signature = ReadSignature(bytes, slice);
    for (const FoundDirectory& found : signature.directories) {
      const CodeDirectory& d = found.directory;
      CheckDirectoryShape(d, signature.offset);
      const ByteReader hashes = SignatureBytes(bytes, slice).window(
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
    return PageHashSummary{primary.codeSlots, primary.pageSize, primary.codeLimit};
  });
}

void VerifyBundleBinding(const std::vector<std::uint8_t>& file, const MachOSlice& slice,
                         const BundleBinding& binding) {
  ForSlice(slice, [&] {
    const SliceSignature signature = ReadSignature(SliceBytes(file, slice), slice).summary;
    const CodeDirectory& d = signature.directory;
    CheckFlags(d);
    if (d.identifier != binding.identifier) {
      throw MachOError("is signed as '" + d.identifier + "', not as the bundle's '" +
                       binding.identifier + "'");
    }
    if (signature.requirements.empty()) throw MachOError("its signature holds no requirements");
    const BoundSlot bound[] = {
        {kInfoPlistSlot, &binding.infoPlist, "its signature binds another Info.plist than the bundle's"},
        {kRequirementsSlot, &signature.requirements,
         "its signature binds other requirements than it holds"},
        {kResourcesSlot, &binding.codeResources,
         "its signature binds another seal than _CodeSignature/CodeResources (the seal is stale, "
         "or the code was not signed with it)"},
    };
    for (const BoundSlot& b : bound) {
      if (d.specialSlots.size() < b.slot) {
        throw MachOError("binds " + std::to_string(d.specialSlots.size()) +
                         " special slots, not Info.plist, the requirements and the seal");
      }
      if (!SameHash(d.specialSlots[b.slot - 1], Sha256(*b.bytes))) throw MachOError(b.problem);
    }
  });
}

}  // namespace testhost
