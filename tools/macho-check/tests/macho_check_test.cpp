// The checks of the macOS code file: SHA-256 itself, the recomputed page hashes of each slice's
// signature, and the verified-import list, on signed tiny bundles and copies damaged one way each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "MachOChecks.h"
#include "testhost/macho/CodeSignature.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using zelfin_check::CheckError;
constexpr std::uint32_t kX86_64 = 0x01000007;
constexpr std::uint32_t kArm64 = 0x0100000C;

std::string HexDigest(const std::string& text) {
  const auto digest =
      testhost::Sha256(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  std::string out;
  char pair[3];
  for (const std::uint8_t b : digest) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    out += pair;
  }
  return out;
}

// The hashes come from libcrypto; these vectors hold the wrapper to the right algorithm and length.
TEST(Sha256, KnownVectors) {
  EXPECT_EQ(HexDigest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(HexDigest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the first padding block.
  EXPECT_EQ(HexDigest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(
      HexDigest("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmno"
                "pqklmnopqrlmnopqrsmnopqrstnopqrstu"),
      "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(HexDigest(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

Bytes Read(const char* path) { return testhost::ReadMachOFile(path); }

std::uint32_t GetBig32(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
         std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}
void PutBig32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

const testhost::MachOSlice& Slice(const std::vector<testhost::MachOSlice>& slices,
                                  std::uint32_t cpu) {
  return testhost::SliceFor(slices, cpu);
}

// Where in the file the slice's code directory starts.
std::size_t CodeDirectory(const Bytes& file, std::uint32_t cpu) {
  const auto slices = testhost::ReadMachOSlices(file);
  const testhost::MachOSlice& slice = Slice(slices, cpu);
  const std::size_t blob = slice.range.offset + slice.codeSignature->offset;
  return blob + GetBig32(file, blob + 16);  // the first index entry: the code directory
}

// The problem the signature check reports for the slice, or "" when it passes.
std::string SignatureProblem(const Bytes& file, std::uint32_t cpu) {
  const auto slices = testhost::ReadMachOSlices(file);
  try {
    testhost::VerifyPageHashes(file, Slice(slices, cpu));
    return "";
  } catch (const testhost::MachOError& e) {
    return e.what();
  }
}

std::vector<Bytes> SignedFiles() {
  std::vector<Bytes> files{Read(ZELFIN_TINY_X86_64)};
#ifdef ZELFIN_TINY_UNIVERSAL
  files.push_back(Read(ZELFIN_TINY_UNIVERSAL));
#endif
  return files;
}

TEST(CodeSignature, EverySliceOfTheSignedFilesMatchesPageForPage) {
  for (const Bytes& file : SignedFiles()) {
    for (const testhost::MachOSlice& slice : testhost::ReadMachOSlices(file)) {
      SCOPED_TRACE(testhost::CpuTypeName(slice.cpuType));
      const testhost::PageHashSummary s = testhost::VerifyPageHashes(file, slice);
      EXPECT_EQ(s.codeLimit, slice.codeSignature->offset);
      EXPECT_EQ(s.pageSize, 4096u);  // the linker's signature hashes 4 KiB pages on both
      EXPECT_EQ(s.pages, (s.codeLimit + s.pageSize - 1) / s.pageSize);
    }
  }
}

TEST(CodeSignature, EachDamageIsReportedForItsSlice) {
  for (Bytes file : SignedFiles()) {
    for (const std::uint32_t cpu : {kX86_64, kArm64}) {
      const auto slices = testhost::ReadMachOSlices(file);
      if (std::none_of(slices.begin(), slices.end(),
                       [cpu](const auto& s) { return s.cpuType == cpu; })) {
        continue;
      }
      const testhost::MachOSlice slice = Slice(slices, cpu);
      const std::string name = testhost::CpuTypeName(cpu) + " slice: ";
      const std::size_t cd = CodeDirectory(file, cpu);
      const std::uint32_t codeLimit = GetBig32(file, cd + 32);
      const std::size_t lastPage = (codeLimit - 1) / 4096;

      Bytes code = file;
      code[slice.range.offset + slice.findSection("__TEXT", "__text")->fileOffset] ^= 1;
      EXPECT_EQ(SignatureProblem(code, cpu).rfind(name + "page 0 (bytes 0 to ", 0), 0u)
          << SignatureProblem(code, cpu);
      Bytes tail = file;  // the last byte signed, at the end of the load commands' data
      tail[slice.range.offset + codeLimit - 1] ^= 1;
      EXPECT_NE(SignatureProblem(tail, cpu).find("page " + std::to_string(lastPage) + " "),
                std::string::npos)
          << SignatureProblem(tail, cpu);

      Bytes shorter = file;
      PutBig32(shorter, cd + 32, codeLimit - 16);
      EXPECT_EQ(SignatureProblem(shorter, cpu),
                name + "signed for " + std::to_string(codeLimit - 16) +
                    " bytes, but its signature starts at " + std::to_string(codeLimit));
      Bytes sha1 = file;
      sha1[cd + 37] = 1;
      EXPECT_NE(SignatureProblem(sha1, cpu).find("hash type 1 of size 32 is not SHA-256"),
                std::string::npos);
      Bytes slots = file;
      PutBig32(slots, cd + 28, GetBig32(file, cd + 28) + 1);
      EXPECT_NE(SignatureProblem(slots, cpu).find("page hashes for"), std::string::npos);
      Bytes notABlob = file;
      notABlob[slice.range.offset + slice.codeSignature->offset] = 0;
      EXPECT_EQ(SignatureProblem(notABlob, cpu), name + "its signature is not a SuperBlob");
      Bytes outside = file;
      PutBig32(outside, slice.range.offset + slice.codeSignature->offset + 16, 0x7FFFFFF0);
      EXPECT_NE(SignatureProblem(outside, cpu).find("ends before the end of the code directory"),
                std::string::npos);
    }
  }
}

TEST(CodeSignature, AFileWithoutOneFails) {
  Bytes file = Read(ZELFIN_TINY_X86_64);
  // Rename the load command: the reader passes over commands it does not know.
  const std::uint32_t commands = file[16] | file[17] << 8;
  std::size_t at = 32;
  for (std::uint32_t i = 0; i < commands; ++i) {
    std::uint32_t cmd, size;
    std::memcpy(&cmd, &file[at], 4);
    std::memcpy(&size, &file[at + 4], 4);
    if (cmd == 0x1D) file[at] = 0x7F;
    at += size;
  }
  EXPECT_EQ(SignatureProblem(file, kX86_64), "x86_64 slice: carries no code signature");
}

std::string ProjectList() {
  std::ifstream in(ZELFIN_VERIFIED_IMPORTS);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(VerifiedImports, ArchitectureSpecificEntriesAllowOnlyTheirArchitecture) {
  const auto list = zelfin_check::VerifiedImports::Parse(ProjectList());
  EXPECT_TRUE(list.allows("___bzero", kX86_64));
  EXPECT_FALSE(list.allows("___bzero", kArm64));
  EXPECT_TRUE(list.allows("_bzero", kArm64));
  EXPECT_FALSE(list.allows("_bzero", kX86_64));
  EXPECT_TRUE(list.allows("___cxa_throw", kArm64));
  EXPECT_TRUE(list.allows("___cxa_throw", kX86_64));
  EXPECT_FALSE(list.allows("_malloc", kX86_64));
  EXPECT_FALSE(list.allows("#", kX86_64));
  try {
    zelfin_check::VerifiedImports::Parse("_memcpy\n_bzero arm64 ppc  # old\n");
    ADD_FAILURE() << "parsed";
  } catch (const CheckError& e) {
    EXPECT_STREQ(e.what(), "line 2: unknown architecture 'ppc'");
  }
}

TEST(VerifiedImports, EverySliceOfTheTinyBundlesImportsOnlyVerifiedSymbols) {
  const auto list = zelfin_check::VerifiedImports::Parse(ProjectList());
  for (const Bytes& file : SignedFiles()) {
    for (const testhost::MachOSlice& slice : testhost::ReadMachOSlices(file)) {
      EXPECT_EQ(zelfin_check::UnverifiedImports(file, slice, list), std::vector<std::string>{})
          << testhost::CpuTypeName(slice.cpuType);
    }
  }
}

TEST(VerifiedImports, AnImportOutsideTheListIsNamedForEachSliceThatHasIt) {
  const auto list = zelfin_check::VerifiedImports::Parse(ProjectList());
  for (Bytes file : SignedFiles()) {
    // Every copy of the name, in each slice's bind opcodes: "_memcpy" becomes "_memcpz".
    const std::string name = "_memcpy";
    for (auto at = file.begin();
         (at = std::search(at, file.end(), name.begin(), name.end() + 1)) != file.end();) {
      at[6] = 'z';
    }
    for (const testhost::MachOSlice& slice : testhost::ReadMachOSlices(file)) {
      EXPECT_EQ(zelfin_check::UnverifiedImports(file, slice, list),
                std::vector<std::string>{"_memcpz"})
          << testhost::CpuTypeName(slice.cpuType);
    }
  }
}

}  // namespace
