#include "CodeOwner.h"

#include <execinfo.h>
#include <link.h>

#include <cstddef>
#include <cstdint>

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

constexpr int kMaxFrames = 64;

}  // namespace

void SetPluginCode(const void* addressInside) {
  if (gProgram.segments == 0) {
    gProgram = CodeOf(reinterpret_cast<const void*>(&CodeOf));
    // The first walk loads the unwinder, which allocates and takes locks; never in a count.
    void* frames[1];
    backtrace(frames, 1);
  }
  gPlugin = CodeOf(addressInside);
}

// The first frames are this program's instrument; past them, the first frame in either the
// plug-in or this program decides.
Owner OwnerOfCurrentStack() {
  if (gPlugin.segments == 0) return Owner::Host;
  void* frames[kMaxFrames];
  const int count = backtrace(frames, kMaxFrames);
  bool inInstrument = true;
  for (int i = 0; i < count; ++i) {
    const auto address = reinterpret_cast<std::uintptr_t>(frames[i]);
    if (gProgram.contains(address)) {
      if (inInstrument) continue;
      return Owner::Host;
    }
    inInstrument = false;
    if (gPlugin.contains(address)) return Owner::Plugin;
  }
  return Owner::Host;
}

}  // namespace bench
