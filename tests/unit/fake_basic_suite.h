// A basic suite that hands out distinct dummy suites and records every call, for the units that
// acquire and release suites without a host.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"

using SuiteIdentity = std::pair<std::string, int>;

class FakeBasicSuite {
 public:
  FakeBasicSuite();
  ~FakeBasicSuite();
  FakeBasicSuite(const FakeBasicSuite&) = delete;
  FakeBasicSuite& operator=(const FakeBasicSuite&) = delete;

  const SPBasicSuite* basic() const { return &basic_; }

  // The stable dummy table the fake hands out for an identity.
  const void* TableFor(const SuiteIdentity& identity);

  std::vector<SuiteIdentity> acquired;  // every AcquireSuite call, in order
  std::vector<SuiteIdentity> released;  // every ReleaseSuite call, in order
  std::set<SuiteIdentity> refused;      // answered with an error and no pointer
  std::set<SuiteIdentity> nulled;       // answered with success but no pointer
  std::set<SuiteIdentity> silent;       // answered with an error, pointer left unwritten
  std::set<SuiteIdentity> grudging;     // answered with an error, yet the suite handed out
  std::set<SuiteIdentity> throwing;     // answered by throwing std::bad_alloc

 private:
  static SPErr Acquire(const char* name, int version, const void** suiteP);
  static SPErr Release(const char* name, int version);

  SPBasicSuite basic_{};
  std::map<SuiteIdentity, std::unique_ptr<std::array<std::max_align_t, 32>>> tables_;
};
