// The parts of the macOS C library's <time.h> that the plug-in and libc++'s headers use, for the
// cross build without Apple's SDK; the stubs in cmake/macos decide what may be linked.
#pragma once
#include <stddef.h>
#ifdef __cplusplus
extern "C" {
#endif
typedef long time_t;
typedef unsigned long clock_t;
struct tm;
struct timespec { time_t tv_sec; long tv_nsec; };
int nanosleep(const struct timespec*, struct timespec*);
#ifdef __cplusplus
}
#endif
