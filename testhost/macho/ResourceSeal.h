// The seal of a bundle's resources, Contents/_CodeSignature/CodeResources: an XML property list
// whose `files` (version 1, SHA-1) and `files2` (version 2, SHA-256) name every file the rules
// seal, by its path below Contents/, and whose `rules` and `rules2` say which files those are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "testhost/macho/Bundle.h"

namespace testhost::macho {

// The seal of the bundle as it is now, under the standard rules. Throws MachOError for what the
// seal cannot hold: nested code, links, or anything beside Contents/ in the bundle folder.
std::vector<std::uint8_t> WriteResourceSeal(const MacBundle& bundle);

// Checks the bundle's files against `seal`, under the rules it carries: every sealed file is
// there with its hashes, and every file the rules seal is in it. Returns how many files it
// checked; throws MachOError naming the first file that differs.
std::size_t VerifyResourceSeal(const MacBundle& bundle, const std::vector<std::uint8_t>& seal);

// Reads a file of the bundle, at most `limit` bytes; throws MachOError naming it otherwise.
std::vector<std::uint8_t> ReadBundleFile(const std::filesystem::path& path, const char* what,
                                         std::uintmax_t limit);

}  // namespace testhost::macho
