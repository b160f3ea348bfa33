// Heap allocations counted while a command runs, with the share the plug-in's own code asked for.
//
// The benchmark program replaces malloc and its relatives; every allocation made on the counting
// thread while a count is open is added up. An allocation is the plug-in's when, walking up the
// stack from the allocator, code of the plug-in library comes before code of this program (the
// stand-in host): the host's recording inside a callback the plug-in called is the host's. The
// plug-in's code is named with SetPluginCode.
#pragma once

#include <cstdint>

#include "CodeOwner.h"

namespace bench {

struct HeapCount {
  std::int64_t total = 0;   // every allocation, host and plug-in
  std::int64_t plugin = 0;  // those made by the plug-in's own code
};

// Counts the allocations made on this thread until the returned count is read with Stop().
class HeapCounter {
 public:
  HeapCounter();
  ~HeapCounter();
  HeapCounter(const HeapCounter&) = delete;
  HeapCounter& operator=(const HeapCounter&) = delete;
  HeapCount Stop();
};

template <typename F>
HeapCount CountHeap(F&& run) {
  HeapCounter counter;
  run();
  return counter.Stop();
}

}  // namespace bench
