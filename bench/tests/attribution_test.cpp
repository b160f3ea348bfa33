// The heap counter counts every allocation made during a count, and gives the plug-in exactly
// those its own code asked for, directly or through the C++ runtime, and none of the host's.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "HeapCount.h"

namespace {

using bench::CountHeap;
using bench::HeapCount;

std::vector<std::unique_ptr<std::vector<int>>> gHostBlocks;

// The host's part: two allocations in this program's code.
void HostCallback() {
  gHostBlocks.push_back(std::make_unique<std::vector<int>>(100));
}

class AttributionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = dlopen(ZB_SAMPLE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    gHostBlocks.reserve(16);
    bench::SetPluginCode(Find("zb_release"));
  }
  void TearDown() override {
    if (library_ == nullptr) return;
    reinterpret_cast<void (*)()>(Find("zb_release"))();
    gHostBlocks.clear();
    bench::SetPluginCode(nullptr);
    dlclose(library_);
  }
  void* Find(const char* name) { return dlsym(library_, name); }
  template <typename F>
  F Function(const char* name) {
    return reinterpret_cast<F>(Find(name));
  }

  void* library_ = nullptr;
};

TEST_F(AttributionTest, AttributesEachAllocationToWhoseCodeAskedForIt) {
  using Plain = void (*)();
  using WithCallback = void (*)(void (*)());
  struct Case {
    const char* what;
    std::function<void()> run;
    std::int64_t total;
    std::int64_t plugin;
  };
  const std::vector<Case> cases = {
      {"malloc in the plug-in", [&] { Function<Plain>("zb_malloc")(); }, 1, 1},
      {"string made by the runtime for the plug-in", [&] { Function<Plain>("zb_string")(); }, 2,
       2},
      {"host callback called by the plug-in",
       [&] { Function<WithCallback>("zb_call")(HostCallback); }, 2, 0},
      {"both in one command", [&] { Function<WithCallback>("zb_call_and_malloc")(HostCallback); },
       3, 1},
      {"host alone", [] { HostCallback(); }, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const HeapCount count = CountHeap(c.run);
    EXPECT_EQ(count.total, c.total);
    EXPECT_EQ(count.plugin, c.plugin);
    Function<Plain>("zb_release")();
    gHostBlocks.clear();
  }
}

TEST_F(AttributionTest, WithoutAPluginEverythingIsTheHosts) {
  bench::SetPluginCode(nullptr);
  const HeapCount count = CountHeap([&] { Function<void (*)()>("zb_malloc")(); });
  EXPECT_EQ(count.total, 1);
  EXPECT_EQ(count.plugin, 0);
}

TEST(HeapCounterTest, CountsEveryAllocatorOnlyWhileOpen) {
  void* outside = std::malloc(8);
  void* aligned = nullptr;
  EXPECT_EQ(posix_memalign(&aligned, 3, 8), EINVAL);
  int aligning = -1;
  void* volatile blocks[2] = {};  // kept from the optimiser, which drops unused allocations
  const HeapCount count = CountHeap([&] {
    blocks[0] = std::calloc(4, 4);
    outside = std::realloc(outside, 64);
    blocks[1] = std::aligned_alloc(64, 64);
    aligning = posix_memalign(&aligned, 64, 64);
  });
  for (void* block : blocks) std::free(block);
  EXPECT_EQ(aligning, 0);
  EXPECT_EQ(count.total, 4);
  EXPECT_EQ(count.plugin, 0);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(aligned) % 64, 0u);
  std::free(aligned);
  std::free(outside);
  const HeapCount nothing = CountHeap([] {});
  EXPECT_EQ(nothing.total, 0);
}

}  // namespace
