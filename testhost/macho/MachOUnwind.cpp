#include "testhost/macho/MachOUnwind.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string>

#include "testhost/formats/MachOFormat.h"

namespace testhost::macho {

namespace {

const std::string kSection = "the unwind information";

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::uint32_t Field(std::uint32_t encoding, std::uint32_t mask) {
  std::uint32_t shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  return (encoding & mask) >> shift;
}

std::map<std::uint32_t, std::uint32_t> ReadLsdaIndex(ByteReader section,
                                                     const std::vector<UnwindIndexEntry>& index) {
  const std::uint64_t first = index.front().lsdaIndexOffset;
  const std::uint64_t last = index.back().lsdaIndexOffset;
  if (last < first || (last - first) % sizeof(UnwindLsdaEntry) != 0) {
    throw MachOError(kSection + " has a malformed LSDA index");
  }
  std::map<std::uint32_t, std::uint32_t> lsdas;
  for (std::uint64_t at = first; at < last; at += sizeof(UnwindLsdaEntry)) {
    const auto entry = section.record<UnwindLsdaEntry>(at, kSection + "'s LSDA index");
    lsdas[entry.functionOffset] = entry.lsdaOffset;
  }
  return lsdas;
}

// The functions of one second-level page: (start, encoding) pairs.
void ReadPage(ByteReader section, const UnwindInfoHeader& header, const UnwindIndexEntry& index,
              std::vector<std::pair<std::uint64_t, std::uint32_t>>& out) {
  const std::string what = kSection + "'s page at " + Hex(index.secondLevelPageOffset);
  const std::uint64_t page = index.secondLevelPageOffset;
  const std::uint32_t kind = section.record<std::uint32_t>(page, what);
  if (kind == kUnwindPageRegular) {
    const auto head = section.record<UnwindRegularPageHeader>(page, what);
    for (std::uint32_t i = 0; i < head.entryCount; ++i) {
      const auto entry = section.record<UnwindRegularEntry>(
          page + head.entriesOffset + i * sizeof(UnwindRegularEntry), what);
      out.emplace_back(entry.functionOffset, entry.encoding);
    }
  } else if (kind == kUnwindPageCompressed) {
    const auto head = section.record<UnwindCompressedPageHeader>(page, what);
    for (std::uint32_t i = 0; i < head.entryCount; ++i) {
      const auto entry =
          section.record<std::uint32_t>(page + head.entriesOffset + i * std::uint64_t{4}, what);
      const std::uint32_t encodingIndex = entry >> 24;
      std::uint32_t encoding;
      if (encodingIndex < header.commonEncodingsCount) {
        encoding = section.record<std::uint32_t>(
            header.commonEncodingsOffset + encodingIndex * std::uint64_t{4}, what);
      } else if (encodingIndex - header.commonEncodingsCount < head.encodingCount) {
        encoding = section.record<std::uint32_t>(
            page + head.encodingsOffset +
                (encodingIndex - header.commonEncodingsCount) * std::uint64_t{4},
            what);
      } else {
        throw MachOError(what + " names encoding " + std::to_string(encodingIndex) +
                        ", which it does not hold");
      }
      out.emplace_back(std::uint64_t{index.functionOffset} + (entry & 0x00FFFFFF), encoding);
    }
  } else {
    throw MachOError(what + " is of unknown kind " + std::to_string(kind));
  }
}

}  // namespace

std::vector<UnwindFunction> ReadCompactUnwind(ByteReader section) {
  const auto header = section.record<UnwindInfoHeader>(0, kSection);
  if (header.version != kUnwindInfoVersion) {
    throw MachOError(kSection + " is of unknown version " + std::to_string(header.version));
  }
  std::vector<UnwindIndexEntry> index;
  for (std::uint32_t i = 0; i < header.indexCount; ++i) {
    index.push_back(section.record<UnwindIndexEntry>(
        header.indexOffset + i * std::uint64_t{sizeof(UnwindIndexEntry)}, kSection + "'s index"));
  }
  if (index.empty()) return {};
  const std::map<std::uint32_t, std::uint32_t> lsdas = ReadLsdaIndex(section, index);

  std::vector<std::pair<std::uint64_t, std::uint32_t>> starts;
  for (std::size_t i = 0; i + 1 < index.size(); ++i) {
    if (index[i].functionOffset > index[i + 1].functionOffset) {
      throw MachOError(kSection + "'s index is not in address order");
    }
    ReadPage(section, header, index[i], starts);
  }
  std::vector<UnwindFunction> functions;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    UnwindFunction f;
    f.start = starts[i].first;
    f.end = i + 1 < starts.size() ? starts[i + 1].first : index.back().functionOffset;
    f.encoding = starts[i].second;
    if (f.end < f.start) throw MachOError(kSection + " lists functions out of address order");
    if (const std::uint32_t personality = Field(f.encoding, kUnwindPersonalityMask)) {
      if (personality > header.personalitiesCount) {
        throw MachOError(kSection + " names personality " + std::to_string(personality) + " of " +
                        std::to_string(header.personalitiesCount));
      }
      f.personalitySlot = section.record<std::uint32_t>(
          header.personalitiesOffset + (personality - 1) * std::uint64_t{4}, kSection);
    }
    if (f.encoding & kUnwindHasLsda) {
      const auto lsda = lsdas.find(static_cast<std::uint32_t>(f.start));
      if (lsda == lsdas.end() || f.start > UINT32_MAX) {
        throw MachOError(kSection + " gives the function at " + Hex(f.start) +
                        " an LSDA it does not list");
      }
      f.lsda = lsda->second;
    }
    functions.push_back(f);
  }
  return functions;
}

