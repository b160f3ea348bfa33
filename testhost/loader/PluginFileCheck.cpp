#include "testhost/loader/PluginFileCheck.h"

#include <cstdint>
#include <vector>

namespace testhost {

namespace {

// A Windows image's headers start with the DOS header: enough bytes to tell the format.
constexpr std::size_t kHeadSize = 64;

#if defined(_WIN32)
#if defined(__x86_64__) || defined(_M_X64)
constexpr PeMachine kNativePeMachine = 0x8664;
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr PeMachine kNativePeMachine = 0xAA64;
#elif defined(__i386__) || defined(_M_IX86)
constexpr PeMachine kNativePeMachine = 0x14C;
#else
#error "the stand-in host does not know the Windows machine of this architecture"
#endif
#endif

}  // namespace

void CheckPluginFile(const std::string& path, const std::string& code) {
  try {
    CheckedFile file(code, kMaxPluginFileSize, "a plug-in");
    const std::vector<std::uint8_t> head = file.read(0, kHeadSize);
    switch (FormatOf(head)) {
      case BinaryFormat::kElf:
#if defined(__linux__)
        CheckElfLibrary(file);
        return;
#else
        throw LoadError("a Linux library, which this build does not load");
#endif
      case BinaryFormat::kPortableExecutable:
#if defined(_WIN32)
        CheckPortableExecutable(file, kNativePeMachine);
        return;
#else
        throw LoadError("a Windows plug-in, which only the Windows build of the stand-in host loads");
#endif
      case BinaryFormat::kMachO:
        return;  // its loader checks every range as it reads the file
      case BinaryFormat::kUnknown:
        throw LoadError(head.empty() ? "an empty file"
                                     : "not a library: neither ELF, a Windows image nor macOS code");
    }
  } catch (const LoadError& e) {
    throw LoadError("cannot load plug-in " + path + ": " + (code == path ? "" : code + ": ") +
                    e.what());
  }
}

}  // namespace testhost
