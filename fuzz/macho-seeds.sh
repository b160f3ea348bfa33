#!/usr/bin/env bash
# Remakes the seed of the macOS-code loader's fuzz target: the tiny bundle of
# tests/macho/tiny_bundle.cpp, x86_64, linked against the project's system-library stubs and
# signed ad hoc. Needs clang-14 and lld-16.
set -euo pipefail
cd "$(dirname "$0")/.."
# The system-library stubs of the macOS build, wherever this checkout keeps them.
macos=cmake/macos
[ -d "$macos" ] || macos=src/Mac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clang++-14 --target=x86_64-apple-macos10.13 -O1 -nostdinc++ -nostdlibinc -fvisibility=hidden \
  -c tests/macho/tiny_bundle.cpp -o "$work/tiny.o"
ld64.lld-16 -arch x86_64 -platform_version macos 10.13 10.13 -bundle -dead_strip -adhoc_codesign \
  -o fuzz/macho-corpus/tiny-x86_64 "$work/tiny.o" "$macos/libSystem.B.tbd" "$macos/libc++.1.tbd"
