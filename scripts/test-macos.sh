#!/usr/bin/env bash
# Cross-builds the macOS bundle and checks it statically with LLVM's tools (it cannot run here):
# a 64-bit Intel bundle exporting exactly the five entry points, importing only from the two
# system libraries, with exception tables, and holding the generated bundle files.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages cmake ninja-build g++ clang-14 lld-16 libc++-14-dev llvm-14
cmake --preset macos-cross
cmake --build --preset macos-cross -j "$(zelfin_jobs)"
ctest --preset macos-cross
