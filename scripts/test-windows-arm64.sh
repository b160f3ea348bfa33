#!/usr/bin/env bash
# Cross-builds the Windows-on-Arm plug-in and the test programs with zig, then runs them under
# Debian's arm64 Wine through qemu-aarch64 against the built ARM64 ZelfinControls.aex; then the
# dev build's checks of that file (zelfin-pe-check, zelfin-host on it and on damaged copies).
# Wine runs in a prefix of its own under build/windows-arm64. zig and the arm64 Wine are kept in
# the cache folder (scripts/lib.sh, zelfin_cache_dir) for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_WINDOWS_ARM64_PACKAGES[@]}" "${ZELFIN_NATIVE_PACKAGES[@]}"
zelfin_ensure_zig
ZELFIN_WINE_ARM64_BIN=$(bash scripts/wine-arm64.sh)
export ZELFIN_WINE_ARM64_BIN
cmake --preset windows-arm64
cmake --build --preset windows-arm64 -j "$(zelfin_jobs)"
# The tests keep one Wine server running for the whole run; stop it when they are done.
trap 'PATH="$ZELFIN_WINE_ARM64_BIN:$PATH" WINEPREFIX="$PWD/build/windows-arm64/wineprefix" \
  wineserver -k >/dev/null 2>&1 || true' EXIT
ctest --preset windows-arm64 -j "$(zelfin_jobs)"
cmake --preset dev
cmake --build --preset dev -j "$(zelfin_jobs)" --target zelfin-pe-check \
  zelfin_pe_check_tests zelfin_windows_file_tests
ctest --preset windows-file -L windows-file-arm64
