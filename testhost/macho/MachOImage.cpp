#include "testhost/macho/MachOImage.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

#include "testhost/formats/ByteReader.h"
#include "testhost/formats/MachOFormat.h"
#include "testhost/macho/MachOUnwind.h"
#include "testhost/macho/CodeSignature.h"
#include "testhost/formats/MachO.h"

// libgcc's unwinder: frame data registered here is searched before the loaded libraries'.
extern "C" void __register_frame(const void* ehFrame);
extern "C" void __deregister_frame(const void* ehFrame);

namespace testhost {

namespace {

using namespace macho;

constexpr std::uint64_t kPageSize = 4096;

// The slice this process can run.
#if defined(__x86_64__)
constexpr std::uint32_t kHostCpuType = kCpuTypeX86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kHostCpuType = kCpuTypeArm64;
#endif

std::uint64_t RoundUpToPage(std::uint64_t n) { return (n + kPageSize - 1) & ~(kPageSize - 1); }

// Darwin's stack-protector canary is a variable of the system library; the code reads it through
// its pointer. Random, like the system's.
std::uintptr_t* StackGuard() {
  static std::uintptr_t guard[8] = {};
  static const bool initialised = [] {
    std::random_device random;
    guard[0] = (std::uintptr_t{random()} << 32) | random();
    return true;
  }();
  (void)initialised;
  return guard;
}

// Reached only if a lazy pointer were left unbound; every one is bound at load.
[[noreturn]] void StubBinderReached() {
  std::fputs("macOS code called dyld_stub_binder: a lazy import was left unbound\n", stderr);
  std::abort();
}

// Darwin names whose Linux counterpart is not the name without its leading underscore.
struct Rename {
  const char* darwin;
  const char* linuxName;
};
constexpr Rename kRenames[] = {{"___bzero", "bzero"}};

// The address this process gives a symbol the code imports, or null.
void* ResolveInProcess(const std::string& symbol) {
  if (symbol == "___stack_chk_guard") return StackGuard();
  if (symbol == "dyld_stub_binder") return reinterpret_cast<void*>(&StubBinderReached);
  for (const Rename& rename : kRenames) {
    if (symbol == rename.darwin) return dlsym(RTLD_DEFAULT, rename.linuxName);
  }
  if (symbol.size() < 2 || symbol[0] != '_') return nullptr;
  return dlsym(RTLD_DEFAULT, symbol.c_str() + 1);
}

int Protection(std::uint32_t vmProtection) {
  return ((vmProtection & kVmProtRead) ? PROT_READ : 0) |
         ((vmProtection & kVmProtWrite) ? PROT_WRITE : 0) |
         ((vmProtection & kVmProtExecute) ? PROT_EXEC : 0);
}

// A segment that reserves addresses without mapping anything (a zero page).
bool IsReservation(const MachOSegment& segment) {
  return segment.initProtection == 0 && segment.fileSize == 0;
}

void CheckSectionsLoadable(const MachOSlice& slice) {
  for (const MachOSegment& segment : slice.segments) {
    for (const MachOSection& section : segment.sections) {
      switch (section.flags & kSectionTypeMask) {
        case kSectionModInitFuncPointers:
        case kSectionModTermFuncPointers:
          throw MachOError("the code has static initialisers or finalisers (" + segment.name + "," +
                          section.name + "), which this loader does not run");
        case kSectionThreadLocalRegular:
        case kSectionThreadLocalInitFunctionPointers:
          throw MachOError("the code has thread-local variables, which this loader does not set up");
        default:
          break;
      }
    }
  }
}

}  // namespace

MachOImage::Mapping::Mapping(std::size_t size) {
  void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw MachOError("cannot reserve " + std::to_string(size) + " bytes");
  data_ = static_cast<std::uint8_t*>(p);
  size_ = size;
}

MachOImage::Mapping::~Mapping() {
  if (data_) munmap(data_, size_);
}

MachOImage::Mapping::Mapping(Mapping&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MachOImage::Mapping& MachOImage::Mapping::operator=(Mapping&& other) noexcept {
  if (this != &other) {
    if (data_) munmap(data_, size_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MachOImage::FrameRegistration::FrameRegistration(const std::vector<std::uint8_t>& ehFrame)
    : registered_(ehFrame.data()) {
  __register_frame(registered_);
}

MachOImage::FrameRegistration::~FrameRegistration() {
  if (registered_) __deregister_frame(registered_);
}

MachOImage::FrameRegistration& MachOImage::FrameRegistration::operator=(
    FrameRegistration&& other) noexcept {
  if (this != &other) {
    if (registered_) __deregister_frame(registered_);
    registered_ = std::exchange(other.registered_, nullptr);
  }
  return *this;
}

namespace {

// Refuses code this loader cannot run, before anything of it is read further: another kind of
// file, fixups it does not apply, initialisers it does not run, or pages whose hashes differ
// from the ones its signature holds (macOS runs none of those).
void CheckLoadable(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  if (slice.fileType != kFileTypeBundle && slice.fileType != kFileTypeDylib) {
    throw MachOError("the " + CpuTypeName(kHostCpuType) +
                     " code is neither a bundle nor a library (file type " +
                     std::to_string(slice.fileType) + ")");
  }
  if (slice.hasChainedFixups) {
    throw MachOError("the code uses chained fixups, which this loader does not apply");
  }
  if (!slice.hasDyldInfo) throw MachOError("the code has no rebase and bind information");
  CheckSectionsLoadable(slice);
  VerifyPageHashes(file, slice);
}

// What linking the slice takes, all read and checked before anything is mapped.
struct LinkPlan {
  std::vector<MachOLocation> rebases;
  std::vector<MachOBinding> bindings;
  std::map<std::string, std::uint64_t> exports;
  std::vector<UnwindFunction> unwind;
};

LinkPlan ReadLinkPlan(const std::vector<std::uint8_t>& file, const MachOSlice& slice) {
  LinkPlan plan;
  plan.rebases = ReadRebases(file, slice);
  plan.bindings = ReadBindings(file, slice);
  plan.exports = ReadExports(file, slice);
  if (const MachOSection* section = slice.findSection("__TEXT", "__unwind_info")) {
    const ByteReader sliceBytes = ByteReader(file.data(), file.size())
                                 .window(slice.range.offset, slice.range.size, "the slice");
    plan.unwind = ReadCompactUnwind(
        sliceBytes.window(section->fileOffset, section->size, "the unwind information"));
  }
  return plan;
}

// The addresses the mapped segments span, as linked: [low, high).
struct LinkedRange {
  std::uint64_t low = UINT64_MAX;
  std::uint64_t high = 0;
};

LinkedRange MappedRange(const MachOSlice& slice) {
  LinkedRange range;
  for (const MachOSegment& segment : slice.segments) {
    if (segment.vmSize == 0 || IsReservation(segment)) continue;
    if (segment.address % kPageSize != 0) {
      throw MachOError("segment " + segment.name + " does not start on a page boundary");
    }
    range.low = std::min(range.low, segment.address);
    range.high = std::max(range.high, segment.address + RoundUpToPage(segment.vmSize));
  }
  return range;
}

// The address a binding's pointer gets: the code's own export, a symbol of this process, or
// null where a weak import is missing. `keep` is set where the code's own definition stays.
void* BindingTarget(const MachOBinding& binding, const std::map<std::string, std::uint64_t>& exports,
                    const std::uint8_t* header, bool& keep) {
  keep = false;
  void* target = nullptr;
  if (binding.libraryOrdinal == 0 && binding.kind != MachOBindKind::kWeak) {
    const auto own = exports.find(binding.symbol);
    if (own != exports.end()) target = const_cast<std::uint8_t*>(header) + own->second;
  } else {
    target = ResolveInProcess(binding.symbol);
  }
  if (!target) {
    // A weak definition the process lacks keeps the code's own; a weak import becomes null.
    if (binding.kind == MachOBindKind::kWeak && exports.count(binding.symbol)) {
      keep = true;
    } else if (!binding.weakImport) {
      throw MachOError("the code imports " + binding.symbol + ", which this process lacks");
    }
  }
  return target;
}

}  // namespace

MachOImage::MachOImage(const std::vector<std::uint8_t>& file) {
  const std::vector<MachOSlice> slices = ReadMachOSlices(file);
  const MachOSlice& slice = SliceFor(slices, kHostCpuType);
  CheckLoadable(file, slice);
  const LinkPlan plan = ReadLinkPlan(file, slice);
  exports_ = plan.exports;
  const LinkedRange range = MappedRange(slice);
  mapSegments(file, slice, range.low, range.high);
  link(slice, plan.rebases, plan.bindings, range.low);
  checkExports();
  ehFrame_ = BuildEhFrame(plan.unwind, image(slice, range.low), kHostCpuType);
  protectSegments(slice, range.low);
  frames_ = FrameRegistration(ehFrame_);
}

void MachOImage::mapSegments(const std::vector<std::uint8_t>& file, const MachOSlice& slice,
                             std::uint64_t low, std::uint64_t high) {
  mapping_ = Mapping(high - low);
  header_ = mapping_.data() + (slice.headerAddress - low);
  const std::uint8_t* sliceBytes = file.data() + slice.range.offset;  // the reader checked it
  for (const MachOSegment& segment : slice.segments) {
    if (segment.vmSize == 0 || IsReservation(segment)) continue;
    std::memcpy(mapping_.data() + (segment.address - low), sliceBytes + segment.fileOffset,
                segment.fileSize);
  }
}

void MachOImage::link(const MachOSlice& slice, const std::vector<MachOLocation>& rebases,
                      const std::vector<MachOBinding>& bindings, std::uint64_t low) {
  std::uint8_t* const base = mapping_.data();
  const std::uint64_t slide = reinterpret_cast<std::uintptr_t>(base) - low;
  const auto pointerAt = [&](const MachOLocation& location) {
    const MachOSegment& segment = slice.segments[location.segment];
    if (IsReservation(segment)) {
      throw MachOError("a rebase or bind points into the unmapped segment " + segment.name);
    }
    return base + (segment.address - low) + location.offset;
  };
  for (const MachOLocation& location : rebases) {
    std::uint8_t* at = pointerAt(location);
    std::uint64_t value;
    std::memcpy(&value, at, sizeof value);
    value += slide;
    std::memcpy(at, &value, sizeof value);
  }
  for (const MachOBinding& binding : bindings) {
    bool keep = false;
    void* target = BindingTarget(binding, exports_, header_, keep);
    std::uint8_t* at = pointerAt(binding.location);
    if (keep) continue;
    const std::uint64_t value = target ? reinterpret_cast<std::uintptr_t>(target) +
                                             static_cast<std::uint64_t>(binding.addend)
                                       : 0;
    std::memcpy(at, &value, sizeof value);
  }
}

ByteReader MachOImage::image(const MachOSlice& slice, std::uint64_t low) const {
  return ByteReader(header_, mapping_.size() - (slice.headerAddress - low));
}

void MachOImage::checkExports() const {
  const std::size_t size = mapping_.size() - static_cast<std::size_t>(header_ - mapping_.data());
  for (const auto& [name, address] : exports_) {
    if (address >= size) throw MachOError("the export " + name + " lies outside the image");
  }
}

void MachOImage::protectSegments(const MachOSlice& slice, std::uint64_t low) {
  std::uint8_t* const base = mapping_.data();
  // The code was written as data: the instruction cache must not keep what was there before.
  __builtin___clear_cache(reinterpret_cast<char*>(base),
                          reinterpret_cast<char*>(base) + mapping_.size());
  // Between segments nothing is mapped; each segment gets the protection the file asks for.
  if (mprotect(base, mapping_.size(), PROT_NONE) != 0) throw MachOError("cannot protect the image");
  for (const MachOSegment& segment : slice.segments) {
    if (segment.vmSize == 0 || IsReservation(segment)) continue;
    if (mprotect(base + (segment.address - low), RoundUpToPage(segment.vmSize),
                 Protection(segment.initProtection)) != 0) {
      throw MachOError("cannot protect segment " + segment.name);
    }
  }
}

MachOImage::~MachOImage() = default;

void* MachOImage::find(const std::string& name) const {
  const auto found = exports_.find("_" + name);
  if (found == exports_.end()) return nullptr;
  return const_cast<std::uint8_t*>(header_) + found->second;
}

}  // namespace testhost
