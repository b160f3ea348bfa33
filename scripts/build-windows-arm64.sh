#!/usr/bin/env bash
# Cross-builds the Windows-on-Arm plug-in with zig and puts it in
# dist/windows-arm64/ZelfinControls.aex. The first build also fills zig's cache with its runtime
# for aarch64-windows (a few minutes); later builds take seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_WINDOWS_ARM64_PACKAGES[@]}"
zelfin_ensure_zig
cmake --preset windows-arm64
cmake --build --preset windows-arm64 -j "$(zelfin_jobs)" --target ZelfinControls
cmake --install build/windows-arm64 --prefix dist/windows-arm64 --component plugin
