#include "testhost/formats/MachO.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>
#include <utility>

#include "testhost/formats/ByteReader.h"
#include "testhost/formats/File.h"
#include "testhost/formats/MachOFormat.h"

namespace testhost {

namespace {

using namespace macho;

// Mapped images larger than this are refused: the plug-in is tens of kilobytes, and a hostile
// size must not reserve the address space.
constexpr std::uint64_t kMaxImageSize = std::uint64_t{64} << 20;
constexpr std::uint64_t kPointerSize = 8;

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string FixedName(const char (&name)[16]) {
  return std::string(name, std::find(name, name + 16, '\0'));
}

bool IsZeroFill(std::uint32_t sectionFlags) {
  constexpr std::uint32_t kZeroFill = 0x01, kGbZeroFill = 0x0C, kThreadLocalZeroFill = 0x12;
  const std::uint32_t type = sectionFlags & kSectionTypeMask;
  return type == kZeroFill || type == kGbZeroFill || type == kThreadLocalZeroFill;
}

MachORange CheckedRange(const ByteReader& slice, std::uint64_t offset, std::uint64_t size,
                        const std::string& what) {
  slice.require(offset, size, what);
  return {offset, size};
}

MachOSegment ReadSegment(const ByteReader& slice, std::uint64_t at, const LoadCommand& command) {
  const auto segment = slice.record<SegmentCommand64>(at, "a segment command");
  MachOSegment out;
  out.name = FixedName(segment.name);
  const std::string what = "segment " + out.name;
  if (command.size < sizeof(SegmentCommand64) ||
      (command.size - sizeof(SegmentCommand64)) / sizeof(Section64) < segment.sectionCount) {
    throw MachOError(what + " lists more sections than its load command holds");
  }
  if (segment.fileSize > segment.vmSize)
    throw MachOError(what + " is larger in the file than mapped");
  if (segment.vmSize > kMaxImageSize || segment.vmAddress > kMaxImageSize) {
    throw MachOError(what + " is mapped beyond " + Hex(kMaxImageSize));
  }
  slice.require(segment.fileOffset, segment.fileSize, what + "'s contents");
  out.address = segment.vmAddress;
  out.vmSize = segment.vmSize;
  out.fileOffset = segment.fileOffset;
  out.fileSize = segment.fileSize;
  out.initProtection = segment.initProtection;
  out.commandOffset = at;
  for (std::uint32_t i = 0; i < segment.sectionCount; ++i) {
    const auto section =
        slice.record<Section64>(at + sizeof(SegmentCommand64) + i * sizeof(Section64), what);
    MachOSection s;
    s.name = FixedName(section.name);
    s.address = section.address;
    s.size = section.size;
    s.fileOffset = section.fileOffset;
    s.flags = section.flags;
    const std::string sectionWhat = "section " + out.name + "," + s.name;
    if (s.address < out.address || s.size > out.vmSize ||
        s.address - out.address > out.vmSize - s.size) {
      throw MachOError(sectionWhat + " lies outside its segment");
    }
    if (!IsZeroFill(s.flags)) slice.require(s.fileOffset, s.size, sectionWhat);
    out.sections.push_back(std::move(s));
  }
  return out;
}

std::string ReadLibraryName(const ByteReader& slice, std::uint64_t at, const LoadCommand& command) {
  const auto dylib = slice.record<DylibCommand>(at, "a library command");
  if (dylib.nameOffset < sizeof(DylibCommand) || dylib.nameOffset >= command.size) {
    throw MachOError("a library command's name lies outside the command");
  }
  ByteCursor name(
      slice.window(at + dylib.nameOffset, command.size - dylib.nameOffset, "a library name"),
      "a library command");
  return name.cstring();
}

void CheckSegmentsDoNotOverlap(const MachOSlice& slice) {
  std::vector<const MachOSegment*> mapped;
  for (const MachOSegment& s : slice.segments) {
    if (s.vmSize > 0) mapped.push_back(&s);
  }
  std::sort(mapped.begin(), mapped.end(),
            [](const MachOSegment* a, const MachOSegment* b) { return a->address < b->address; });
  for (std::size_t i = 1; i < mapped.size(); ++i) {
    if (mapped[i - 1]->address + mapped[i - 1]->vmSize > mapped[i]->address) {
      throw MachOError("segments " + mapped[i - 1]->name + " and " + mapped[i]->name + " overlap");
    }
  }
}

// Reads load command `index`, `command` at `at` within the slice, into `out`.
void ReadLoadCommand(const ByteReader& slice, std::uint64_t at, std::uint32_t index,
                     const LoadCommand& command, MachOSlice& out) {
  const ByteReader body = slice.window(at, command.size, "load command " + std::to_string(index));
  switch (command.cmd) {
    case kLcSegment64:
      out.segments.push_back(ReadSegment(slice, at, command));
      break;
    case kLcLoadDylib:
    case kLcLoadWeakDylib:
    case kLcReexportDylib:
    case kLcLazyLoadDylib:
    case kLcLoadUpwardDylib:
      out.libraries.push_back(ReadLibraryName(slice, at, command));
      break;
    case kLcDyldInfo:
    case kLcDyldInfoOnly: {
      const auto info = body.record<DyldInfoCommand>(0, "the linker information command");
      out.hasDyldInfo = true;
      out.rebase = CheckedRange(slice, info.rebaseOffset, info.rebaseSize, "the rebase opcodes");
      out.bind = CheckedRange(slice, info.bindOffset, info.bindSize, "the bind opcodes");
      out.weakBind =
          CheckedRange(slice, info.weakBindOffset, info.weakBindSize, "the weak-bind opcodes");
      out.lazyBind =
          CheckedRange(slice, info.lazyBindOffset, info.lazyBindSize, "the lazy-bind opcodes");
      out.exports = CheckedRange(slice, info.exportOffset, info.exportSize, "the export trie");
      break;
    }
    case kLcCodeSignature: {
      const auto data = body.record<LinkeditDataCommand>(0, "the code signature command");
      out.codeSignature = CheckedRange(slice, data.dataOffset, data.dataSize, "the code signature");
      out.codeSignatureCommandOffset = at;
      break;
    }
    case kLcDyldChainedFixups:
    case kLcDyldExportsTrie:
      out.hasChainedFixups = true;
      break;
    default:
      break;  // build version, UUID, symbol tables and the like: nothing to load
  }
}

// The address of the segment that maps the Mach-O header; throws when none does.
std::uint64_t HeaderAddress(const MachOSlice& slice) {
  const auto headerSegment =
      std::find_if(slice.segments.begin(), slice.segments.end(),
                   [](const MachOSegment& s) { return s.fileOffset == 0 && s.fileSize > 0; });
  if (headerSegment == slice.segments.end()) throw MachOError("no segment maps the Mach-O header");
  return headerSegment->address;
}

MachOSlice ReadSlice(const ByteReader& file, std::uint32_t cpuType, MachORange range) {
  const ByteReader slice =
      file.window(range.offset, range.size, "the " + CpuTypeName(cpuType) + " slice");
  const auto header = slice.record<MachHeader64>(0, "the Mach-O header");
  if (header.magic != kMagic64) throw MachOError("a slice is not a 64-bit Mach-O file");
  if (header.cpuType != cpuType) {
    throw MachOError("the " + CpuTypeName(cpuType) + " slice holds code for " +
                    CpuTypeName(header.cpuType));
  }
  MachOSlice out;
  out.cpuType = cpuType;
  out.range = range;
  out.fileType = header.fileType;
  const ByteReader commands =
      slice.window(sizeof(MachHeader64), header.commandsSize, "the load commands");
  std::uint64_t at = 0;
  for (std::uint32_t i = 0; i < header.commandCount; ++i) {
    const auto command = commands.record<LoadCommand>(at, "load command " + std::to_string(i));
    if (command.size < sizeof(LoadCommand) || command.size % 4 != 0) {
      throw MachOError("load command " + std::to_string(i) + " has a malformed size");
    }
    commands.require(at, command.size, "load command " + std::to_string(i));
    ReadLoadCommand(slice, sizeof(MachHeader64) + at, i, command, out);
    at += command.size;
  }
  if (out.segments.empty())
    throw MachOError("the " + CpuTypeName(cpuType) + " slice has no segments");
  out.headerAddress = HeaderAddress(out);
  CheckSegmentsDoNotOverlap(out);
  return out;
}

}  // namespace

const MachOSegment* MachOSlice::findSegment(const std::string& name) const {
  for (const MachOSegment& s : segments) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

const MachOSection* MachOSlice::findSection(const std::string& segment,
                                            const std::string& name) const {
  const MachOSegment* s = findSegment(segment);
  if (!s) return nullptr;
  for (const MachOSection& section : s->sections) {
    if (section.name == name) return &section;
  }
  return nullptr;
}

std::vector<std::uint8_t> ReadMachOFile(const std::string& path) {
  try {
    return ReadCheckedFile(path, kMaxMachOFileSize, "a plug-in's code");
  } catch (const LoadError& e) {
    throw MachOError(path + ": " + e.what());
  }
}

bool LooksLikeMachO(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 4) return false;
  const ByteReader b(bytes);
  const std::uint32_t big = b.be32(0, "the magic number");
  const auto little = b.record<std::uint32_t>(0, "the magic number");
  return little == kMagic64 || big == kFatMagic || big == kFatMagic64;
}

std::string CpuTypeName(std::uint32_t cpuType) {
  switch (cpuType) {
    case kCpuTypeX86_64:
      return "x86_64";
    case kCpuTypeArm64:
      return "arm64";
  }
  return "CPU type " + Hex(cpuType);
}

std::vector<MachOSlice> ReadMachOSlices(const std::vector<std::uint8_t>& file) {
  const ByteReader bytes(file.data(), file.size());
  const std::uint32_t magic = bytes.be32(0, "the magic number");
  if (magic != kFatMagic && magic != kFatMagic64) {
    const auto header = bytes.record<MachHeader64>(0, "the Mach-O header");
    return {ReadSlice(bytes, header.cpuType, {0, file.size()})};
  }
  // Universal: big-endian records name each slice's architecture and place in the file.
  const bool wide = magic == kFatMagic64;
  const std::uint32_t count = bytes.be32(4, "the universal header");
  const std::uint64_t entrySize = wide ? sizeof(FatArch64) : sizeof(FatArch);
  if (count == 0) throw MachOError("the universal file holds no slices");
  bytes.require(sizeof(FatHeader), count * entrySize, "the universal file's slice table");
  std::vector<MachOSlice> slices;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t at = sizeof(FatHeader) + i * entrySize;
    const std::uint32_t cpuType = bytes.be32(at, "a slice entry");
    const MachORange range = wide ? MachORange{bytes.be64(at + 8, "a slice entry"),
                                               bytes.be64(at + 16, "a slice entry")}
                                  : MachORange{bytes.be32(at + 8, "a slice entry"),
                                               bytes.be32(at + 12, "a slice entry")};
    for (const MachOSlice& other : slices) {
      if (other.cpuType == cpuType)
        throw MachOError("the universal file holds two " + CpuTypeName(cpuType) + " slices");
    }
    slices.push_back(ReadSlice(bytes, cpuType, range));
  }
  return slices;
}

