#!/usr/bin/env bash
# Builds the deliverables into dist/ and runs the demonstration session on the built plug-in:
#   dist/ZelfinControls.aex                         the Windows plug-in for x64 (MinGW-w64)
#   dist/windows-arm64/ZelfinControls.aex           the Windows-on-Arm plug-in (zig)
#   dist/ZelfinControls.plugin                      the macOS bundle (cross-built)
#   dist/linux/ZelfinControls.so, .rsrc             the Linux library the stand-in host runs
#   dist/session/bezier-before.png, -after.png      the session's pictures of the panel
# Installs the Debian packages it needs. The release packages: scripts/package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" "${ZELFIN_CROSS_PACKAGES[@]}" \
  "${ZELFIN_WINDOWS_ARM64_PACKAGES[@]}"

echo "== Windows plug-in for x64"
bash scripts/build-windows.sh
echo "== Windows plug-in for Windows on Arm"
bash scripts/build-windows-arm64.sh
echo "== macOS bundle"
bash scripts/build-macos.sh
echo "== Linux library and the session"
bash scripts/session.sh

echo
echo "Deliverables in dist/: ZelfinControls.aex, windows-arm64/ZelfinControls.aex,"
echo "ZelfinControls.plugin, linux/ZelfinControls.so;"
echo "the session's pictures in dist/session/."
