// The hashes of signatures and seals, through libcrypto.
#include <openssl/evp.h>

#include "testhost/macho/CodeSignature.h"

namespace testhost {

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> Digest(const EVP_MD* algorithm, const std::uint8_t* data,
                                   std::size_t size) {
  std::array<std::uint8_t, N> out{};
  unsigned int length = 0;
  if (EVP_Digest(data, size, out.data(), &length, algorithm, nullptr) != 1 || length != N) {
    throw MachOError("the hash function failed");
  }
  return out;
}

}  // namespace

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size) {
  return Digest<32>(EVP_sha256(), data, size);
}

Sha1Digest Sha1(const std::uint8_t* data, std::size_t size) {
  return Digest<20>(EVP_sha1(), data, size);
}

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

}  // namespace testhost
