// What the stand-in host checks of a file before it loads or reads it, from the file's size and
// the few headers at known places: a damaged or hostile file is refused with one line naming the
// problem, before the system loader maps it (a segment cut short would fault on first touch) and
// before anything is read whole.
#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testhost/loader/PluginModule.h"
#include "testhost/registration/EscapedText.h"

namespace testhost {

// Larger files are refused unread. The plug-in is tens of kilobytes (half a megabyte with debug
// information); its resource file a few kilobytes, and the resource map's offsets reach 16 MiB.
constexpr std::uint64_t kMaxPluginFileSize = std::uint64_t{64} << 20;
constexpr std::uint64_t kMaxResourceFileSize = std::uint64_t{16} << 20;

// A regular file of bounded size, open for reads at given offsets. Every error is a LoadError
// whose message names the file and the problem on one line.
class CheckedFile {
 public:
  // `what` names the file's role in messages ("plug-in", "resource file"). Refuses a missing
  // path, anything but a regular file (a folder, a device, a pipe), a file larger than
  // `maxSize`, and a file that cannot be opened.
  CheckedFile(const std::string& path, std::uint64_t maxSize, const std::string& what);

  const std::string& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  // `count` bytes at `offset`, fewer where the file ends first.
  std::vector<std::uint8_t> read(std::uint64_t offset, std::size_t count);
  // Every byte; the size was bounded when the file was opened.
  std::vector<std::uint8_t> readAll() { return read(0, static_cast<std::size_t>(size_)); }

 private:
  std::string path_;
  std::uint64_t size_ = 0;
  std::ifstream in_;
};

// What the first bytes say a file is.
enum class BinaryFormat { kElf, kPortableExecutable, kMachO, kUnknown };
BinaryFormat FormatOf(const std::vector<std::uint8_t>& head);

// The 16-bit machine word of a Windows image: 0x8664 for x86_64.
using PeMachine = std::uint16_t;

// Throws LoadError (without the path) unless the file is a Windows DLL whose DOS and NT headers,
// section table and every section's raw data lie inside it, built for `machine` when one is
// given (for a 64-bit machine, with the 64-bit optional header).
void CheckPortableExecutable(CheckedFile& file, std::optional<PeMachine> machine);

#if defined(__linux__)
// Throws LoadError (without the path) unless the file is an ELF shared library of this build's
// class, byte order and machine whose header, program headers, every segment's file range,
// section header table and sections lie inside it, with at least one loadable segment.
void CheckElfLibrary(CheckedFile& file);
#endif

// The check before loading the plug-in code file `code` (of the plug-in named `path`): a regular
// file of a sane size in a format this build loads, laid out inside its bytes (ELF and Windows
// images in full; macOS code by its first bytes, its loader checking the rest as it reads).
// Throws LoadError "cannot load plug-in PATH: ..." naming the first problem; nothing is loaded.
void CheckPluginFile(const std::string& path, const std::string& code);

}  // namespace testhost
