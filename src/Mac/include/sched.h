// The parts of the macOS C library's <sched.h> that the plug-in and libc++'s headers use, for the
// cross build without Apple's SDK; the libraries' stubs in src/Mac decide what may be linked.
#pragma once
#ifdef __cplusplus
extern "C" {
#endif
int sched_yield(void);
#ifdef __cplusplus
}
#endif
