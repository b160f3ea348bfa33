#include "testhost/macho/Bundle.h"

#include <fstream>

#include "PropertyLists.h"
#include "ResourceSeal.h"
#include "testhost/macho/CodeSignature.h"

namespace testhost {

namespace {

namespace fs = std::filesystem;
using macho::ReadBundleFile;

constexpr std::uintmax_t kMaxInfoPlistSize = std::uintmax_t{1} << 20;
constexpr std::uintmax_t kMaxSealSize = std::uintmax_t{4} << 20;

// The folder without a trailing separator, so that its name is the bundle's.
fs::path BundleFolder(const std::string& path) {
  fs::path folder = fs::u8path(path);
  while (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

// What the code of the bundle binds.
BundleBinding Binding(const MacBundle& bundle, std::vector<std::uint8_t> seal) {
  return {bundle.identifier, ReadBundleFile(bundle.infoPlist(), "the bundle's", kMaxInfoPlistSize),
          std::move(seal)};
}

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

bool IsBundleFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(fs::u8path(path) / "Contents", ec);
}

MacBundle ReadBundle(const std::string& path) {
  MacBundle bundle;
  bundle.folder = BundleFolder(path);
  const std::string name = bundle.folder.string();
  const macho::Plist info = macho::ParsePlist(
      ReadBundleFile(bundle.infoPlist(), "the bundle's", kMaxInfoPlistSize),
      name + "/Contents/Info.plist");
  if (!macho::IsDictionary(info.get())) {
    throw MachOError(name + "/Contents/Info.plist holds no dictionary");
  }
  const std::optional<std::string> executable =
      macho::StringItem(info.get(), "CFBundleExecutable");
  if (!executable || executable->empty() || executable->find('/') != std::string::npos ||
      *executable == "." || *executable == "..") {
    throw MachOError(name + "/Contents/Info.plist names no code file (CFBundleExecutable)");
  }
  const std::optional<std::string> identifier =
      macho::StringItem(info.get(), "CFBundleIdentifier");
  if (!identifier || identifier->empty()) {
    throw MachOError(name + "/Contents/Info.plist gives no CFBundleIdentifier");
  }
  bundle.executable = *executable;
  bundle.identifier = *identifier;
  return bundle;
}

void SignBundle(const MacBundle& bundle) {
  const std::vector<std::uint8_t> seal = macho::WriteResourceSeal(bundle);
  const std::vector<std::uint8_t> code =
      SignCodeFile(ReadMachOFile(bundle.codeFile().u8string()),
                   Binding(bundle, seal));
  // The code first, the seal last: a build that sees the seal sees a bundle signed throughout.
  Replace(bundle.codeFile(), code, fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
  std::error_code ec;
  fs::create_directories(bundle.seal().parent_path(), ec);
  Replace(bundle.seal(), seal, fs::perms::owner_read | fs::perms::owner_write |
                                   fs::perms::group_read | fs::perms::others_read);
}

std::vector<std::string> VerifyBundle(const MacBundle& bundle) {
  std::vector<std::string> lines;
  const std::vector<std::uint8_t> code = ReadMachOFile(bundle.codeFile().u8string());
  std::error_code ec;
  if (!fs::is_regular_file(bundle.seal(), ec)) {
    throw MachOError("the bundle has no seal (Contents/_CodeSignature/CodeResources): it was "
                     "not signed as a whole");
  }
  const std::vector<std::uint8_t> seal = ReadBundleFile(bundle.seal(), "the seal", kMaxSealSize);
  const BundleBinding binding = Binding(bundle, seal);
  for (const MachOSlice& slice : ReadMachOSlices(code)) {
    const std::string arch = CpuTypeName(slice.cpuType);
    const PageHashSummary pages = VerifyPageHashes(code, slice);
    VerifyBundleBinding(code, slice, binding);
    lines.push_back(arch + ": " + std::to_string(pages.pages) + " pages of " +
                    std::to_string(pages.pageSize) + " bytes, every hash matching; signed ad hoc "
                    "as " + bundle.identifier + ", binding Info.plist, the requirements and the seal");
  }
  const std::size_t sealed = macho::VerifyResourceSeal(bundle, seal);
  lines.push_back("seal: " + std::to_string(sealed) + (sealed == 1 ? " file" : " files") +
                  ", every hash matching, none left out");
  return lines;
}

}  // namespace testhost
