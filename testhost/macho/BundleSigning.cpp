// Signing a bundle as a whole: its seal written, then its code signed to bind it.
#include <fstream>

#include "ResourceSeal.h"
#include "testhost/macho/Bundle.h"
#include "testhost/macho/CodeSignature.h"

namespace testhost {

namespace {

namespace fs = std::filesystem;

// Writes `bytes` to `path` through a file beside it, so that a failure leaves the old file.
void Replace(const fs::path& path, const std::vector<std::uint8_t>& bytes,
             fs::perms permissions) {
  const fs::path temporary = path.string() + ".signing";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw MachOError("cannot write " + temporary.string());
  }
  std::error_code ec;
  fs::permissions(temporary, permissions, ec);
  fs::rename(temporary, path, ec);
  if (ec) {
    fs::remove(temporary, ec);
    throw MachOError("cannot replace " + path.string());
  }
}

}  // namespace

void SignBundle(const MacBundle& bundle) {
  std::vector<std::uint8_t> seal = macho::WriteResourceSeal(bundle);
  const BundleBinding binding{
      bundle.identifier,
      macho::ReadBundleFile(bundle.infoPlist(), "an Info.plist", macho::kMaxInfoPlistSize), seal};
  const std::vector<std::uint8_t> code =
      SignCodeFile(ReadMachOFile(bundle.codeFile().u8string()), binding);
  // The code first, the seal last: a build that sees the seal sees a bundle signed throughout.
  Replace(bundle.codeFile(), code, fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
  std::error_code ec;
  fs::create_directories(bundle.seal().parent_path(), ec);
  Replace(bundle.seal(), seal, fs::perms::owner_read | fs::perms::owner_write |
                                   fs::perms::group_read | fs::perms::others_read);
}

}  // namespace testhost
