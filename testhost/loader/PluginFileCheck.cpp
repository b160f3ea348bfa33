#include "testhost/loader/PluginFileCheck.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>

#include "testhost/macho/MachO.h"
#include "testhost/registration/PeImage.h"

#if defined(__linux__)
#include <elf.h>
#endif

namespace testhost {

namespace {

namespace fs = std::filesystem;

std::string Bytes(std::uint64_t count) { return std::to_string(count) + " bytes"; }

// "64 MiB" for a whole number of mebibytes, else the bytes.
std::string Size(std::uint64_t count) {
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  if (count >= kMiB && count % kMiB == 0) return std::to_string(count / kMiB) + " MiB";
  return Bytes(count);
}

const char* KindOf(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory:
      return "a folder";
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::fifo:
      return "a pipe";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "something other than a file";
  }
}

// Fails unless `count` bytes at `offset` lie inside a file of `size` bytes.
void RequireInside(std::uint64_t offset, std::uint64_t count, std::uint64_t size,
                   const std::string& what) {
  if (offset <= size && count <= size - offset) return;
  const std::string range =
      count <= std::numeric_limits<std::uint64_t>::max() - offset
          ? "bytes " + std::to_string(offset) + " to " + std::to_string(offset + count)
          : Bytes(count) + " from byte " + std::to_string(offset);
  throw LoadError(what + " (" + range + ") runs past the end of the file (" + Bytes(size) +
                  "): it is cut short or damaged");
}

template <typename T>
T Record(const std::vector<std::uint8_t>& bytes, std::size_t at = 0) {
  T record;
  std::memcpy(&record, bytes.data() + at, sizeof record);
  return record;
}

std::uint32_t Little(const std::vector<std::uint8_t>& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

// `count` bytes at `offset`, which the caller has found inside the file.
std::vector<std::uint8_t> ReadInside(CheckedFile& file, std::uint64_t offset, std::uint64_t count,
                                     const std::string& what) {
  RequireInside(offset, count, file.size(), what);
  std::vector<std::uint8_t> bytes = file.read(offset, static_cast<std::size_t>(count));
  if (bytes.size() != count) throw LoadError("cannot read " + what + ": the file changed");
  return bytes;
}

// Windows image layout: the DOS header's pointer to the NT headers, then the COFF file header,
// the optional header and the section table.
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNtHeadersPointer = 0x3C;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kPe32Magic = 0x10B;
constexpr std::uint32_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kImageFileDll = 0x2000;
// The optional header up to its data directories, and where SizeOfHeaders sits in it.
constexpr std::uint32_t kPe32FixedSize = 96;
constexpr std::uint32_t kPe32PlusFixedSize = 112;
constexpr std::size_t kSizeOfHeaders = 60;

bool Is64BitMachine(std::uint32_t machine) { return machine == 0x8664 || machine == 0xAA64; }

#if defined(__linux__)

#if UINTPTR_MAX > 0xFFFFFFFFu
using ElfHeader = Elf64_Ehdr;
using ProgramHeader = Elf64_Phdr;
using SectionHeader = Elf64_Shdr;
constexpr unsigned char kElfClass = ELFCLASS64;
#else
using ElfHeader = Elf32_Ehdr;
using ProgramHeader = Elf32_Phdr;
using SectionHeader = Elf32_Shdr;
constexpr unsigned char kElfClass = ELFCLASS32;
#endif

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char kElfByteOrder = ELFDATA2LSB;
#else
constexpr unsigned char kElfByteOrder = ELFDATA2MSB;
#endif

#if defined(__x86_64__)
constexpr unsigned kElfMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kElfMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr unsigned kElfMachine = EM_386;
#elif defined(__arm__)
constexpr unsigned kElfMachine = EM_ARM;
#elif defined(__riscv)
constexpr unsigned kElfMachine = EM_RISCV;
#else
#error "the stand-in host does not know the ELF machine of this architecture"
#endif

std::string ElfMachineName(unsigned machine) {
  switch (machine) {
    case EM_X86_64:
      return "x86_64";
    case EM_AARCH64:
      return "arm64";
    case EM_386:
      return "x86";
    case EM_ARM:
      return "arm";
    case EM_RISCV:
      return "RISC-V";
    default:
      return "machine " + std::to_string(machine);
  }
}

std::string ElfTypeName(unsigned type) {
  switch (type) {
    case ET_REL:
      return "an object file";
    case ET_EXEC:
      return "a program";
    case ET_CORE:
      return "a core dump";
    default:
      return "of type " + std::to_string(type);
  }
}

std::string ElfClassName(unsigned char elfClass) {
  return elfClass == ELFCLASS32 ? "32-bit" : elfClass == ELFCLASS64 ? "64-bit" : "unknown-class";
}

// The class is checked before the header is read: a header of the other class has another size.
void CheckElfHeader(const ElfHeader& header) {
  const unsigned char* ident = header.e_ident;
  if (ident[EI_DATA] != kElfByteOrder) {
    throw LoadError(std::string("an ELF file in ") +
                    (ident[EI_DATA] == ELFDATA2MSB ? "big-endian" : "an unknown") +
                    " byte order; this build loads " +
                    (kElfByteOrder == ELFDATA2LSB ? "little-endian" : "big-endian") +
                    " libraries");
  }
  if (ident[EI_VERSION] != EV_CURRENT || header.e_version != EV_CURRENT) {
    throw LoadError("an ELF file of an unknown version");
  }
  if (header.e_type != ET_DYN) {
    throw LoadError("an ELF file but not a shared library: " + ElfTypeName(header.e_type));
  }
  if (header.e_machine != kElfMachine) {
    throw LoadError("a library for " + ElfMachineName(header.e_machine) + "; this build loads " +
                    ElfMachineName(kElfMachine) + " libraries");
  }
}

void CheckSegments(CheckedFile& file, const ElfHeader& header) {
  if (header.e_phentsize != sizeof(ProgramHeader)) {
    throw LoadError("program headers of " + Bytes(header.e_phentsize) + " each instead of " +
                    std::to_string(sizeof(ProgramHeader)));
  }
  if (header.e_phnum == 0 || header.e_phnum == PN_XNUM) {
    throw LoadError("a library without program headers");
  }
  const std::uint64_t tableSize = std::uint64_t{header.e_phnum} * sizeof(ProgramHeader);
  const std::vector<std::uint8_t> table =
      ReadInside(file, header.e_phoff, tableSize, "its program header table");
  bool loadable = false;
  for (std::size_t i = 0; i < header.e_phnum; ++i) {
    const auto segment = Record<ProgramHeader>(table, i * sizeof(ProgramHeader));
    const std::string what = std::string("its ") + (segment.p_type == PT_LOAD ? "loadable " : "") +
                             "segment " + std::to_string(i);
    if (segment.p_type == PT_LOAD) {
      loadable = true;
      if (segment.p_filesz > segment.p_memsz) {
        throw LoadError(what + " is larger in the file (" + Bytes(segment.p_filesz) +
                        ") than in memory (" + Bytes(segment.p_memsz) + ")");
      }
    }
    if (segment.p_filesz > 0) {
      RequireInside(segment.p_offset, segment.p_filesz, file.size(), what);
    }
  }
  if (!loadable) throw LoadError("a library without a loadable segment");
}

void CheckSections(CheckedFile& file, const ElfHeader& header) {
  if (header.e_shoff == 0) {
    if (header.e_shnum != 0) throw LoadError("sections listed in no section header table");
    return;
  }
  if (header.e_shentsize != sizeof(SectionHeader)) {
    throw LoadError("section headers of " + Bytes(header.e_shentsize) + " each instead of " +
                    std::to_string(sizeof(SectionHeader)));
  }
  // With 0xFF00 sections or more, the first header's size holds the count.
  std::uint64_t count = header.e_shnum;
  if (count == 0) {
    count = Record<SectionHeader>(
                ReadInside(file, header.e_shoff, sizeof(SectionHeader), "its first section header"))
                .sh_size;
    if (count > file.size() / sizeof(SectionHeader)) {
      throw LoadError("a section count of " + std::to_string(count) +
                      ", more than the file could hold");
    }
  }
  const std::vector<std::uint8_t> table = ReadInside(
      file, header.e_shoff, count * sizeof(SectionHeader), "its section header table");
  for (std::size_t i = 0; i < count; ++i) {
    const auto section = Record<SectionHeader>(table, i * sizeof(SectionHeader));
    if (section.sh_type == SHT_NOBITS || section.sh_size == 0) continue;
    RequireInside(section.sh_offset, section.sh_size, file.size(),
                  "its section " + std::to_string(i));
  }
}

#endif  // __linux__

#if defined(_WIN32)
#if defined(__x86_64__) || defined(_M_X64)
constexpr PeMachine kNativePeMachine = 0x8664;
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr PeMachine kNativePeMachine = 0xAA64;
#elif defined(__i386__) || defined(_M_IX86)
constexpr PeMachine kNativePeMachine = 0x14C;
#else
#error "the stand-in host does not know the Windows machine of this architecture"
#endif
#endif

}  // namespace

CheckedFile::CheckedFile(const std::string& path, std::uint64_t maxSize, const std::string& what)
    : path_(path) {
  const fs::path p = fs::u8path(path);
  std::error_code ec;
  const fs::file_status status = fs::status(p, ec);
  if (status.type() == fs::file_type::not_found) throw LoadError("no such file");
  if (ec) throw LoadError("cannot look at it: " + ec.message());
  if (!fs::is_regular_file(status)) {
    throw LoadError(std::string(KindOf(status.type())) + ", not a regular file");
  }
  size_ = fs::file_size(p, ec);
  if (ec) throw LoadError("cannot tell its size: " + ec.message());
  if (size_ > maxSize) {
    throw LoadError(Bytes(size_) + ", too large for " + what + " (at most " + Size(maxSize) + ")");
  }
  in_.open(p, std::ios::binary);
  if (!in_) throw LoadError("cannot open it");
}

std::vector<std::uint8_t> CheckedFile::read(std::uint64_t offset, std::size_t count) {
  if (offset >= size_) return {};
  count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
  std::vector<std::uint8_t> bytes(count);
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  in_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  if (in_.bad()) throw LoadError("cannot read it");
  bytes.resize(static_cast<std::size_t>(in_.gcount()));
  return bytes;
}

BinaryFormat FormatOf(const std::vector<std::uint8_t>& head) {
  if (head.size() >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') {
    return BinaryFormat::kElf;
  }
  if (head.size() >= 2 && head[0] == 'M' && head[1] == 'Z') return BinaryFormat::kPortableExecutable;
  if (LooksLikeMachO(head)) return BinaryFormat::kMachO;
  return BinaryFormat::kUnknown;
}

void CheckPortableExecutable(CheckedFile& file, std::optional<PeMachine> machine) {
  const std::vector<std::uint8_t> dos = ReadInside(file, 0, kDosHeaderSize, "its DOS header");
  if (dos[0] != 'M' || dos[1] != 'Z') throw LoadError("not a Windows image");
  const std::uint32_t nt = Little(dos, kNtHeadersPointer, 4);
  const std::vector<std::uint8_t> headers =
      ReadInside(file, nt, 4 + kFileHeaderSize + 2, "its NT headers");
  if (Little(headers, 0, 4) != 0x00004550) throw LoadError("a DOS program, not a Windows image");
  const std::uint32_t imageMachine = Little(headers, 4, 2);
  const std::uint32_t sectionCount = Little(headers, 6, 2);
  const std::uint32_t optionalSize = Little(headers, 20, 2);
  const std::uint32_t characteristics = Little(headers, 22, 2);
  const std::uint32_t magic = Little(headers, 24, 2);
  if (!(characteristics & kImageFileDll)) throw LoadError("a Windows program, not a library");
  if (machine && imageMachine != *machine) {
    throw LoadError("a library for " + PeMachineName(static_cast<std::uint16_t>(imageMachine)) +
                    "; this build loads " + PeMachineName(*machine) + " libraries");
  }
  if (magic != kPe32Magic && magic != kPe32PlusMagic) {
    throw LoadError("a Windows image with an optional header of unknown kind");
  }
  if (machine && Is64BitMachine(*machine) != (magic == kPe32PlusMagic)) {
    throw LoadError("a library with an optional header of the other word size");
  }
  if (optionalSize < (magic == kPe32PlusMagic ? kPe32PlusFixedSize : kPe32FixedSize)) {
    throw LoadError("an optional header too small for its kind (" + Bytes(optionalSize) + ")");
  }
  const std::uint64_t optional = std::uint64_t{nt} + 4 + kFileHeaderSize;
  const std::vector<std::uint8_t> optionalHeader =
      ReadInside(file, optional, optionalSize, "its optional header");
  RequireInside(0, Little(optionalHeader, kSizeOfHeaders, 4), file.size(), "its headers");
  if (sectionCount == 0) throw LoadError("a Windows image without sections");
  const std::vector<std::uint8_t> table =
      ReadInside(file, optional + optionalSize, std::uint64_t{sectionCount} * kSectionHeaderSize,
                 "its section table");
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = std::size_t{i} * kSectionHeaderSize;
    const std::uint32_t rawSize = Little(table, at + 16, 4);
    const std::uint32_t rawOffset = Little(table, at + 20, 4);
    if (rawSize == 0) continue;
    const char* name = reinterpret_cast<const char*>(&table[at]);
    RequireInside(rawOffset, rawSize, file.size(),
                  "its section " + std::to_string(i) + " (" +
                      EscapedText(std::string(name, strnlen(name, 8))) + ")");
  }
}

