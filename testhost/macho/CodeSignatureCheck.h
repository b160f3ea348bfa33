// What the check takes a CodeDirectory's pages to be; the test helper that rehashes them walks
// the same pages, so that what it writes is what the check reads.
#pragma once

#include <algorithm>
#include <cstdint>

#include "testhost/macho/CodeSignature.h"

namespace testhost::macho {

// Checks that the directory can be recomputed (SHA-256, whole or truncated) and that it covers
// the slice up to its signature, one hash a page. Throws MachOError naming what differs.
void CheckDirectoryShape(const CodeDirectory& d, std::uint64_t signatureOffset);

// Calls `each(page, start, length)` for every page of a directory CheckDirectoryShape accepted.
template <class Each>
void ForEachPage(const CodeDirectory& d, Each each) {
  const std::uint64_t pageSize = d.pageSize ? d.pageSize : d.codeLimit;
  for (std::uint32_t page = 0; page < d.codeSlots; ++page) {
    const std::uint64_t start = std::uint64_t{page} * pageSize;
    each(page, start, std::min(pageSize, d.codeLimit - start));
  }
}

}  // namespace testhost::macho