namespace {

// DWARF numbers of x86_64 registers and of the return address column.
constexpr std::uint8_t kDwarfRbp = 6;
constexpr std::uint8_t kDwarfRsp = 7;
constexpr std::uint8_t kDwarfReturnAddress = 16;
// Compact-unwind register codes 1-6: rbx, r12, r13, r14, r15, rbp.
constexpr std::array<std::uint8_t, 7> kDwarfRegisterOfCode{0, 3, 12, 13, 14, 15, kDwarfRbp};
constexpr std::uint8_t kCodeRbp = 6;

// DWARF numbers of arm64 registers: x0-x30 are 0-30, sp 31, d8-d15 72-79.
constexpr std::uint8_t kDwarfX19 = 19;
constexpr std::uint8_t kDwarfFp = 29;
constexpr std::uint8_t kDwarfLr = 30;
constexpr std::uint8_t kDwarfSp = 31;
constexpr std::uint8_t kDwarfD8 = 72;

constexpr std::uint8_t kCfaDefCfa = 0x0C;
constexpr std::uint8_t kCfaDefCfaOffset = 0x0E;
constexpr std::uint8_t kCfaOffset = 0x80;  // | register below 64; operand: offset / -8 (uleb)
constexpr std::uint8_t kCfaOffsetExtended = 0x05;  // register (uleb), offset / -8 (uleb)
constexpr std::int64_t kDataAlignment = -8;
constexpr std::uint8_t kPointerAbsolute = 0x00;  // DW_EH_PE_absptr

class Writer {
 public:
  std::vector<std::uint8_t> bytes;
  void u8(std::uint8_t v) { bytes.push_back(v); }
  void u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void u64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void uleb(std::uint64_t v) {
    do {
      std::uint8_t b = v & 0x7F;
      v >>= 7;
      u8(v ? b | 0x80 : b);
    } while (v);
  }
  void sleb(std::int64_t v) {
    for (bool more = true; more;) {
      const std::uint8_t b = static_cast<std::uint8_t>(v & 0x7F);
      v >>= 7;  // arithmetic: the sign is kept
      more = !((v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40)));
      u8(more ? b | 0x80 : b);
    }
  }
  // The register is saved `slots` pointer sizes below the CFA.
  void savedAt(std::uint8_t dwarfRegister, std::uint64_t slots) {
    if (dwarfRegister < 64) {
      u8(static_cast<std::uint8_t>(kCfaOffset | dwarfRegister));
    } else {
      u8(kCfaOffsetExtended);
      uleb(dwarfRegister);
    }
    uleb(slots);
  }
  // Starts a length-prefixed entry; returns its position for `finish`.
  std::size_t start() {
    const std::size_t at = bytes.size();
    u32(0);
    return at;
  }
  // Pads the entry with no-op instructions to a multiple of 8 bytes and fills in its length.
  void finish(std::size_t at) {
    while ((bytes.size() - at) % 8 != 0) u8(0);
    const std::uint32_t length = static_cast<std::uint32_t>(bytes.size() - at - 4);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(length >> (8 * i));
  }
};