const MachOSlice& SliceFor(const std::vector<MachOSlice>& slices, std::uint32_t cpuType) {
  std::string held;
  for (const MachOSlice& slice : slices) {
    if (slice.cpuType == cpuType) return slice;
    held += (held.empty() ? "" : ", ") + CpuTypeName(slice.cpuType);
  }
  throw MachOError("the file has no " + CpuTypeName(cpuType) + " code, only " + held);
}

namespace {

ByteReader SliceBytes(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  return ByteReader(file.data(), file.size()).window(slice.range.offset, slice.range.size, "the slice");
}

// Follows rebase and bind opcodes' address arithmetic and checks each location.
class LocationTracker {
 public:
  LocationTracker(const MachOSlice& slice, const std::string& stream)
      : slice_(slice), stream_(stream) {}

  void set(std::uint8_t segment, std::uint64_t offset) {
    if (segment >= slice_.segments.size()) {
      throw MachOError(stream_ + " name segment " + std::to_string(segment) + " of " +
                      std::to_string(slice_.segments.size()));
    }
    segment_ = segment;
    offset_ = offset;
    set_ = true;
  }
  void advance(std::uint64_t bytes) { offset_ += bytes; }  // wraps like the linker's arithmetic
  // A new entry of a lazy-bind stream sets its location anew.
  void forget() { set_ = false; }

