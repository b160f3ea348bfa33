#!/bin/sh
# clear-pe-timestamp.sh FILE: sets the link time in a Windows image's file header to zero, what
# the x64 linker writes when told to insert none. The field lies 8 bytes after the "PE\0\0"
# signature, whose offset is the 32-bit little-endian word at 0x3C.
set -eu
file=$1
set -- $(od -An -tu1 -j60 -N4 "$file")
[ $# -eq 4 ] || { echo "$file: too short for a Windows image" >&2; exit 1; }
header=$(( $1 + ($2 << 8) + ($3 << 16) + ($4 << 24) ))
[ "$(od -An -tx1 -j"$header" -N4 "$file" | tr -d ' \n')" = 50450000 ] ||
  { echo "$file: no PE signature at $header" >&2; exit 1; }
printf '\000\000\000\000' | dd of="$file" bs=1 seek=$((header + 8)) count=4 conv=notrunc 2>/dev/null
