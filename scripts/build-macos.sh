#!/usr/bin/env bash
# Cross-builds the macOS bundle without Apple's SDK and puts it in dist/ZelfinControls.plugin: one
# universal code file for Intel (x86_64) and Apple-silicon (arm64) Macs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_MACOS_PACKAGES[@]}"
cmake --preset macos-cross
cmake --build --preset macos-cross -j "$(zelfin_jobs)"
rm -rf dist/ZelfinControls.plugin
cmake --install build/macos-cross --prefix dist --component plugin
