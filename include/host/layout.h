// Compile-time checks that a record has exactly the binary layout the host uses.
//
// The host and the plug-in exchange these records by address, so a single misplaced or
// mis-sized member corrupts data silently. Every header checks its records next to their
// definitions; a wrong layout stops the build on every target platform instead.
#pragma once

#include <stddef.h>

// Size and alignment of a record; it must also be a plain C record that may be cleared with
// memset and copied bytewise.
#define ZELFIN_HOST_RECORD(T, size, align)                                                \
  static_assert(sizeof(T) == (size), #T ": size differs from the host's");                \
  static_assert(alignof(T) == (align), #T ": alignment differs from the host's");         \
  static_assert(__is_standard_layout(T) && __is_trivially_copyable(T), #T " is not a plain record")

// Offset and width of a member; `member` may be a nested path such as u.fs_d.dephault.
#define ZELFIN_HOST_MEMBER(T, member, off, size)                                          \
  static_assert(offsetof(T, member) == (off), #T "." #member ": offset differs from the host's"); \
  static_assert(sizeof(static_cast<T*>(nullptr)->member) == (size),                       \
                #T "." #member ": width differs from the host's")
