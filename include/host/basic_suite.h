// The basic suite (PF_InData::pica_basicP): the door to every other host suite, each acquired
// by name and version and released with the same pair.
//
// How to read the contracts in these headers: "[commands]" names the commands during which the
// plug-in may make the call (from inside the entry point, never from another thread or after it
// returned); "owns" says who owns what the call hands back and who releases it; "null/error"
// says what a null result or a non-zero code means. Every effect_ref argument must be
// PF_InData::effect_ref of the running command. Null pointer arguments are never allowed unless
// stated. A host that sees a rule broken refuses the call (PF_Err_BAD_CALLBACK_PARAM).
//
// Suite versions: a suite is acquired under the version number the host registers it with,
// which counts the host's revisions of that suite. The number in a record's name counts the
// revisions of the table's layout, which change less often: "PF Handle Suite" version 2 still
// hands out the first layout (PF_HandleSuite1), "AEGP Utility Suite" version 7 the third
// (AEGP_UtilitySuite3). The host looks suites up by name and version only, so the constants
// beside each record (kPFHandleSuiteVersion2, ...) are the numbers to pass; the record's own
// number would ask for another revision, or for none.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/layout.h"

extern "C" {

typedef int32_t SPErr;  // 0 on success
typedef int32_t SPBoolean;

struct SPBasicSuite {
  // [any command] Fills *suite with the function table registered under name and version.
  // owns: the host; the table stays valid until the matching ReleaseSuite, which the plug-in
  // makes before the command returns. null/error: the suite is not there (*suite may be null even
  // with 0); nothing is acquired and nothing must be released.
  SPErr (*AcquireSuite)(const char* name, int version, const void** suite);
  // [any command] Gives back one acquisition of exactly that name and version, made earlier in
  // the same command. error: the identity was not acquired; the plug-in does not look at it.
  SPErr (*ReleaseSuite)(const char* name, int version);
  SPBoolean (*IsEqual)(const char* token1, const char* token2);
  SPErr (*AllocateBlock)(size_t size, void** block);
  SPErr (*FreeBlock)(void* block);
  SPErr (*ReallocateBlock)(void* block, size_t new_size, void** new_block);
  SPErr (*Undefined)(void);
};

ZELFIN_HOST_RECORD(SPBasicSuite, 56, 8);
ZELFIN_HOST_MEMBER(SPBasicSuite, AcquireSuite, 0, 8);
ZELFIN_HOST_MEMBER(SPBasicSuite, ReleaseSuite, 8, 8);
ZELFIN_HOST_MEMBER(SPBasicSuite, IsEqual, 16, 8);
ZELFIN_HOST_MEMBER(SPBasicSuite, AllocateBlock, 24, 8);
ZELFIN_HOST_MEMBER(SPBasicSuite, FreeBlock, 32, 8);
ZELFIN_HOST_MEMBER(SPBasicSuite, ReallocateBlock, 40, 8);
ZELFIN_HOST_MEMBER(SPBasicSuite, Undefined, 48, 8);
}  // extern "C"
