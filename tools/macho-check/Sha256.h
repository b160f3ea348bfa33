// SHA-256 (FIPS 180-4), for recomputing the page hashes of a macOS code signature.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelfin_check {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The digest of `size` bytes at `data`.
Sha256Digest Sha256(const std::uint8_t* data, std::size_t size);

}  // namespace zelfin_check
