// The seal of a bundle's resources, Contents/_CodeSignature/CodeResources: an XML property list
// whose `files` (version 1, SHA-1) and `files2` (version 2, SHA-256) name every file the rules
// seal, by its path below Contents/, and whose `rules` and `rules2` say which files those are.
// The writer (ResourceSealWriter.cpp) and the check (ResourceSealCheck.cpp) each list the bundle
// and apply the rules by their own code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "testhost/macho/Bundle.h"

namespace testhost::macho {

// The folder file the Finder may leave beside Contents/; macOS ignores it there.
constexpr char kFinderFolderFile[] = ".DS_Store";

// No Info.plist, and no resource file, is read beyond these sizes.
constexpr std::uintmax_t kMaxInfoPlistSize = std::uintmax_t{1} << 20;
constexpr std::uintmax_t kMaxResourceSize = std::uintmax_t{64} << 20;

// The seal of the bundle as it is now, under the standard rules. Throws MachOError for what the
// seal cannot hold: nested code, links, anything beside Contents/ in the bundle folder but the
// Finder's folder file, or anything in _CodeSignature/ but the seal.
std::vector<std::uint8_t> WriteResourceSeal(const MacBundle& bundle);

// Checks the bundle's files against `seal`, as macOS does: under the version-2 rules and
// `files2` it carries (the version-1 ones only when it has no `files2`), every sealed file is
// there with its hashes and every file the rules seal is in it; nothing lies beside Contents/
// but the Finder's folder file, and nothing in _CodeSignature/ but the seal. Returns how many
// files it checked; throws MachOError naming the first file that differs.
std::size_t VerifyResourceSeal(const MacBundle& bundle, const std::vector<std::uint8_t>& seal);

// Reads a file of the bundle, at most `limit` bytes (ReadCheckedFile; `what` names its role);
// throws MachOError "PATH: <problem>" otherwise.
std::vector<std::uint8_t> ReadBundleFile(const std::filesystem::path& path, const char* what,
                                         std::uintmax_t limit);

}  // namespace testhost::macho