// The common entry. x86_64: the CFA is rsp + 8 at a function's first instruction, the return
// address just below it. arm64: the CFA is sp, the return address in lr. With a personality
// routine it also says every FDE carries an LSDA pointer.
std::size_t WriteCie(Writer& w, std::uint64_t personality, bool arm64) {
  const std::size_t at = w.start();
  w.u32(0);  // CIE id
  w.u8(1);   // version
  for (const char c : std::string(personality ? "zPLR" : "zR")) w.u8(static_cast<std::uint8_t>(c));
  w.u8(0);
  w.uleb(1);  // code alignment
  w.sleb(kDataAlignment);
  w.u8(arm64 ? kDwarfLr : kDwarfReturnAddress);
  if (personality) {
    w.uleb(1 + 8 + 1 + 1);
    w.u8(kPointerAbsolute);
    w.u64(personality);
    w.u8(kPointerAbsolute);  // LSDA
  } else {
    w.uleb(1);
  }
  w.u8(kPointerAbsolute);  // FDE addresses
  w.u8(kCfaDefCfa);
  w.u8(arm64 ? kDwarfSp : kDwarfRsp);
  w.uleb(arm64 ? 0 : 8);
  if (!arm64) w.savedAt(kDwarfReturnAddress, 1);
  w.finish(at);
  return at;
}

std::string FunctionName(const UnwindFunction& f) { return "the function at " + Hex(f.start); }

// rbp frame: CFA = rbp + 16, rbp saved at CFA - 16, up to five registers stored upward from
// rbp - 8 × offset.
void WriteRbpFrame(Writer& w, const UnwindFunction& f) {
  w.u8(kCfaDefCfa);
  w.u8(kDwarfRbp);
  w.uleb(16);
  w.savedAt(kDwarfRbp, 2);
  const std::uint32_t offset = Field(f.encoding, kUnwindRbpFrameOffset);
  const std::uint32_t registers = Field(f.encoding, kUnwindRbpFrameRegisters);
  for (std::uint32_t i = 0; i < 5; ++i) {
    const std::uint32_t code = (registers >> (3 * i)) & 7;
    if (code == 0) continue;
    if (code >= kCodeRbp || offset < i + 1) {
      throw MachOError(FunctionName(f) + " has unwind data that cannot be translated (" +
                      Hex(f.encoding) + ")");
    }
    w.savedAt(kDwarfRegisterOfCode[code], 2 + offset - i);
  }
}

// Frameless: CFA = rsp + stack size; the saved registers were pushed right below the return
// address, in the order the permutation number encodes.
void WriteFrameless(Writer& w, const UnwindFunction& f, ByteReader image, bool indirect) {
  const std::string untranslatable =
      FunctionName(f) + " has unwind data that cannot be translated (" + Hex(f.encoding) + ")";
  const std::uint32_t sizeField = Field(f.encoding, kUnwindFramelessStackSize);
  const std::uint32_t count = Field(f.encoding, kUnwindFramelessRegisterCount);
  std::uint32_t permutation = Field(f.encoding, kUnwindFramelessPermutation);
  std::uint64_t stackSize = sizeField * std::uint64_t{8};
  if (indirect) {
    // The size is the immediate of the function's own stack-allocating instruction.
    stackSize =
        image.record<std::uint32_t>(f.start + sizeField, FunctionName(f) + "'s stack size") +
        8 * std::uint64_t{Field(f.encoding, kUnwindFramelessStackAdjust)};
  }
  if (count > 6 || stackSize < 8 * (std::uint64_t{count} + 1)) throw MachOError(untranslatable);
  // Each register is numbered among those not yet used; the numbers are the digits of a
  // mixed-radix number whose i-th digit is below 6 - i.
  std::array<bool, 7> used{};
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t radix = 1;
    for (std::uint32_t j = i + 1; j < count; ++j) radix *= 6 - j;
    const std::uint32_t digit = permutation / radix;
    permutation -= digit * radix;
    std::uint32_t code = 0;
    for (std::uint32_t candidate = 1, rank = 0; candidate <= 6; ++candidate) {
      if (used[candidate]) continue;
      if (rank++ == digit) {
        code = candidate;
        break;
      }
    }
    if (code == 0) throw MachOError(untranslatable);
    used[code] = true;
    if (i == 0) {
      w.u8(kCfaDefCfaOffset);
      w.uleb(stackSize);
    }
    w.savedAt(kDwarfRegisterOfCode[code], 1 + count - i);
  }
  if (count == 0) {
    w.u8(kCfaDefCfaOffset);
    w.uleb(stackSize);
  }
}

