#!/usr/bin/env bash
# Builds the release packages:
#   dist/ZelfinControls-<version>-win64.zip  ZelfinControls.aex, the user's guide, the licence
#   dist/ZelfinControls-<version>-macos.zip  ZelfinControls.plugin, the user's guide, the licence
# <version> is the plug-in's own version (resources/ZelfinEffects.h), as zelfin-host reports it;
# both plug-ins must declare that version for all five effects, the bundle must declare them for
# Intel and Apple-silicon Macs, hold the code of both and verify as signed as a whole, or nothing
# is packaged.
# The zips depend only on the sources and the commit: their entries carry the commit's time (see
# zelfin_zip in scripts/lib.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" zip

echo "== Building zelfin-host and zelfin-macho-check"
cmake --preset release > /dev/null
cmake --build --preset release -j "$(zelfin_jobs)" --target zelfin-host zelfin-macho-check
host=build/release/tools/zelfin-host
check=build/release/tools/macho-check/zelfin-macho-check
version=$("$host" --version | awk '{print $2}')
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package: zelfin-host reports no version ('$version')" >&2
  exit 1
fi

echo "== Building the Windows plug-in"
bash scripts/build-windows.sh
echo "== Building the macOS bundle"
bash scripts/build-macos.sh

# The five effects' registration resources, read back from each deliverable, carry this version
# and name the entry point for each architecture of the plug-in's code.
for plugin_architectures in "dist/ZelfinControls.aex:x86_64" \
                            "dist/ZelfinControls.plugin:x86_64, arm64"; do
  plugin=${plugin_architectures%%:*}
  architectures=${plugin_architectures#*:}
  declared=$("$host" list "$plugin" |
    grep -cE "EntryPointFunc_[a-z0-9]+ +$architectures +${version//./\\.}\$" || true)
  if [ "$declared" -ne 5 ]; then
    echo "package: $plugin declares version $version for $architectures" \
      "for $declared of the 5 effects" >&2
    exit 1
  fi
done
mac_code=dist/ZelfinControls.plugin/Contents/MacOS/ZelfinControls
read -r -a slices < <(llvm-lipo-14 -archs "$mac_code")
if [ "${slices[*]}" != "x86_64 arm64" ]; then
  echo "package: $mac_code holds the code for '${slices[*]}', not for 'x86_64 arm64'" >&2
  exit 1
fi

if ! "$check" bundle dist/ZelfinControls.plugin; then
  echo "package: dist/ZelfinControls.plugin does not verify as signed as a whole" >&2
  exit 1
fi

zelfin_release_zips "$version"
win=dist/ZelfinControls-$version-win64.zip
mac=dist/ZelfinControls-$version-macos.zip

echo "== Packages"
for zip in "$win" "$mac"; do
  echo "$zip"
  zip -sf "$zip" | sed -n 's/^  /    /p'
done