  // The current location, checked to hold a whole pointer, counted against the limit.
  MachOLocation take() {
    if (!set_) throw MachOError(stream_ + " use a location before setting its segment");
    const MachOSegment& s = slice_.segments[segment_];
    if (offset_ > s.vmSize || s.vmSize - offset_ < kPointerSize) {
      throw MachOError(stream_ + " point outside segment " + s.name + " (offset " + Hex(offset_) +
                      ")");
    }
    if (++count_ > kMaxMachOFixups) throw MachOError(stream_ + " describe too many pointers");
    return {segment_, offset_};
  }

 private:
  const MachOSlice& slice_;
  const std::string& stream_;
  std::size_t segment_ = 0;
  std::uint64_t offset_ = 0;
  bool set_ = false;
  std::size_t count_ = 0;
};

std::string UnknownOpcode(const std::string& stream, std::uint8_t opcode, std::size_t at) {
  return stream + " hold an unknown opcode " + Hex(opcode) + " at byte " + std::to_string(at);
}

}  // namespace

std::vector<MachOLocation> ReadRebases(const std::vector<std::uint8_t>& file,
                                       const MachOSlice& slice) {
  const std::string stream = "the rebase opcodes";
  ByteCursor in(SliceBytes(file, slice).window(slice.rebase.offset, slice.rebase.size, stream), stream);
  LocationTracker where(slice, stream);
  std::vector<MachOLocation> out;
  auto rebaseTimes = [&](std::uint64_t times, std::uint64_t skip) {
    for (std::uint64_t i = 0; i < times; ++i) {
      out.push_back(where.take());
      where.advance(skip + kPointerSize);
    }
  };
  while (!in.atEnd()) {
    const std::size_t at = in.position();
    const std::uint8_t byte = in.byte();
    const std::uint8_t immediate = byte & kImmediateMask;
    switch (byte & kOpcodeMask) {
      case kRebaseDone:
        return out;
      case kRebaseSetTypeImm:
        if (immediate != kRebaseTypePointer) {
          throw MachOError(stream + " use rebase type " + std::to_string(immediate) +
                          ", which 64-bit code does not have");
        }
        break;
      case kRebaseSetSegmentAndOffsetUleb:
        where.set(immediate, in.uleb());
        break;
      case kRebaseAddAddrUleb:
        where.advance(in.uleb());
        break;
      case kRebaseAddAddrImmScaled:
        where.advance(immediate * kPointerSize);
        break;
      case kRebaseDoRebaseImmTimes:
        rebaseTimes(immediate, 0);
        break;
      case kRebaseDoRebaseUlebTimes:
        rebaseTimes(in.uleb(), 0);
        break;
      case kRebaseDoRebaseAddAddrUleb:
        rebaseTimes(1, in.uleb());
        break;
      case kRebaseDoRebaseUlebTimesSkippingUleb: {
        const std::uint64_t times = in.uleb();
        rebaseTimes(times, in.uleb());
        break;
      }
      default:
        throw MachOError(UnknownOpcode(stream, byte, at));
    }
  }
  return out;
}

