// libFuzzer target: the stand-in host's loader of macOS code on arbitrary bytes. Each input is
// read slice by slice (segments, signature, rebase and bind opcodes, export trie) and then
// loaded as the host loads a bundle's code; it must be loaded and unloaded or refused with a
// MachOError, never crash, read outside the input or leak. The loader checks the page hashes
// first, so the input is loaded a second time with its hashes recomputed, to reach what lies
// behind them. Nothing in a loaded input is ever called.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "testhost/macho/CodeSignature.h"
#include "testhost/formats/MachO.h"
#include "testhost/macho/MachOImage.h"

namespace {

void Load(const std::vector<std::uint8_t>& file) {
  try {
    const testhost::MachOImage image(file);
    image.find("EntryPointFunc_tiny");
  } catch (const testhost::MachOError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  try {
    for (const testhost::MachOSlice& slice : testhost::ReadMachOSlices(file)) {
      testhost::ReadRebases(file, slice);
      testhost::ReadBindings(file, slice);
      testhost::ReadExports(file, slice);
      testhost::ReadSliceSignature(file, slice);
    }
  } catch (const testhost::MachOError&) {
  }
  Load(file);
  try {
    testhost::RehashCodePages(file);
  } catch (const testhost::MachOError&) {
    return 0;
  }
  Load(file);
  return 0;
}
