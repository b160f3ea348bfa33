// What is checked of a code file before it is loaded, from its size and headers: a damaged or
// hostile file is refused with one line naming the problem, before the system loader maps it (a
// segment cut short would fault on first touch).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "testhost/formats/File.h"

namespace testhost {

// What the first bytes say a file is.
enum class BinaryFormat { kElf, kPortableExecutable, kMachO, kUnknown };
BinaryFormat FormatOf(const std::vector<std::uint8_t>& head);

// The 16-bit machine word of a Windows image: 0x8664 for x86_64.
using PeMachine = std::uint16_t;

// Throws LoadError (without the path) unless the file is a Windows DLL whose DOS and NT headers,
// section table and every section's raw data lie inside it (ReadPeImage), built for `machine`
// when one is given. A range outside the file is "<part> (bytes A to B) runs past the end of
// the file (N bytes): it is cut short or damaged".
void CheckPortableExecutable(CheckedFile& file, std::optional<PeMachine> machine);

#if defined(__linux__)
// Throws LoadError (without the path) unless the file is an ELF shared library of this build's
// class, byte order and machine whose header, program headers, every segment's file range,
// section header table and sections lie inside it, with at least one loadable segment.
void CheckElfLibrary(CheckedFile& file);
#endif

}  // namespace testhost
