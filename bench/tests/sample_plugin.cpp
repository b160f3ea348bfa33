// A library standing in for a plug-in whose allocations the heap counter must tell from the
// host's: it allocates in its own code and through the C++ runtime, and lets the program (the
// host) allocate in a callback.
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

