// libFuzzer target: the stand-in host's loader of macOS code on arbitrary bytes. Each input is
// read slice by slice (segments, rebase and bind opcodes, export trie) and then loaded as the
// host loads a bundle's code; it must be loaded and unloaded or refused with a LoadError, never
// crash, read outside the input or leak. Nothing in a loaded input is ever called.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "MachOImage.h"
#include "testhost/MachO.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> file(data, data + size);
  try {
    for (const testhost::MachOSlice& slice : testhost::ReadMachOSlices(file)) {
      testhost::ReadRebases(file, slice);
      testhost::ReadBindings(file, slice);
      testhost::ReadExports(file, slice);
    }
  } catch (const testhost::LoadError&) {
  }
  try {
    const testhost::MachOImage image(file);
    image.find("EntryPointFunc_tiny");
  } catch (const testhost::LoadError&) {
  }
  return 0;
}
