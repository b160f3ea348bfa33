// The parts of the macOS C library's <wchar.h> that the plug-in and libc++'s headers use, for the
// cross build without Apple's SDK; the stubs in cmake/macos decide what may be linked.
#pragma once
#include <stddef.h>
#ifdef __cplusplus
extern "C" {
#endif
typedef union { char __mbstate8[128]; long long _mbstateL; } mbstate_t;
typedef int wint_t;
wchar_t* wcschr(const wchar_t*, wchar_t);
wchar_t* wcspbrk(const wchar_t*, const wchar_t*);
wchar_t* wcsrchr(const wchar_t*, wchar_t);
wchar_t* wcsstr(const wchar_t*, const wchar_t*);
wchar_t* wmemchr(const wchar_t*, wchar_t, size_t);
#ifdef __cplusplus
}
#endif