namespace {

std::string BindStreamName(MachOBindKind kind) {
  return kind == MachOBindKind::kLazy   ? "the lazy-bind opcodes"
         : kind == MachOBindKind::kWeak ? "the weak-bind opcodes"
                                        : "the bind opcodes";
}

// One bind opcode stream, read opcode by opcode into bindings. Lazy-bind streams hold one entry
// per lazy pointer, each ended by DONE and starting afresh; the others end at their first DONE.
class BindStreamReader {
 public:
  BindStreamReader(const ByteReader& slice, const MachOSlice& sliceInfo, MachORange range,
                   MachOBindKind kind)
      : sliceInfo_(sliceInfo),
        kind_(kind),
        stream_(BindStreamName(kind)),
        in_(slice.window(range.offset, range.size, stream_), stream_),
        where_(sliceInfo, stream_) {
    startEntry();
  }

  // Appends every binding of the stream to `out`; throws MachOError naming the first fault.
  void readInto(std::vector<MachOBinding>& out) {
    while (!in_.atEnd()) {
      if (!apply(out)) return;
    }
  }

 private:
  void startEntry() {
    current_ = MachOBinding{};
    current_.kind = kind_;
    haveSymbol_ = false;
    where_.forget();
  }

  void bindTimes(std::vector<MachOBinding>& out, std::uint64_t times, std::uint64_t skip) {
    if (!haveSymbol_) throw MachOError(stream_ + " bind a pointer before naming its symbol");
    for (std::uint64_t i = 0; i < times; ++i) {
      current_.location = where_.take();
      out.push_back(current_);
      where_.advance(skip + kPointerSize);
    }
  }

