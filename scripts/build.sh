#!/usr/bin/env bash
# Builds the deliverables into dist/ and runs the demonstration session on the built plug-in:
#   dist/ZelfinControls.aex                         the Windows plug-in (MinGW-w64)
#   dist/ZelfinControls.plugin                      the macOS bundle (cross-built)
#   dist/linux/ZelfinControls.so, .rsrc             the Linux library the stand-in host runs
#   dist/session/bezier-before.png, -after.png      the session's pictures of the panel
# Installs the Debian packages it needs. The release packages: scripts/package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" "${ZELFIN_CROSS_PACKAGES[@]}"

echo "== Windows plug-in"
bash scripts/build-windows.sh
echo "== macOS bundle"
bash scripts/build-macos.sh
echo "== Linux library and the session"
bash scripts/session.sh

echo
echo "Deliverables in dist/: ZelfinControls.aex, ZelfinControls.plugin, linux/ZelfinControls.so;"
echo "the session's pictures in dist/session/."
