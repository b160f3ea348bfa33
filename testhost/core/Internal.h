// Shared by the host's callback and suite implementations, and private to the core.
#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "testhost/core/Fixed.h"
#include "testhost/core/Host.h"
#include "testhost/core/HostCall.h"
#include "testhost/core/HostFunctions.h"

namespace testhost::detail {

// A parameter name as recorded: at most the 32 bytes of the field, even without a terminator.
inline std::string ParamName(const A_char (&name)[32]) {
  return std::string(name, strnlen(name, sizeof name));
}

// The host's parameter at `index`, or null with the call refused: the list has no such entry.
inline PF_ParamDef* ParamAt(HostCall& call, PF_ParamIndex index) {
  Host& h = *call.host();
  if (index >= 0 && index < h.paramCount()) return &h.param(index);
  call.refuse(HostRule::NoSuchParam,
              std::string(call.name()) + " of index " + Arg(index) + ", which is not in the list");
  return nullptr;
}

// Defined with the callbacks: the ANSI and handle functions shared with the suites, the tables
// served in place of a provided one, and the installation of every callback into a host's records.
// The host's own "PF ANSI Suite" table.
const PF_ANSICallbacksSuite1& OwnAnsiSuite();
// What the host serves for a provided ANSI table `provided`, `current` being its own table as it
// serves it to this plug-in. Throws std::invalid_argument for a sprintf not the host's own.
PF_ANSICallbacksSuite1 GatedAnsiSuite(const PF_ANSICallbacksSuite1& provided,
                                      const PF_ANSICallbacksSuite1& current);
#if defined(__aarch64__)
// For Darwin arm64 code, which passes variadic arguments on the stack: a sprintf that reads them
// from there, alone and in an ANSI suite.
using SprintfFunc = int (*)(A_char* buffer, const A_char* format, ...);
SprintfFunc StackSlotSprintf();
const PF_ANSICallbacksSuite1* StackSlotAnsiSuite();
#endif
// The host's own "PF Handle Suite" table.
const PF_HandleSuite1& OwnHandleSuite();
void InstallCallbacks(PF_InData& in, PF_UtilCallbacks& utils, PF_PreRenderCallbacks& pre,
                      PF_SmartRenderCallbacks& smart);
void InstallBasicSuite(SPBasicSuite& basic);
// The default suite tables, by name and version.
struct SuiteEntry {
  const char* name;
  int version;
  const void* table;
};
const std::vector<SuiteEntry>& DefaultSuites();
const std::vector<SuiteEntry>& DrawingSuites();

}  // namespace testhost::detail