  void setOrdinal(std::int64_t ordinal) {
    if (ordinal > static_cast<std::int64_t>(sliceInfo_.libraries.size())) {
      throw MachOError(stream_ + " name library " + std::to_string(ordinal) +
                       " but the file loads " + std::to_string(sliceInfo_.libraries.size()));
    }
    current_.libraryOrdinal = ordinal;
  }

  // Applies the next opcode; false when it ends the stream.
  bool apply(std::vector<MachOBinding>& out) {
    const std::size_t at = in_.position();
    const std::uint8_t byte = in_.byte();
    const std::uint8_t immediate = byte & kImmediateMask;
    switch (byte & kOpcodeMask) {
      case kBindDone:
        if (kind_ != MachOBindKind::kLazy) return false;
        startEntry();
        break;
      case kBindSetDylibOrdinalImm:
        setOrdinal(immediate);
        break;
      case kBindSetDylibOrdinalUleb:
        setOrdinal(static_cast<std::int64_t>(
            std::min<std::uint64_t>(in_.uleb(), std::numeric_limits<std::int64_t>::max())));
        break;
      case kBindSetDylibSpecialImm:
        // 0 is the image itself; otherwise a small negative number in the immediate's bits.
        setOrdinal(immediate == 0 ? 0 : static_cast<std::int8_t>(kOpcodeMask | immediate));
        break;
      case kBindSetSymbolTrailingFlagsImm:
        current_.symbol = in_.cstring();
        current_.weakImport = (immediate & kBindSymbolFlagsWeakImport) != 0;
        haveSymbol_ = true;
        break;
      case kBindSetTypeImm:
        if (immediate != kBindTypePointer) {
          throw MachOError(stream_ + " use bind type " + std::to_string(immediate) +
                           ", which 64-bit code does not have");
        }
        break;
      case kBindSetAddendSleb:
        current_.addend = in_.sleb();
        break;
      case kBindSetSegmentAndOffsetUleb:
        where_.set(immediate, in_.uleb());
        break;
      case kBindAddAddrUleb:
        where_.advance(in_.uleb());
        break;
      case kBindDoBind:
        bindTimes(out, 1, 0);
        break;
      case kBindDoBindAddAddrUleb:
        bindTimes(out, 1, in_.uleb());
        break;
      case kBindDoBindAddAddrImmScaled:
        bindTimes(out, 1, immediate * kPointerSize);
        break;
      case kBindDoBindUlebTimesSkippingUleb: {
        const std::uint64_t times = in_.uleb();
        bindTimes(out, times, in_.uleb());
        break;
      }
      default:
        throw MachOError(UnknownOpcode(stream_, byte, at));
    }
    return true;
  }

