#include "testhost/formats/FileCheck.h"

#include <cstring>
#include <limits>

#include "testhost/formats/ByteReader.h"
#include "testhost/formats/MachO.h"
#include "testhost/formats/PeImage.h"

#if defined(__linux__)
#include <elf.h>
#endif

namespace testhost {

namespace {

std::string ByteCountText(std::uint64_t count) { return std::to_string(count) + " bytes"; }

// The loader's words for a range outside the file.
LoadError RunsPastTheEnd(const OutOfBounds& outside) {
  const std::uint64_t offset = outside.offset(), count = outside.count();
  const std::string range =
      count <= std::numeric_limits<std::uint64_t>::max() - offset
          ? "bytes " + std::to_string(offset) + " to " + std::to_string(offset + count)
          : ByteCountText(count) + " from byte " + std::to_string(offset);
  return LoadError(outside.part() + " (" + range + ") runs past the end of the file (" +
                   ByteCountText(outside.size()) + "): it is cut short or damaged");
}

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

void CheckSegments(const ByteReader& file, const ElfHeader& header) {
  if (header.e_phentsize != sizeof(ProgramHeader)) {
    throw LoadError("program headers of " + ByteCountText(header.e_phentsize) + " each instead of " +
                    std::to_string(sizeof(ProgramHeader)));
  }
  if (header.e_phnum == 0 || header.e_phnum == PN_XNUM) {
    throw LoadError("a library without program headers");
  }
  const std::uint64_t tableSize = std::uint64_t{header.e_phnum} * sizeof(ProgramHeader);
  const ByteReader table = file.window(header.e_phoff, tableSize, "its program header table");
  bool loadable = false;
  for (std::size_t i = 0; i < header.e_phnum; ++i) {
    const auto segment =
        table.record<ProgramHeader>(i * sizeof(ProgramHeader), "its program header table");
    const std::string what = std::string("its ") + (segment.p_type == PT_LOAD ? "loadable " : "") +
                             "segment " + std::to_string(i);
    if (segment.p_type == PT_LOAD) {
      loadable = true;
      if (segment.p_filesz > segment.p_memsz) {
        throw LoadError(what + " is larger in the file (" + ByteCountText(segment.p_filesz) +
                        ") than in memory (" + ByteCountText(segment.p_memsz) + ")");
      }
    }
    if (segment.p_filesz > 0) file.require(segment.p_offset, segment.p_filesz, what);
  }
  if (!loadable) throw LoadError("a library without a loadable segment");
}

void CheckSections(const ByteReader& file, const ElfHeader& header) {
  if (header.e_shoff == 0) {
    if (header.e_shnum != 0) throw LoadError("sections listed in no section header table");
    return;
  }
  if (header.e_shentsize != sizeof(SectionHeader)) {
    throw LoadError("section headers of " + ByteCountText(header.e_shentsize) + " each instead of " +
                    std::to_string(sizeof(SectionHeader)));
  }
  // With 0xFF00 sections or more, the first header's size holds the count.
  std::uint64_t count = header.e_shnum;
  if (count == 0) {
    count = file.record<SectionHeader>(header.e_shoff, "its first section header").sh_size;
    if (count > file.size() / sizeof(SectionHeader)) {
      throw LoadError("a section count of " + std::to_string(count) +
                      ", more than the file could hold");
    }
  }
  const ByteReader table =
      file.window(header.e_shoff, count * sizeof(SectionHeader), "its section header table");
  for (std::size_t i = 0; i < count; ++i) {
    const auto section =
        table.record<SectionHeader>(i * sizeof(SectionHeader), "its section header table");
    if (section.sh_type == SHT_NOBITS || section.sh_size == 0) continue;
    file.require(section.sh_offset, section.sh_size, "its section " + std::to_string(i));
  }
}

#endif  // __linux__

}  // namespace

BinaryFormat FormatOf(const std::vector<std::uint8_t>& head) {
  if (head.size() >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') {
    return BinaryFormat::kElf;
  }
  if (head.size() >= 2 && head[0] == 'M' && head[1] == 'Z') return BinaryFormat::kPortableExecutable;
  if (LooksLikeMachO(head)) return BinaryFormat::kMachO;
  return BinaryFormat::kUnknown;
}

void CheckPortableExecutable(CheckedFile& file, std::optional<PeMachine> machine) {
  PeImage image{};
  try {
    image = ReadPeImage(file.readAll());
  } catch (const OutOfBounds& outside) {
    throw RunsPastTheEnd(outside);
  } catch (const FormatError& e) {
    throw LoadError(e.what());
  }
  if (!(image.characteristics & kPeFileDll)) throw LoadError("a Windows program, not a library");
  if (machine && image.machine != *machine) {
    throw LoadError("a library for " + PeMachineName(image.machine) + "; this build loads " +
                    PeMachineName(*machine) + " libraries");
  }
}

#if defined(__linux__)
void CheckElfLibrary(CheckedFile& file) {
  const std::vector<std::uint8_t> head = file.read(0, sizeof(ElfHeader));
  if (head.size() < SELFMAG || std::memcmp(head.data(), ELFMAG, SELFMAG) != 0) {
    throw LoadError("not an ELF file");
  }
  if (head.size() > EI_CLASS && head[EI_CLASS] != kElfClass) {
    throw LoadError("a " + ElfClassName(head[EI_CLASS]) + " ELF file; this build loads " +
                    ElfClassName(kElfClass) + " libraries");
  }
  if (head.size() < sizeof(ElfHeader)) {
    throw LoadError("cut short: " + ByteCountText(file.size()) + ", fewer than its ELF header's " +
                    std::to_string(sizeof(ElfHeader)));
  }
  const std::vector<std::uint8_t> bytes = file.readAll();
  const ByteReader whole(bytes);
  const auto header = whole.record<ElfHeader>(0, "its ELF header");
  CheckElfHeader(header);
  try {
    CheckSegments(whole, header);
    CheckSections(whole, header);
  } catch (const OutOfBounds& outside) {
    throw RunsPastTheEnd(outside);
  }
}
#endif

}  // namespace testhost
