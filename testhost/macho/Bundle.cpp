// Reading a bundle as the host finds its parts: Info.plist, and through it the code file.
#include "testhost/macho/Bundle.h"

#include "testhost/formats/File.h"
#include "PropertyLists.h"
#include "ResourceSeal.h"

namespace testhost {

namespace {

namespace fs = std::filesystem;

// The folder without a trailing separator, so that its name is the bundle's.
fs::path BundleFolder(const std::string& path) {
  fs::path folder = fs::u8path(path);
  while (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

}  // namespace

namespace macho {

std::vector<std::uint8_t> ReadBundleFile(const std::filesystem::path& path, const char* what,
                                         std::uintmax_t limit) {
  try {
    return ReadCheckedFile(path.u8string(), limit, what);
  } catch (const LoadError& e) {
    throw MachOError(path.u8string() + ": " + e.what());
  }
}

}  // namespace macho

bool IsBundleFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(fs::u8path(path) / "Contents", ec);
}

MacBundle ReadBundle(const std::string& path) {
  MacBundle bundle;
  bundle.folder = BundleFolder(path);
  const std::string name = bundle.folder.string();
  const macho::Plist info = macho::ParsePlist(
      macho::ReadBundleFile(bundle.infoPlist(), "an Info.plist", macho::kMaxInfoPlistSize),
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

}  // namespace testhost
