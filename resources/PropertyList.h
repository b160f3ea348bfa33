// Builds the registration property list of one effect as the bytes the host reads.
#pragma once

#include "ZelfinEffects.h"

#include <cstdint>
#include <vector>

namespace zelfin {

// Windows lists are little-endian, start with the word 1 and name the entry point as a
// zero-terminated string: under `8664` in the x64 file, under `wa64` in the ARM64 file, which is
// a second .aex (a host on Windows on Arm loads only ARM64 code); the two files' lists differ in
// that key alone. macOS lists are big-endian, have no leading word and name it as a
// length-prefixed string twice: under `mi64` for Intel hosts and right after under `ma64` for
// Apple-silicon hosts, the same function in both slices of the one code file.
enum class ResourcePlatform { kWindows, kWindowsArm64, kMac };

// The key under which a Windows list names its entry point: `8664` or `wa64`.
std::uint32_t WindowsEntryPointKey(ResourcePlatform platform);

std::vector<std::uint8_t> BuildPropertyList(const EffectDescription& effect,
                                            ResourcePlatform platform);

}  // namespace zelfin
