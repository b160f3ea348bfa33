#include "HeapCount.h"

#include <cerrno>
#include <cstddef>

#include "CodeOwner.h"

// glibc's own allocator under its internal names: the replacements below count, then hand over.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace bench {
namespace {

thread_local bool tCounting = false;
thread_local bool tInHook = false;  // the walk itself may allocate; that is not counted
thread_local HeapCount tCount;

void Note() {
  if (!tCounting || tInHook) return;
  tInHook = true;
  ++tCount.total;
  if (OwnerOfCurrentStack() == Owner::Plugin) ++tCount.plugin;
  tInHook = false;
}

}  // namespace

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
