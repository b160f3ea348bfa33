#!/usr/bin/env bash
# Cross-builds the macOS bundle and checks it statically with LLVM's tools: a 64-bit Intel bundle
# exporting exactly the five entry points, importing only from the two system libraries, with
# exception tables, and holding the generated bundle files. Then runs its x86_64 code: the
# native build's host-driven suites and command-line tests against the bundle.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages cmake ninja-build g++ clang-14 lld-16 libc++-14-dev llvm-14
cmake --preset macos-cross
cmake --build --preset macos-cross -j "$(zelfin_jobs)"
ctest --preset macos-cross
# The bundle's x86_64 code run by the Linux stand-in host: the dev build's host-driven tests.
cmake --preset dev
cmake --build --preset dev -j "$(zelfin_jobs)"
ctest --preset macos-code
