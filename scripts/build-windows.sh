#!/usr/bin/env bash
# Cross-builds the Windows plug-in with MinGW-w64 and puts it in dist/ZelfinControls.aex.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages cmake ninja-build g++ googletest g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
cmake --preset windows
cmake --build --preset windows -j "$(zelfin_jobs)" --target ZelfinControls
cmake --install build/windows --prefix dist --component plugin
