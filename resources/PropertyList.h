// Builds the registration property list of one effect as the bytes the host reads.
#pragma once

#include "ZelfinEffects.h"

#include <cstdint>
#include <vector>

namespace zelfin {

// Windows lists are little-endian, start with the word 1 and name the entry point under `8664`
// as a zero-terminated string. macOS lists are big-endian, have no leading word and name it as a
// length-prefixed string twice: under `mi64` for Intel hosts and right after under `ma64` for
// Apple-silicon hosts, the same function in both slices of the one code file.
enum class ResourcePlatform { kWindows, kMac };

std::vector<std::uint8_t> BuildPropertyList(const EffectDescription& effect,
                                            ResourcePlatform platform);

}  // namespace zelfin
