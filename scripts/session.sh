#!/usr/bin/env bash
# The demonstration session: builds the Linux plug-in and zelfin-host (release preset), puts the
# library and its registration resources in dist/linux/, and runs zelfin-host session on it with
# the pictures in dist/session/. Installs the Debian packages it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}"
cmake --preset release > /dev/null
cmake --build --preset release -j "$(zelfin_jobs)" \
  --target ZelfinControls zelfin_library_resources zelfin-host

build=build/release
rm -rf dist/linux dist/session
mkdir -p dist/linux
cp "$build/src/ZelfinControls.so" "$build/src/ZelfinControls.rsrc" dist/linux/
"$build/tools/zelfin-host" session dist/linux/ZelfinControls.so --out dist/session
