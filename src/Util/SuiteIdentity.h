// What the host knows a suite by: its name, character for character, and the version it is
// registered under. A suite is acquired and released under the same identity.
#pragma once

#include "host/host.h"

namespace zelfin {

struct SuiteIdentity {
  const char* name;
  A_long version;
};

}  // namespace zelfin
