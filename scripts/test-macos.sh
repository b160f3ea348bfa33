#!/usr/bin/env bash
# Cross-builds the macOS bundle and checks it statically with LLVM's tools (it cannot run here):
# one universal code file whose x86_64 (macOS 10.13) and arm64 (macOS 11) slices are each signed,
# export exactly the five entry points, import only from the two system libraries and carry
# exception tables, and a bundle holding the generated files.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages cmake ninja-build g++ clang-14 lld-16 libc++-14-dev llvm-14
cmake --preset macos-cross
cmake --build --preset macos-cross -j "$(zelfin_jobs)"
ctest --preset macos-cross
