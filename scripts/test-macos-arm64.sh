#!/usr/bin/env bash
# Runs the bundle's arm64 code: builds the stand-in host and the host-driven suites for Linux
# arm64 and runs them under qemu-aarch64 against the arm64 slice of the cross-built bundle (about
# a minute of tests after the builds). A stage of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_MACOS_PACKAGES[@]}" googletest "${ZELFIN_ARM64_PACKAGES[@]}"
cmake --preset macos-cross
cmake --build --preset macos-cross -j "$(zelfin_jobs)"
cmake --preset arm64-qemu
cmake --build --preset arm64-qemu -j "$(zelfin_jobs)"
ctest --preset arm64-qemu -j "$(zelfin_jobs)"
