#!/usr/bin/env bash
# Builds the release packages:
#   dist/ZelfinControls-<version>-win64.zip          the x64 ZelfinControls.aex, guide, licence
#   dist/ZelfinControls-<version>-windows-arm64.zip  the ARM64 ZelfinControls.aex, guide, licence
#   dist/ZelfinControls-<version>-macos.zip          ZelfinControls.plugin, guide, licence
# <version> is the plug-in's own version (resources/ZelfinEffects.h), as zelfin-host reports it;
# every plug-in must declare that version for all five effects, each Windows file for its own
# architecture and pass its release checks (zelfin-pe-check), the bundle must declare them for
# Intel and Apple-silicon Macs, hold the code of both and verify as signed as a whole, or nothing
# is packaged.
# The zips depend only on the sources and the commit: their entries carry the commit's time (see
# zelfin_zip in scripts/lib.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" zip

echo "== Building zelfin-host, zelfin-pe-check and zelfin-macho-check"
cmake --preset release > /dev/null
cmake --build --preset release -j "$(zelfin_jobs)" --target zelfin-host zelfin-pe-check \
  zelfin-macho-check
host=build/release/tools/zelfin-host
pe_check=build/release/tools/pe-check/zelfin-pe-check
lists=build/release/resources/generated
check=build/release/tools/macho-check/zelfin-macho-check
version=$("$host" --version | awk '{print $2}')
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package: zelfin-host reports no version ('$version')" >&2
  exit 1
fi

echo "== Building the Windows plug-ins"
bash scripts/build-windows.sh
bash scripts/build-windows-arm64.sh
echo "== Building the macOS bundle"
bash scripts/build-macos.sh

# The five effects' registration resources, read back from each deliverable, carry this version
# and name the entry point for each architecture of the plug-in's code.
for plugin_architectures in "dist/ZelfinControls.aex:x86_64" \
                            "dist/windows-arm64/ZelfinControls.aex:arm64" \
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
# Each Windows file passes its release checks: machine, flags, exports, imports, property lists.
pe_checks() {
  local report
  report=$("$pe_check" "$@") || { echo "package: $report" >&2; exit 1; }
}
pe_checks --arch x64 --lists "$lists" dist/ZelfinControls.aex
pe_checks --arch arm64 --lists "$lists/windows-arm64" --x64-lists "$lists" \
  dist/windows-arm64/ZelfinControls.aex
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
echo "== Packages"
for zip in dist/ZelfinControls-"$version"-{win64,windows-arm64,macos}.zip; do
  echo "$zip"
  zip -sf "$zip" | sed -n 's/^  /    /p'
done
