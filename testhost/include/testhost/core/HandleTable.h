// The host's memory handles: what "PF Handle Suite" and the handle callbacks hand out.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"
#include "testhost/core/HostRule.h"

namespace testhost {

// A handle is the address of a master pointer that points at the block. Disposed handles keep
// their master pointer slot (set to null) for the table's lifetime, so a handle value is never
// reused and a double dispose is told apart from a stranger's pointer. Every block has guard
// bytes on both sides.
class HandleTable {
 public:
  using Report = std::function<void(Violation)>;
  explicit HandleTable(Report report) : report_(std::move(report)) {}
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // A new zero-filled block of `size` bytes.
  PF_Handle create(A_HandleSize size);
  // The block's address, with the lock count raised; null (and a report) for a handle that is
  // not live.
  void* lock(PF_Handle h);
  void unlock(PF_Handle h);
  // False (and a report) for a double dispose or a handle the table never made.
  bool dispose(PF_Handle h);
  // 0 for a handle that is not live.
  A_HandleSize size(PF_Handle h) const;
  // Keeps the handle value and the contents up to the smaller size.
  PF_Err resize(A_HandleSize size, PF_Handle* h);

  bool isLive(PF_Handle h) const;
  int lockCount(PF_Handle h) const;
  // The block without locking it, for tests; null when not live.
  const void* peek(PF_Handle h) const;
  int live() const;
  int created() const { return static_cast<int>(entries_.size()); }
  std::vector<PF_Handle> liveHandles() const;

  // One violation per block whose guard bytes were overwritten; reports each once.
  std::vector<Violation> checkGuards();

 private:
  struct Entry {
    void* master = nullptr;
    std::vector<unsigned char> storage;
    A_HandleSize size = 0;
    int locks = 0;
    bool live = false;
    bool guardReported = false;
  };
  Entry* find(PF_Handle h);
  const Entry* find(PF_Handle h) const;
  void fillBlock(Entry& e, A_HandleSize size);
  // Reports a use of a handle that is not live: `e` is its entry, null for one never made.
  void reportNotLive(const char* use, PF_Handle h, const Entry* e);

  Report report_;
  std::deque<Entry> entries_;
  std::map<PF_Handle, Entry*> byHandle_;
};

}  // namespace testhost
