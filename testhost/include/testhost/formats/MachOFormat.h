// The records of a macOS code file the stand-in host reads: the universal (fat) header, the
// Mach-O header and load commands, and the compact-unwind section. Thin-file records are
// little-endian on both architectures the bundle carries; the fat header is big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace testhost::macho {

constexpr std::uint32_t kMagic64 = 0xFEEDFACF;
constexpr std::uint32_t kFatMagic = 0xCAFEBABE;    // as read big-endian
constexpr std::uint32_t kFatMagic64 = 0xCAFEBABF;  // as read big-endian

constexpr std::uint32_t kCpuTypeX86_64 = 0x01000007;
constexpr std::uint32_t kCpuTypeArm64 = 0x0100000C;

constexpr std::uint32_t kFileTypeDylib = 6;
constexpr std::uint32_t kFileTypeBundle = 8;

// Load commands the loader and the checks act on.
constexpr std::uint32_t kLoadCommandRequiresDyld = 0x80000000;
constexpr std::uint32_t kLcSegment64 = 0x19;
constexpr std::uint32_t kLcLoadDylib = 0x0C;
constexpr std::uint32_t kLcLoadWeakDylib = 0x18 | kLoadCommandRequiresDyld;
constexpr std::uint32_t kLcReexportDylib = 0x1F | kLoadCommandRequiresDyld;
constexpr std::uint32_t kLcLazyLoadDylib = 0x20;
constexpr std::uint32_t kLcLoadUpwardDylib = 0x23 | kLoadCommandRequiresDyld;
constexpr std::uint32_t kLcDyldInfo = 0x22;
constexpr std::uint32_t kLcDyldInfoOnly = 0x22 | kLoadCommandRequiresDyld;
constexpr std::uint32_t kLcCodeSignature = 0x1D;
constexpr std::uint32_t kLcDyldExportsTrie = 0x33 | kLoadCommandRequiresDyld;
constexpr std::uint32_t kLcDyldChainedFixups = 0x34 | kLoadCommandRequiresDyld;

// Section types (the low byte of a section's flags) the loader refuses to run.
constexpr std::uint32_t kSectionTypeMask = 0xFF;
constexpr std::uint32_t kSectionModInitFuncPointers = 0x09;
constexpr std::uint32_t kSectionModTermFuncPointers = 0x0A;
constexpr std::uint32_t kSectionThreadLocalRegular = 0x11;
constexpr std::uint32_t kSectionThreadLocalInitFunctionPointers = 0x15;

// Segment protections.
constexpr std::uint32_t kVmProtRead = 1;
constexpr std::uint32_t kVmProtWrite = 2;
constexpr std::uint32_t kVmProtExecute = 4;

struct FatHeader {
  std::uint32_t magic;
  std::uint32_t archCount;
};
struct FatArch {
  std::uint32_t cpuType;
  std::uint32_t cpuSubtype;
  std::uint32_t offset;
  std::uint32_t size;
  std::uint32_t alignLog2;
};
struct FatArch64 {
  std::uint32_t cpuType;
  std::uint32_t cpuSubtype;
  std::uint64_t offset;
  std::uint64_t size;
  std::uint32_t alignLog2;
  std::uint32_t reserved;
};

struct MachHeader64 {
  std::uint32_t magic;
  std::uint32_t cpuType;
  std::uint32_t cpuSubtype;
  std::uint32_t fileType;
  std::uint32_t commandCount;
  std::uint32_t commandsSize;
  std::uint32_t flags;
  std::uint32_t reserved;
};

struct LoadCommand {
  std::uint32_t cmd;
  std::uint32_t size;
};

struct SegmentCommand64 {
  std::uint32_t cmd;
  std::uint32_t size;
  char name[16];
  std::uint64_t vmAddress;
  std::uint64_t vmSize;
  std::uint64_t fileOffset;
  std::uint64_t fileSize;
  std::uint32_t maxProtection;
  std::uint32_t initProtection;
  std::uint32_t sectionCount;
  std::uint32_t flags;
};

struct Section64 {
  char name[16];
  char segmentName[16];
  std::uint64_t address;
  std::uint64_t size;
  std::uint32_t fileOffset;
  std::uint32_t alignLog2;
  std::uint32_t relocationOffset;
  std::uint32_t relocationCount;
  std::uint32_t flags;
  std::uint32_t reserved1;
  std::uint32_t reserved2;
  std::uint32_t reserved3;
};

