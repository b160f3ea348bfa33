#include "HeapCount.h"

#include <execinfo.h>
#include <link.h>

#include <cerrno>
#include <cstddef>

// glibc's own allocator under its internal names: the replacements below count, then hand over.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace bench {
namespace {

// The executable segments of one loaded file.
struct Code {
  static constexpr int kMaxSegments = 8;
  std::uintptr_t begin[kMaxSegments] = {};
  std::uintptr_t end[kMaxSegments] = {};
  int segments = 0;

  bool contains(std::uintptr_t address) const {
    for (int i = 0; i < segments; ++i)
      if (address >= begin[i] && address < end[i]) return true;
    return false;
  }
};

struct Search {
  std::uintptr_t address;
  Code* into;
};

int FindFile(dl_phdr_info* info, std::size_t, void* data) {
  auto* search = static_cast<Search*>(data);
  Code code;
  bool holds = false;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_LOAD || (header.p_flags & PF_X) == 0) continue;
    const std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
    const std::uintptr_t end = begin + header.p_memsz;
    if (code.segments < Code::kMaxSegments) {
      code.begin[code.segments] = begin;
      code.end[code.segments] = end;
      ++code.segments;
    }
    holds = holds || (search->address >= begin && search->address < end);
  }
  if (!holds) return 0;
  *search->into = code;
  return 1;
}

Code CodeOf(const void* address) {
  Code code;
  if (address == nullptr) return code;
  Search search{reinterpret_cast<std::uintptr_t>(address), &code};
  dl_iterate_phdr(FindFile, &search);
  return code;
}

Code gPlugin;
Code gProgram;

thread_local bool tCounting = false;
thread_local bool tInHook = false;  // the walk itself may allocate; that is not counted
thread_local HeapCount tCount;

constexpr int kMaxFrames = 64;

// The first frames are this program's allocation hook; past them, the first frame in either the
// plug-in or this program (whose code is the host's) decides whose allocation it is. Frames in
// the C and C++ runtimes (operator new, string and container code) belong to whoever called them.
void Attribute() {
  void* frames[kMaxFrames];
  const int count = backtrace(frames, kMaxFrames);
  bool inHook = true;
  for (int i = 0; i < count; ++i) {
    const auto address = reinterpret_cast<std::uintptr_t>(frames[i]);
    if (gProgram.contains(address)) {
      if (inHook) continue;
      return;
    }
    inHook = false;
    if (gPlugin.contains(address)) {
      ++tCount.plugin;
      return;
    }
  }
}

void Note() {
  if (!tCounting || tInHook) return;
  tInHook = true;
  ++tCount.total;
  if (gPlugin.segments > 0) Attribute();
  tInHook = false;
}

}  // namespace

void SetPluginCode(const void* addressInside) {
  if (gProgram.segments == 0) {
    gProgram = CodeOf(reinterpret_cast<const void*>(&CodeOf));
    // The first walk loads the unwinder, which allocates; do it here, outside any count.
    void* frames[1];
    backtrace(frames, 1);
  }
  gPlugin = CodeOf(addressInside);
}

HeapCounter::HeapCounter() {
  tCount = HeapCount{};
  tCounting = true;
}

HeapCounter::~HeapCounter() { tCounting = false; }

HeapCount HeapCounter::Stop() {
  tCounting = false;
  return tCount;
}

}  // namespace bench

extern "C" {

void* malloc(std::size_t size) {
  bench::Note();
  return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
  bench::Note();
  return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) {
  bench::Note();
  return __libc_realloc(block, size);
}

void* memalign(std::size_t alignment, std::size_t size) {
  bench::Note();
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
  bench::Note();
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  bench::Note();
  void* block = __libc_memalign(alignment, size);
  if (block == nullptr) return ENOMEM;
  *result = block;
  return 0;
}

}  // extern "C"
