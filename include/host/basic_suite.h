// The basic suite (PF_InData::pica_basicP): the door to every other host suite, each acquired
// by name and version and released with the same pair. The contracts beside its functions read
// as include/host/README.md ("Reading the contracts") says.
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
  // [any command] Whether the two strings are equal: non-zero when they are, 0 otherwise (a null
  // string equals none).
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
