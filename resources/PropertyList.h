// Builds the registration property list of one effect as the bytes the host reads.
#pragma once

#include "ZelfinEffects.h"

#include <cstdint>
#include <vector>

namespace zelfin {

// Windows lists are little-endian, start with the word 1 and name the entry point under `8664`
// as a zero-terminated string. macOS lists are big-endian, have no leading word and name it under
// `mi64` as a length-prefixed string.
enum class ResourcePlatform { kWindows, kMacIntel };

std::vector<std::uint8_t> BuildPropertyList(const EffectDescription& effect,
                                            ResourcePlatform platform);

}  // namespace zelfin
