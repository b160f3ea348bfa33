// Reading a macOS code file, thin or universal, as far as loading it and checking it need: its
// slices, each slice's segments, libraries and linker information, the rebase and bind entries
// its opcode streams describe, and its exports. The bytes are untrusted: anything malformed is a
// MachOError whose one-line message names the problem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "testhost/formats/ByteReader.h"

namespace testhost {

// A macOS code file, signature or bundle that is malformed or does not verify: the formats' one
// error, so that a read past the end is one too.
using MachOError = FormatError;

struct MachORange {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

struct MachOSection {
  std::string name;
  std::uint64_t address = 0;  // as linked
  std::uint64_t size = 0;
  std::uint32_t fileOffset = 0;  // from the slice's first byte
  std::uint32_t flags = 0;
};

struct MachOSegment {
  std::string name;
  std::uint64_t address = 0;
  std::uint64_t vmSize = 0;
  std::uint64_t fileOffset = 0;  // from the slice's first byte
  std::uint64_t fileSize = 0;
  std::uint32_t initProtection = 0;
  std::uint64_t commandOffset = 0;  // of its load command, from the slice's first byte
  std::vector<MachOSection> sections;
};

struct MachOSlice {
  std::uint32_t cpuType = 0;
  MachORange range;  // of the slice within the file
  std::uint32_t fileType = 0;
  std::uint64_t headerAddress = 0;     // where the segment holding the header is linked
  std::vector<MachOSegment> segments;  // in load-command order: rebases and binds name them so
  std::vector<std::string> libraries;  // in load-command order: binds name them from 1
  bool hasDyldInfo = false;
  bool hasChainedFixups = false;
  // Within the slice; empty when absent.
  MachORange rebase, bind, weakBind, lazyBind, exports;
  std::optional<MachORange> codeSignature;
  std::uint64_t codeSignatureCommandOffset = 0;  // of LC_CODE_SIGNATURE, when there is one

  const MachOSegment* findSegment(const std::string& name) const;

  const MachOSection* findSection(const std::string& segment, const std::string& name) const;
};

// The largest code file read: the plug-in's is tens of kilobytes.
constexpr std::uint64_t kMaxMachOFileSize = std::uint64_t{64} << 20;

// Reads the code file at `path` (ReadCheckedFile), refusing one larger than kMaxMachOFileSize
// before reading it. Throws MachOError "PATH: <problem>".
std::vector<std::uint8_t> ReadMachOFile(const std::string& path);

// True when the bytes start like a thin 64-bit or a universal Mach-O file.
bool LooksLikeMachO(const std::vector<std::uint8_t>& bytes);

// Every slice, each checked: header, load commands, segments and sections, and every range the
// load commands name lie inside the slice. Throws MachOError naming the first problem.
std::vector<MachOSlice> ReadMachOSlices(const std::vector<std::uint8_t>& file);

// "x86_64", "arm64", or the number in hexadecimal.
std::string CpuTypeName(std::uint32_t cpuType);

// The slice for `cpuType`; throws MachOError naming the architectures the file holds instead.
const MachOSlice& SliceFor(const std::vector<MachOSlice>& slices, std::uint32_t cpuType);

// A pointer-sized location: a segment index and an offset into that segment.
struct MachOLocation {
  std::size_t segment = 0;
  std::uint64_t offset = 0;
};

enum class MachOBindKind { kBind, kLazy, kWeak };

struct MachOBinding {
  MachOBindKind kind = MachOBindKind::kBind;
  std::string symbol;
  // 1-based, or 0 (the image itself) and the negative specials; weak-bind entries name none
  std::int64_t libraryOrdinal = 0;
  bool weakImport = false;          // may stay unresolved: the pointer becomes null
  MachOLocation location;
  std::int64_t addend = 0;
};

// Limit on the entries one slice's opcode streams may describe, so hostile counts cannot
// exhaust memory.
constexpr std::size_t kMaxMachOFixups = std::size_t{1} << 20;

// The pointers to slide, from the rebase opcodes. Every location lies inside its segment.
std::vector<MachOLocation> ReadRebases(const std::vector<std::uint8_t>& file,
                                       const MachOSlice& slice);

// The pointers to bind: bind, lazy-bind and weak-bind opcodes in that order. Every location lies
// inside its segment and every ordinal names a library of the slice.
std::vector<MachOBinding> ReadBindings(const std::vector<std::uint8_t>& file,
                                       const MachOSlice& slice);

// The export trie: each export's name and its address relative to the header. Re-exports,
// resolver stubs, absolute and thread-local symbols are refused.
std::map<std::string, std::uint64_t> ReadExports(const std::vector<std::uint8_t>& file,
                                                 const MachOSlice& slice);

}  // namespace testhost
