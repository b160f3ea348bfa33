#include "testhost/core/HandleTable.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace testhost {

namespace {

constexpr std::size_t kGuard = 32;
constexpr unsigned char kGuardByte = 0xB6;

std::string Describe(const void* h) {
  std::ostringstream s;
  s << "handle " << h;
  return s.str();
}

}  // namespace

void HandleTable::fillBlock(Entry& e, A_HandleSize size) {
  e.storage.assign(kGuard + static_cast<std::size_t>(size) + kGuard, kGuardByte);
  std::fill_n(e.storage.begin() + kGuard, static_cast<std::size_t>(size), 0);
  e.master = e.storage.data() + kGuard;
  e.size = size;
}

void HandleTable::reportNotLive(const char* use, PF_Handle h, const Entry* e) {
  if (e) {
    report_({HostRule::DisposedHandle, use + Describe(h) + ", already disposed"});
  } else {
    report_({HostRule::UnknownHandle, use + Describe(h) + ", not made by the host"});
  }
}

PF_Handle HandleTable::create(A_HandleSize size) {
  Entry& e = entries_.emplace_back();
  fillBlock(e, size);
  e.live = true;
  PF_Handle h = &e.master;
  byHandle_[h] = &e;
  return h;
}

HandleTable::Entry* HandleTable::find(PF_Handle h) {
  auto it = byHandle_.find(h);
  return it == byHandle_.end() ? nullptr : it->second;
}

const HandleTable::Entry* HandleTable::find(PF_Handle h) const {
  auto it = byHandle_.find(h);
  return it == byHandle_.end() ? nullptr : it->second;
}

void* HandleTable::lock(PF_Handle h) {
  Entry* e = find(h);
  if (!e || !e->live) {
    reportNotLive("lock of ", h, e);
    return nullptr;
  }
  ++e->locks;
  return e->master;
}

void HandleTable::unlock(PF_Handle h) {
  Entry* e = find(h);
  if (!e || !e->live) {
    reportNotLive("unlock of ", h, e);
    return;
  }
  if (e->locks == 0) {
    report_({HostRule::UnlockWithoutLock, "unlock of " + Describe(h) + ", which is not locked"});
    return;
  }
  --e->locks;
}

bool HandleTable::dispose(PF_Handle h) {
  Entry* e = find(h);
  if (!e) {
    reportNotLive("dispose of ", h, e);
    return false;
  }
  if (!e->live) {
    report_({HostRule::DisposedHandle, "double dispose of " + Describe(h)});
    return false;
  }
  e->live = false;
  e->locks = 0;
  e->master = nullptr;
  e->storage.clear();
  e->storage.shrink_to_fit();
  return true;
}

A_HandleSize HandleTable::size(PF_Handle h) const {
  const Entry* e = find(h);
  return e && e->live ? e->size : 0;
}

PF_Err HandleTable::resize(A_HandleSize size, PF_Handle* h) {
  Entry* e = h ? find(*h) : nullptr;
  if (!e || !e->live) {
    reportNotLive("resize of ", h ? *h : nullptr, e);
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  std::vector<unsigned char> old = std::move(e->storage);
  const A_HandleSize keep = std::min(size, e->size);
  fillBlock(*e, size);
  std::memcpy(e->storage.data() + kGuard, old.data() + kGuard, static_cast<std::size_t>(keep));
  return PF_Err_NONE;
}

bool HandleTable::isLive(PF_Handle h) const {
  const Entry* e = find(h);
  return e && e->live;
}

int HandleTable::lockCount(PF_Handle h) const {
  const Entry* e = find(h);
  return e && e->live ? e->locks : 0;
}

const void* HandleTable::peek(PF_Handle h) const {
  const Entry* e = find(h);
  return e && e->live ? e->master : nullptr;
}

int HandleTable::live() const {
  return static_cast<int>(
      std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.live; }));
}

std::vector<PF_Handle> HandleTable::liveHandles() const {
  std::vector<PF_Handle> out;
  for (const auto& [h, e] : byHandle_)
    if (e->live) out.push_back(h);
  return out;
}

std::vector<Violation> HandleTable::checkGuards() {
  std::vector<Violation> out;
  for (auto& [h, e] : byHandle_) {
    if (!e->live || e->guardReported) continue;
    const auto& s = e->storage;
    const std::size_t end = kGuard + static_cast<std::size_t>(e->size);
    const bool intact =
        std::all_of(s.begin(), s.begin() + kGuard,
                    [](unsigned char b) { return b == kGuardByte; }) &&
        std::all_of(s.begin() + end, s.end(), [](unsigned char b) { return b == kGuardByte; });
    if (!intact) {
      e->guardReported = true;
      out.push_back({HostRule::GuardBytesOverwritten, "write outside the block of " + Describe(h) +
                                                          " (" + std::to_string(e->size) +
                                                          " bytes)"});
    }
  }
  return out;
}

}  // namespace testhost