// arm64 frame: CFA = fp + 16, lr and fp saved below it, then the pairs x19/x20 ... x27/x28 and
// d8/d9 ... d14/d15 the encoding names, in that order downward.
void WriteArm64Frame(Writer& w, const UnwindFunction& f) {
  w.u8(kCfaDefCfa);
  w.u8(kDwarfFp);
  w.uleb(16);
  w.savedAt(kDwarfLr, 1);
  w.savedAt(kDwarfFp, 2);
  std::uint64_t slot = 3;
  for (std::uint8_t pair = 0; pair < 5; ++pair) {
    if (!(f.encoding & (kArm64FrameX19X20 << pair))) continue;
    w.savedAt(static_cast<std::uint8_t>(kDwarfX19 + 2 * pair), slot++);
    w.savedAt(static_cast<std::uint8_t>(kDwarfX19 + 2 * pair + 1), slot++);
  }
  for (std::uint8_t pair = 0; pair < 4; ++pair) {
    if (!(f.encoding & (kArm64FrameD8D9 << pair))) continue;
    w.savedAt(static_cast<std::uint8_t>(kDwarfD8 + 2 * pair), slot++);
    w.savedAt(static_cast<std::uint8_t>(kDwarfD8 + 2 * pair + 1), slot++);
  }
}

// arm64 frameless: CFA = sp + stack size, the return address still in lr. Saved register pairs
// without a frame are not translated.
void WriteArm64Frameless(Writer& w, const UnwindFunction& f) {
  if (f.encoding & kArm64SavedPairs) {
    throw MachOError(FunctionName(f) + " has unwind data that cannot be translated (" +
                    Hex(f.encoding) + ")");
  }
  w.u8(kCfaDefCfaOffset);
  w.uleb(16 * std::uint64_t{Field(f.encoding, kArm64FramelessStackSize)});
}

void WriteInstructions(Writer& w, const UnwindFunction& f, ByteReader image, bool arm64) {
  const std::uint32_t mode = f.encoding & kUnwindModeMask;
  if (arm64 && mode == kArm64ModeFrame) return WriteArm64Frame(w, f);
  if (arm64 && mode == kArm64ModeFrameless) return WriteArm64Frameless(w, f);
  if (!arm64 && mode == kUnwindModeRbpFrame) return WriteRbpFrame(w, f);
  if (!arm64 && (mode == kUnwindModeStackImmediate || mode == kUnwindModeStackIndirect)) {
    return WriteFrameless(w, f, image, mode == kUnwindModeStackIndirect);
  }
  if (mode == (arm64 ? kArm64ModeDwarf : kUnwindModeDwarf)) {
    throw MachOError(FunctionName(f) +
                    " keeps its unwind data as DWARF, which this loader does not translate");
  }
  throw MachOError(FunctionName(f) + " has unwind data of unknown kind " + Hex(f.encoding));
}

}  // namespace

std::vector<std::uint8_t> BuildEhFrame(const std::vector<UnwindFunction>& functions, ByteReader image,
                                       std::uint32_t cpuType) {
  const bool arm64 = cpuType == kCpuTypeArm64;
  Writer w;
  const auto address = [&](std::uint64_t offset) {
    return reinterpret_cast<std::uintptr_t>(image.data()) + offset;
  };
  std::map<std::uint64_t, std::size_t> cies;  // personality routine → its CIE
  for (const UnwindFunction& f : functions) {
    if (f.encoding == 0 || f.start == f.end) continue;  // nothing to unwind through
    if (!image.holds(f.start, f.end - f.start)) {
      throw MachOError(FunctionName(f) + " lies outside the image");
    }
    std::uint64_t personality = 0;
    if (f.personalitySlot) {
      personality =
          image.record<std::uint64_t>(f.personalitySlot, FunctionName(f) + "'s personality");
      if (!personality) throw MachOError(FunctionName(f) + " has a null personality routine");
    }
    if (f.lsda && (!personality || !image.holds(f.lsda, 1))) {
      throw MachOError(FunctionName(f) + " has an LSDA without a personality or outside the image");
    }
    auto cie = cies.find(personality);
    if (cie == cies.end()) cie = cies.emplace(personality, WriteCie(w, personality, arm64)).first;

    const std::size_t at = w.start();
    w.u32(static_cast<std::uint32_t>(w.bytes.size() - cie->second));  // back to the CIE
    w.u64(address(f.start));
    w.u64(f.end - f.start);
    if (personality) {
      w.uleb(8);
      w.u64(f.lsda ? address(f.lsda) : 0);
    } else {
      w.uleb(0);
    }
    WriteInstructions(w, f, image, arm64);
    w.finish(at);
  }
  w.u32(0);
  return w.bytes;
}

}  // namespace testhost::macho
