// Compile-time checks that a record has exactly the binary layout the host uses.
//
// The host and the plug-in exchange these records by address, so a single misplaced member
// corrupts data silently. Every header checks its records next to their definitions; a wrong
// layout stops the build on every target platform instead.
#pragma once

#include <stddef.h>

#define ZELFIN_HOST_RECORD(T, size, align)                                      \
  static_assert(sizeof(T) == (size), #T ": size differs from the host's");      \
  static_assert(alignof(T) == (align), #T ": alignment differs from the host's")

#define ZELFIN_HOST_OFFSET(T, member, off) \
  static_assert(offsetof(T, member) == (off), #T "." #member ": offset differs from the host's")
