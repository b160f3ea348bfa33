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
ZELFIN_HOST_OFFSET(SPBasicSuite, AcquireSuite, 0);
ZELFIN_HOST_OFFSET(SPBasicSuite, ReleaseSuite, 8);
ZELFIN_HOST_OFFSET(SPBasicSuite, IsEqual, 16);
ZELFIN_HOST_OFFSET(SPBasicSuite, AllocateBlock, 24);
ZELFIN_HOST_OFFSET(SPBasicSuite, FreeBlock, 32);
ZELFIN_HOST_OFFSET(SPBasicSuite, ReallocateBlock, 40);
ZELFIN_HOST_OFFSET(SPBasicSuite, Undefined, 48);
}  // extern "C"