struct DyldInfoCommand {
  std::uint32_t cmd;
  std::uint32_t size;
  std::uint32_t rebaseOffset;
  std::uint32_t rebaseSize;
  std::uint32_t bindOffset;
  std::uint32_t bindSize;
  std::uint32_t weakBindOffset;
  std::uint32_t weakBindSize;
  std::uint32_t lazyBindOffset;
  std::uint32_t lazyBindSize;
  std::uint32_t exportOffset;
  std::uint32_t exportSize;
};

struct DylibCommand {
  std::uint32_t cmd;
  std::uint32_t size;
  std::uint32_t nameOffset;  // from the start of the command
  std::uint32_t timestamp;
  std::uint32_t currentVersion;
  std::uint32_t compatibilityVersion;
};

struct LinkeditDataCommand {
  std::uint32_t cmd;
  std::uint32_t size;
  std::uint32_t dataOffset;
  std::uint32_t dataSize;
};

// Rebase and bind opcodes: the high nibble is the opcode, the low nibble an immediate.
constexpr std::uint8_t kOpcodeMask = 0xF0;
constexpr std::uint8_t kImmediateMask = 0x0F;

constexpr std::uint8_t kRebaseTypePointer = 1;
constexpr std::uint8_t kRebaseDone = 0x00;
constexpr std::uint8_t kRebaseSetTypeImm = 0x10;
constexpr std::uint8_t kRebaseSetSegmentAndOffsetUleb = 0x20;
constexpr std::uint8_t kRebaseAddAddrUleb = 0x30;
constexpr std::uint8_t kRebaseAddAddrImmScaled = 0x40;
constexpr std::uint8_t kRebaseDoRebaseImmTimes = 0x50;
constexpr std::uint8_t kRebaseDoRebaseUlebTimes = 0x60;
constexpr std::uint8_t kRebaseDoRebaseAddAddrUleb = 0x70;
constexpr std::uint8_t kRebaseDoRebaseUlebTimesSkippingUleb = 0x80;

constexpr std::uint8_t kBindTypePointer = 1;
constexpr std::uint8_t kBindSymbolFlagsWeakImport = 0x1;
constexpr std::uint8_t kBindSymbolFlagsNonWeakDefinition = 0x8;
constexpr std::uint8_t kBindDone = 0x00;
constexpr std::uint8_t kBindSetDylibOrdinalImm = 0x10;
constexpr std::uint8_t kBindSetDylibOrdinalUleb = 0x20;
constexpr std::uint8_t kBindSetDylibSpecialImm = 0x30;
constexpr std::uint8_t kBindSetSymbolTrailingFlagsImm = 0x40;
constexpr std::uint8_t kBindSetTypeImm = 0x50;
constexpr std::uint8_t kBindSetAddendSleb = 0x60;
constexpr std::uint8_t kBindSetSegmentAndOffsetUleb = 0x70;
constexpr std::uint8_t kBindAddAddrUleb = 0x80;
constexpr std::uint8_t kBindDoBind = 0x90;
constexpr std::uint8_t kBindDoBindAddAddrUleb = 0xA0;
constexpr std::uint8_t kBindDoBindAddAddrImmScaled = 0xB0;
constexpr std::uint8_t kBindDoBindUlebTimesSkippingUleb = 0xC0;

// Export trie terminal flags.
constexpr std::uint64_t kExportKindMask = 0x03;
constexpr std::uint64_t kExportKindRegular = 0x00;
constexpr std::uint64_t kExportReexport = 0x08;
constexpr std::uint64_t kExportStubAndResolver = 0x10;

