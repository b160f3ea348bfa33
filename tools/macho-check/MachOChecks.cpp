#include "MachOChecks.h"

#include <algorithm>
#include <sstream>

#include "Sha256.h"

namespace zelfin_check {

namespace {

constexpr std::uint32_t kSuperBlobMagic = 0xFADE0CC0;
constexpr std::uint32_t kCodeDirectoryMagic = 0xFADE0C02;
constexpr std::uint32_t kCodeDirectorySlot = 0;
constexpr std::uint32_t kAlternateCodeDirectorySlots = 0x1000;  // up to five from here
constexpr std::uint8_t kHashSha256 = 2;
constexpr std::uint8_t kHashSha256Truncated = 3;

// Big-endian fields of the signature, each checked to lie inside it.
class SignatureBytes {
 public:
  SignatureBytes(const std::uint8_t* data, std::uint64_t size, std::string slice)
      : data_(data), size_(size), slice_(std::move(slice)) {}

  std::uint32_t u32(std::uint64_t at, const char* what) const {
    require(at, 4, what);
    return std::uint32_t{data_[at]} << 24 | std::uint32_t{data_[at + 1]} << 16 |
           std::uint32_t{data_[at + 2]} << 8 | data_[at + 3];
  }
  std::uint8_t u8(std::uint64_t at, const char* what) const {
    require(at, 1, what);
    return data_[at];
  }
  const std::uint8_t* at(std::uint64_t offset, std::uint64_t length, const char* what) const {
    require(offset, length, what);
    return data_ + offset;
  }
  [[noreturn]] void fail(const std::string& problem) const {
    throw CheckError(slice_ + " slice: " + problem);
  }

 private:
  void require(std::uint64_t at, std::uint64_t length, const char* what) const {
    if (at > size_ || length > size_ - at) fail(std::string(what) + " lies outside the signature");
  }

