// The parts of the macOS C library's <string.h> that the plug-in and libc++'s headers use, for the
// cross build without Apple's SDK; the stubs in cmake/macos decide what may be linked.
#pragma once
#include <stddef.h>
#ifdef __cplusplus
extern "C" {
#endif
void* memcpy(void*, const void*, size_t);
void* memmove(void*, const void*, size_t);
void* memset(void*, int, size_t);
size_t strlen(const char*);
char* strcpy(char*, const char*);
int memcmp(const void*, const void*, size_t);
char* strchr(const char*, int);
char* strpbrk(const char*, const char*);
char* strrchr(const char*, int);
void* memchr(const void*, int, size_t);
char* strstr(const char*, const char*);
#ifdef __cplusplus
}
#endif
