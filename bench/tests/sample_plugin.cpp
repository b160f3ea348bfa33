// A library standing in for a plug-in whose allocations and time the instruments must tell from
// the host's: it allocates and spends time in its own code, allocates through the C++ runtime,
// and lets the program (the host) allocate and spend time in a callback.
#include <chrono>
#include <cstdlib>
#include <string>

#define ZB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
void* gKept = nullptr;
std::string* gText = nullptr;
}  // namespace

// One malloc, kept until zb_release.
ZB_EXPORT void zb_malloc() { gKept = std::malloc(40); }

// A string long enough to live on the heap, made by the C++ runtime's out-of-line code.
ZB_EXPORT void zb_string() { gText = new std::string(200, 'z'); }

// The callback allocates in the caller's code; the library allocates nothing itself.
ZB_EXPORT void zb_call(void (*callback)()) { callback(); }

// The callback's allocations and one of the library's own.
ZB_EXPORT void zb_call_and_malloc(void (*callback)()) {
  callback();
  gKept = std::malloc(16);
}

ZB_EXPORT void zb_release() {
  std::free(gKept);
  gKept = nullptr;
  delete gText;
  gText = nullptr;
}

// Busy for `ms` milliseconds of wall time in this library's code.
ZB_EXPORT void zb_spin(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  volatile unsigned turns = 0;
  while (std::chrono::steady_clock::now() < end) {
    for (int i = 0; i < 1000; ++i) turns = turns + 1;
  }
}