#if defined(__linux__)
void CheckElfLibrary(CheckedFile& file) {
  const std::vector<std::uint8_t> bytes = file.read(0, sizeof(ElfHeader));
  if (bytes.size() < SELFMAG || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0) {
    throw LoadError("not an ELF file");
  }
  if (bytes.size() > EI_CLASS && bytes[EI_CLASS] != kElfClass) {
    throw LoadError("a " + ElfClassName(bytes[EI_CLASS]) + " ELF file; this build loads " +
                    ElfClassName(kElfClass) + " libraries");
  }
  if (bytes.size() < sizeof(ElfHeader)) {
    throw LoadError("cut short: " + Bytes(file.size()) + ", fewer than its ELF header's " +
                    std::to_string(sizeof(ElfHeader)));
  }
  const auto header = Record<ElfHeader>(bytes);
  CheckElfHeader(header);
  CheckSegments(file, header);
  CheckSections(file, header);
}
#endif

void CheckPluginFile(const std::string& path, const std::string& code) {
  try {
    CheckedFile file(code, kMaxPluginFileSize, "a plug-in");
    const std::vector<std::uint8_t> head = file.read(0, kDosHeaderSize);
    switch (FormatOf(head)) {
      case BinaryFormat::kElf:
#if defined(__linux__)
        CheckElfLibrary(file);
        return;
#else
        throw LoadError("a Linux library, which this build does not load");
#endif
      case BinaryFormat::kPortableExecutable:
#if defined(_WIN32)
        CheckPortableExecutable(file, kNativePeMachine);
        return;
#else
        throw LoadError("a Windows plug-in, which only the Windows build of the stand-in host loads");
#endif
      case BinaryFormat::kMachO:
        return;  // its loader checks every range as it reads the file
      case BinaryFormat::kUnknown:
        throw LoadError(head.empty() ? "an empty file"
                                     : "not a library: neither ELF, a Windows image nor macOS code");
    }
  } catch (const LoadError& e) {
    throw LoadError("cannot load plug-in " + path + ": " + (code == path ? "" : code + ": ") +
                    e.what());
  }
}


}  // namespace testhost
