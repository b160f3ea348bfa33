#!/usr/bin/env bash
# Cross-builds the macOS bundle and checks it statically with LLVM's tools: one universal code
# file whose x86_64 (macOS 10.13) and arm64 (macOS 11) slices are each signed, export exactly the
# five entry points, import only from the two system libraries and carry exception tables, and a
# bundle holding the generated files. Then runs its x86_64 code: the native build's host-driven
# suites and command-line tests against the bundle, with the loader's tests and the signature and
# import checks of zelfin-macho-check.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_MACOS_PACKAGES[@]}"
cmake --preset macos-cross
cmake --build --preset macos-cross -j "$(zelfin_jobs)"
ctest --preset macos-cross
# The bundle's x86_64 code run by the Linux stand-in host: the dev build's host-driven tests.
cmake --preset dev
cmake --build --preset dev -j "$(zelfin_jobs)"
ctest --preset macos-code
