// The basic suite (PF_InData::pica_basicP): the door to every other host suite, each acquired
// by name and version and released with the same pair.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/layout.h"

extern "C" {

typedef int32_t SPErr;  // 0 on success
typedef int32_t SPBoolean;

struct SPBasicSuite {
  // Fills *suite with the suite's function table; it stays valid until released.
  SPErr (*AcquireSuite)(const char* name, int version, const void** suite);
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