  const std::uint8_t* data_;
  std::uint64_t size_;
  std::string slice_;
};

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

// Checks one CodeDirectory at `cd` of the signature against the slice's bytes.
SignatureSummary CheckCodeDirectory(const SignatureBytes& signature, std::uint64_t cd,
                                    const std::uint8_t* slice, std::uint64_t signatureOffset) {
  if (signature.u32(cd, "the code directory") != kCodeDirectoryMagic) {
    signature.fail("the code directory has the wrong magic number");
  }
  const std::uint32_t hashOffset = signature.u32(cd + 16, "the code directory");
  const std::uint32_t codeSlots = signature.u32(cd + 28, "the code directory");
  const std::uint32_t codeLimit = signature.u32(cd + 32, "the code directory");
  const std::uint8_t hashSize = signature.u8(cd + 36, "the code directory");
  const std::uint8_t hashType = signature.u8(cd + 37, "the code directory");
  const std::uint8_t pageSizeLog2 = signature.u8(cd + 39, "the code directory");
  if (codeLimit != signatureOffset) {
    signature.fail("signed for " + std::to_string(codeLimit) +
                   " bytes, but its signature starts at " + std::to_string(signatureOffset));
  }
  const bool truncated = hashType == kHashSha256Truncated && hashSize <= 32;
  if ((hashType != kHashSha256 || hashSize != 32) && !truncated) {
    signature.fail("hash type " + std::to_string(hashType) + " of size " +
                   std::to_string(hashSize) + " is not SHA-256, which this check recomputes");
  }
  if (pageSizeLog2 >= 32)
    signature.fail("the page size 2^" + std::to_string(pageSizeLog2) + " is malformed");
  // Page size 0 stands for one page over everything signed.
  const std::uint64_t pageSize = pageSizeLog2 ? std::uint64_t{1} << pageSizeLog2 : codeLimit;
  const std::uint64_t pages = pageSize ? (codeLimit + pageSize - 1) / pageSize : 0;
  if (codeSlots != pages) {
    signature.fail("the code directory has " + std::to_string(codeSlots) + " page hashes for " +
                   std::to_string(pages) + " pages");
  }
  const std::uint8_t* hashes =
      signature.at(cd + hashOffset, std::uint64_t{codeSlots} * hashSize, "the page hashes");
  for (std::uint32_t page = 0; page < codeSlots; ++page) {
    const std::uint64_t start = page * pageSize;
    const std::uint64_t length = std::min(pageSize, codeLimit - start);
    const Sha256Digest digest = Sha256(slice + start, length);
    const std::uint8_t* stored = hashes + std::uint64_t{page} * hashSize;
    if (!std::equal(stored, stored + hashSize, digest.begin())) {
      signature.fail("page " + std::to_string(page) + " (bytes " + std::to_string(start) + " to " +
                     std::to_string(start + length - 1) + ") hashes to " +
                     Hex(digest.data(), hashSize) + ", not to the signed " + Hex(stored, hashSize));
    }
  }
  return {codeSlots, static_cast<std::uint32_t>(pageSize), codeLimit};
}

}  // namespace

SignatureSummary CheckSignature(const std::vector<std::uint8_t>& file,
                                const testhost::MachOSlice& slice) {
  const std::string name = testhost::CpuTypeName(slice.cpuType);
  if (!slice.codeSignature) throw CheckError(name + " slice: no code signature");
  const testhost::MachORange range = *slice.codeSignature;
  const std::uint8_t* sliceBytes = file.data() + slice.range.offset;
  // The reader checked that the signature lies inside the slice.
  const SignatureBytes signature(sliceBytes + range.offset, range.size, name);
  if (signature.u32(0, "the signature's header") != kSuperBlobMagic) {
    signature.fail("the signature is not a SuperBlob");
  }
  const std::uint32_t count = signature.u32(8, "the signature's header");
  SignatureSummary summary;
  bool primary = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t type = signature.u32(12 + 8 * std::uint64_t{i}, "the blob index");
    const std::uint32_t offset = signature.u32(16 + 8 * std::uint64_t{i}, "the blob index");
    const bool alternate =
        type >= kAlternateCodeDirectorySlots && type < kAlternateCodeDirectorySlots + 5;
    if (type != kCodeDirectorySlot && !alternate) continue;
    const SignatureSummary checked =
        CheckCodeDirectory(signature, offset, sliceBytes, range.offset);
    if (type == kCodeDirectorySlot) {
      summary = checked;
      primary = true;
    }
  }
  if (!primary) signature.fail("the signature holds no code directory");
  return summary;
}

VerifiedImports VerifiedImports::Parse(const std::string& text) {
  VerifiedImports out;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string symbol, architecture;
    if (!(words >> symbol)) continue;
    std::set<std::uint32_t>& architectures = out.architectures_[symbol];
    while (words >> architecture) {
      if (architecture == "x86_64") {
        architectures.insert(0x01000007);
      } else if (architecture == "arm64") {
        architectures.insert(0x0100000C);
      } else {
        throw CheckError("line " + std::to_string(number) + ": unknown architecture '" +
                         architecture + "'");
      }
    }
  }
  return out;
}

bool VerifiedImports::allows(const std::string& symbol, std::uint32_t cpuType) const {
  const auto found = architectures_.find(symbol);
  return found != architectures_.end() &&
         (found->second.empty() || found->second.count(cpuType) != 0);
}

std::vector<std::string> UnverifiedImports(const std::vector<std::uint8_t>& file,
                                           const testhost::MachOSlice& slice,
                                           const VerifiedImports& verified) {
  if (slice.hasChainedFixups) {
    throw CheckError(testhost::CpuTypeName(slice.cpuType) +
                     " slice: its imports are chained fixups, which this check does not read");
  }
  std::set<std::string> unverified;
  const std::map<std::string, std::uint64_t> defined = testhost::ReadExports(file, slice);
  for (const testhost::MachOBinding& binding : testhost::ReadBindings(file, slice)) {
    // A weak-bind entry for one of the slice's own definitions coalesces it; any other is an
    // import like the rest.
    if (binding.kind == testhost::MachOBindKind::kWeak && defined.count(binding.symbol)) continue;
    if (!verified.allows(binding.symbol, slice.cpuType)) unverified.insert(binding.symbol);
  }
  return {unverified.begin(), unverified.end()};
}

}  // namespace zelfin_check
