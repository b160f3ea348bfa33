// The test helper that recomputes a damaged file's page hashes, so that the loader looks past
// its signature; it walks the pages the check walks.
#include "CodeSignatureCheck.h"
#include "CodeSignatureFormat.h"

namespace testhost {

void RehashCodePages(std::vector<std::uint8_t>& file) {
  using namespace macho;
  for (const MachOSlice& slice : ReadMachOSlices(file)) {
    ForSlice(slice, [&] {
      const ByteReader bytes = SliceBytes(file, slice);
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