  const MachOSlice& sliceInfo_;
  const MachOBindKind kind_;
  const std::string stream_;  // before in_ and where_, which name it
  ByteCursor in_;
  LocationTracker where_;
  MachOBinding current_;
  bool haveSymbol_ = false;
};

}  // namespace

std::vector<MachOBinding> ReadBindings(const std::vector<std::uint8_t>& file,
                                       const MachOSlice& slice) {
  const ByteReader bytes = SliceBytes(file, slice);
  std::vector<MachOBinding> out;
  for (const auto& [range, kind] : {std::pair{slice.bind, MachOBindKind::kBind},
                                    std::pair{slice.lazyBind, MachOBindKind::kLazy},
                                    std::pair{slice.weakBind, MachOBindKind::kWeak}}) {
    BindStreamReader(bytes, slice, range, kind).readInto(out);
  }
  if (out.size() > kMaxMachOFixups) throw MachOError("the bind opcodes describe too many pointers");
  return out;
}

std::map<std::string, std::uint64_t> ReadExports(const std::vector<std::uint8_t>& file,
                                                 const MachOSlice& slice) {
  const std::string stream = "the export trie";
  const ByteReader trie =
      SliceBytes(file, slice).window(slice.exports.offset, slice.exports.size, stream);
  std::map<std::string, std::uint64_t> out;
  if (trie.size() == 0) return out;
  // Depth-first over the nodes; each node may be reached once, so a trie that loops back is
  // refused instead of followed for ever.
  std::vector<std::pair<std::size_t, std::string>> pending{{0, ""}};
  std::set<std::size_t> visited;
  while (!pending.empty()) {
    auto [node, prefix] = std::move(pending.back());
    pending.pop_back();
    if (!visited.insert(node).second) throw MachOError(stream + " reaches a node twice");
    ByteCursor in(trie, stream, node);
    const std::uint64_t terminalSize = in.uleb();
    const std::size_t children = in.position() + terminalSize;
    if (terminalSize > trie.size() - in.position()) {
      throw MachOError(stream + " has a node running past its end");
    }
    if (terminalSize > 0) {
      const std::uint64_t flags = in.uleb();
      if (flags & (kExportReexport | kExportStubAndResolver)) {
        throw MachOError(stream + " exports " + prefix +
                        " as a re-export or resolver, which this loader does not follow");
      }
      if ((flags & kExportKindMask) != kExportKindRegular) {
        throw MachOError(stream + " exports " + prefix + " as an absolute or thread-local symbol");
      }
      out[prefix] = in.uleb();
      if (in.position() > children) throw MachOError(stream + " has a malformed export entry");
    }
    in = ByteCursor(trie, stream, children);
    const std::uint8_t childCount = in.byte();
    for (std::uint8_t i = 0; i < childCount; ++i) {
      std::string edge = in.cstring();
      const std::uint64_t child = in.uleb();
      if (child >= trie.size()) throw MachOError(stream + " points outside itself");
      pending.emplace_back(static_cast<std::size_t>(child), prefix + edge);
    }
  }
  return out;
}

}  // namespace testhost
