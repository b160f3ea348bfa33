// The macOS code file describes how to unwind each function in the compact form of
// __TEXT,__unwind_info; the unwinder of a Linux process reads DWARF frame data only. These turn
// the one into the other, so that exceptions thrown and caught inside the loaded code work.
#pragma once

#include <cstdint>
#include <vector>

#include "testhost/formats/ByteReader.h"
#include "testhost/formats/MachO.h"

namespace testhost::macho {

// One function of the compact-unwind table; offsets are from the Mach-O header.
struct UnwindFunction {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  std::uint32_t encoding = 0;
  std::uint64_t lsda = 0;             // 0: none
  std::uint64_t personalitySlot = 0;  // of the pointer to the personality routine; 0: none
};

// Every function of the section, in address order. Throws MachOError when the section is
// malformed or a reference in it points outside it.
std::vector<UnwindFunction> ReadCompactUnwind(ByteReader section);

// An .eh_frame for the functions of the image mapped at `image` (its bytes from the header on,
// already bound) for the architecture `cpuType`: one CIE per personality routine (read from its
// pointer slot), one FDE per function with unwind information, and the closing zero word, ready
// for __register_frame. The frame and frameless encodings of x86_64 and arm64 are translated
// (arm64 frameless ones only without saved registers); throws MachOError naming the function for
// any other, or for data that points outside the image.
std::vector<std::uint8_t> BuildEhFrame(const std::vector<UnwindFunction>& functions, ByteReader image,
                                       std::uint32_t cpuType);

}  // namespace testhost::macho
