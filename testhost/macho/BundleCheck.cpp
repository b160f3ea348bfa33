// Verifying a bundle's signature as a whole, as macOS does before it loads the bundle: each
// slice's pages and what it binds, read from the bundle by this check itself, then the seal.
#include "ResourceSeal.h"
#include "testhost/macho/Bundle.h"
#include "testhost/macho/CodeSignature.h"

namespace testhost {

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxSealSize = std::uintmax_t{4} << 20;

}  // namespace

std::vector<std::string> VerifyBundle(const MacBundle& bundle) {
  std::vector<std::string> lines;
  const std::vector<std::uint8_t> code = ReadMachOFile(bundle.codeFile().u8string());
  std::error_code ec;
  if (!fs::is_regular_file(bundle.seal(), ec)) {
    throw MachOError("the bundle has no seal (Contents/_CodeSignature/CodeResources): it was "
                     "not signed as a whole");
  }
  BundleBinding found;
  found.identifier = bundle.identifier;
  found.infoPlist =
      macho::ReadBundleFile(bundle.infoPlist(), "an Info.plist", macho::kMaxInfoPlistSize);
  found.codeResources = macho::ReadBundleFile(bundle.seal(), "a seal", kMaxSealSize);
  for (const MachOSlice& slice : ReadMachOSlices(code)) {
    const std::string arch = CpuTypeName(slice.cpuType);
    const PageHashSummary pages = VerifyPageHashes(code, slice);
    VerifyBundleBinding(code, slice, found);
    lines.push_back(arch + ": " + std::to_string(pages.pages) + " pages of " +
                    std::to_string(pages.pageSize) + " bytes, every hash matching; signed ad hoc "
                    "as " + bundle.identifier + ", binding Info.plist, the requirements and the seal");
  }
  const std::size_t sealed = macho::VerifyResourceSeal(bundle, found.codeResources);
  lines.push_back("seal: " + std::to_string(sealed) + (sealed == 1 ? " file" : " files") +
                  ", every hash matching, none left out");
  return lines;
}

}  // namespace testhost
