#include "fake_basic_suite.h"

#include <new>

namespace {
FakeBasicSuite* current = nullptr;
constexpr SPErr kRefused = 1;
}  // namespace

FakeBasicSuite::FakeBasicSuite() {
  basic_.AcquireSuite = &FakeBasicSuite::Acquire;
  basic_.ReleaseSuite = &FakeBasicSuite::Release;
  current = this;
}

FakeBasicSuite::~FakeBasicSuite() { current = nullptr; }

const void* FakeBasicSuite::TableFor(const SuiteIdentity& identity) {
  auto& table = tables_[identity];
  if (!table) {
    table = std::make_unique<std::array<std::max_align_t, 32>>();
  }
  return table.get();
}

SPErr FakeBasicSuite::Acquire(const char* name, int version, const void** suiteP) {
  const SuiteIdentity identity{name, version};
  current->acquired.push_back(identity);
  if (current->throwing.count(identity)) {
    throw std::bad_alloc();
  }
  if (current->silent.count(identity)) {
    return kRefused;
  }
  if (current->refused.count(identity)) {
    *suiteP = nullptr;
    return kRefused;
  }
  *suiteP = current->nulled.count(identity) ? nullptr : current->TableFor(identity);
  return current->grudging.count(identity) ? kRefused : 0;
}

SPErr FakeBasicSuite::Release(const char* name, int version) {
  current->released.emplace_back(name, version);
  return 0;
}
