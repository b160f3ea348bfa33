#!/usr/bin/env bash
# Cross-builds the Windows plug-in and the test programs with MinGW-w64, then runs them under
# Wine against the built ZelfinControls.aex, with the static checks of the .aex (exports,
# imports, resources); then the dev build's checks of that file (zelfin-pe-check, zelfin-host on
# it and on damaged copies). Wine runs in a prefix of its own under build/windows, without a
# display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 \
  wine wine64
cmake --preset windows
cmake --build --preset windows -j "$(zelfin_jobs)"
# The tests keep one Wine server running for the whole run; stop it when they are done.
trap 'WINEPREFIX="$PWD/build/windows/wineprefix" wineserver -k >/dev/null 2>&1 || true' EXIT
ctest --preset windows
cmake --preset dev
cmake --build --preset dev -j "$(zelfin_jobs)" --target zelfin-pe-check \
  zelfin_pe_check_tests zelfin_windows_file_tests
ctest --preset windows-file -L windows-file-x64
