// The parts of the macOS C library's <stdlib.h> that the plug-in and libc++'s headers use, for the
// cross build without Apple's SDK; the stubs in cmake/macos decide what may be linked.
#pragma once
#include <stddef.h>
#ifdef __cplusplus
extern "C" {
#endif
typedef struct { int quot, rem; } div_t;
typedef struct { long quot, rem; } ldiv_t;
typedef struct { long long quot, rem; } lldiv_t;
void abort(void) __attribute__((noreturn));
void* malloc(size_t);
void free(void*);
int posix_memalign(void**, size_t, size_t);
ldiv_t ldiv(long, long);
lldiv_t lldiv(long long, long long);
long labs(long);
long long llabs(long long);
#ifdef __cplusplus
}
#endif