// __TEXT,__unwind_info.
struct UnwindInfoHeader {
  std::uint32_t version;  // kUnwindInfoVersion
  std::uint32_t commonEncodingsOffset;
  std::uint32_t commonEncodingsCount;
  std::uint32_t personalitiesOffset;
  std::uint32_t personalitiesCount;
  std::uint32_t indexOffset;
  std::uint32_t indexCount;
};
struct UnwindIndexEntry {
  std::uint32_t functionOffset;
  std::uint32_t secondLevelPageOffset;  // 0 in the closing entry
  std::uint32_t lsdaIndexOffset;
};
struct UnwindLsdaEntry {
  std::uint32_t functionOffset;
  std::uint32_t lsdaOffset;
};
struct UnwindRegularPageHeader {
  std::uint32_t kind;  // kUnwindPageRegular
  std::uint16_t entriesOffset;
  std::uint16_t entryCount;
};
struct UnwindRegularEntry {
  std::uint32_t functionOffset;
  std::uint32_t encoding;
};
struct UnwindCompressedPageHeader {
  std::uint32_t kind;  // kUnwindPageCompressed
  std::uint16_t entriesOffset;
  std::uint16_t entryCount;
  std::uint16_t encodingsOffset;
  std::uint16_t encodingCount;
};
constexpr std::uint32_t kUnwindInfoVersion = 1;
constexpr std::uint32_t kUnwindPageRegular = 2;
constexpr std::uint32_t kUnwindPageCompressed = 3;

// Compact-unwind encodings (x86_64).
constexpr std::uint32_t kUnwindHasLsda = 0x40000000;
constexpr std::uint32_t kUnwindPersonalityMask = 0x30000000;
constexpr std::uint32_t kUnwindModeMask = 0x0F000000;
constexpr std::uint32_t kUnwindModeRbpFrame = 0x01000000;
constexpr std::uint32_t kUnwindModeStackImmediate = 0x02000000;
constexpr std::uint32_t kUnwindModeStackIndirect = 0x03000000;
constexpr std::uint32_t kUnwindModeDwarf = 0x04000000;
constexpr std::uint32_t kUnwindRbpFrameRegisters = 0x00007FFF;
constexpr std::uint32_t kUnwindRbpFrameOffset = 0x00FF0000;
constexpr std::uint32_t kUnwindFramelessStackSize = 0x00FF0000;
constexpr std::uint32_t kUnwindFramelessStackAdjust = 0x0000E000;
constexpr std::uint32_t kUnwindFramelessRegisterCount = 0x00001C00;
constexpr std::uint32_t kUnwindFramelessPermutation = 0x000003FF;

// Compact-unwind encodings (arm64).
constexpr std::uint32_t kArm64ModeFrameless = 0x02000000;
constexpr std::uint32_t kArm64ModeDwarf = 0x03000000;
constexpr std::uint32_t kArm64ModeFrame = 0x04000000;
constexpr std::uint32_t kArm64FrameX19X20 = 0x00000001;  // then x21/x22 ... x27/x28 in bits 1-4
constexpr std::uint32_t kArm64FrameD8D9 = 0x00000100;    // then d10/d11 ... d14/d15 in bits 9-11
constexpr std::uint32_t kArm64SavedPairs = 0x00000F1F;
constexpr std::uint32_t kArm64FramelessStackSize = 0x00FFF000;

static_assert(sizeof(FatHeader) == 8 && sizeof(FatArch) == 20 && sizeof(FatArch64) == 32);
static_assert(offsetof(FatArch64, offset) == 8 && offsetof(FatArch64, alignLog2) == 24);
static_assert(sizeof(MachHeader64) == 32 && offsetof(MachHeader64, commandCount) == 16);
static_assert(sizeof(LoadCommand) == 8);
static_assert(sizeof(SegmentCommand64) == 72 && offsetof(SegmentCommand64, vmAddress) == 24 &&
              offsetof(SegmentCommand64, maxProtection) == 56 &&
              offsetof(SegmentCommand64, sectionCount) == 64);
static_assert(sizeof(Section64) == 80 && offsetof(Section64, address) == 32 &&
              offsetof(Section64, fileOffset) == 48 && offsetof(Section64, flags) == 64);
static_assert(sizeof(DyldInfoCommand) == 48 && offsetof(DyldInfoCommand, exportSize) == 44);
static_assert(sizeof(DylibCommand) == 24 && sizeof(LinkeditDataCommand) == 16);
static_assert(sizeof(UnwindInfoHeader) == 28 && sizeof(UnwindIndexEntry) == 12);
static_assert(sizeof(UnwindLsdaEntry) == 8 && sizeof(UnwindRegularEntry) == 8);
static_assert(sizeof(UnwindRegularPageHeader) == 8 && sizeof(UnwindCompressedPageHeader) == 12);
static_assert(offsetof(UnwindCompressedPageHeader, encodingsOffset) == 8);

}  // namespace testhost::macho
