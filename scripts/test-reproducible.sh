#!/usr/bin/env bash
# Proves that the deliverables depend only on the sources and the commit: copies the tree into two
# temporary folders of different names and depths, builds the deliverables in each (only those:
# the two .aex files, the macOS bundle, the Linux library with its resources, and the three
# release zips), and compares the two sets byte for byte, whole bundle included. Fails naming
# every file that differs or exists in one set only. The compiler cache is off: a cached object
# would hide a difference. zig keeps its own cache, but an object's entry there is keyed by its
# source's path and flags, the folder included: the two builds share only zig's runtime.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" "${ZELFIN_CROSS_PACKAGES[@]}" \
  "${ZELFIN_WINDOWS_ARM64_PACKAGES[@]}" zip
# The commit's time for the zips only: the builds must not lean on it (some linkers take their
# time stamp from SOURCE_DATE_EPOCH), and the copies hold no history.
epoch=$(zelfin_source_date_epoch)
unset SOURCE_DATE_EPOCH
export CCACHE_DISABLE=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
first=$work/one/ZelfinControls
second=$work/two/deeper/folder/Zelfin

# Builds the deliverables in a copy of the tree at $1, into its dist/.
build_copy() {
  local tree=$1
  mkdir -p "$tree"
  tar -cf - --exclude=./build --exclude=./dist --exclude=./.git . | tar -xf - -C "$tree"
  (
    cd "$tree"
    bash scripts/build-windows.sh
    bash scripts/build-windows-arm64.sh
    bash scripts/build-macos.sh
    cmake --preset release
    cmake --build --preset release -j "$(zelfin_jobs)" --target ZelfinControls \
      zelfin_library_resources
    mkdir -p dist/linux
    cp build/release/src/ZelfinControls.so build/release/src/ZelfinControls.rsrc dist/linux/
    SOURCE_DATE_EPOCH=$epoch zelfin_release_zips check
  )
}

echo "== Building the deliverables in $first"
build_copy "$first" > "$work/one.log" 2>&1 || { cat "$work/one.log"; exit 1; }
echo "== Building the deliverables in $second"
build_copy "$second" > "$work/two.log" 2>&1 || { cat "$work/two.log"; exit 1; }

# Every file and link under dist/ of either copy, by path relative to dist/.
list() { (cd "$1/dist" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort); }
present() { [ -e "$1" ] || [ -L "$1" ]; }
differing=0
while read -r path; do
  a=$first/dist/$path
  b=$second/dist/$path
  if ! present "$a" || ! present "$b"; then
    echo "only in one build: dist/$path"
  elif [ -L "$a" ] || [ -L "$b" ]; then
    [ "$(readlink "$a")" = "$(readlink "$b")" ] && continue
    echo "differs: dist/$path (link)"
  elif cmp -s "$a" "$b"; then
    continue
  else
    echo "differs: dist/$path"
  fi
  differing=$((differing + 1))
done < <(sort -u <(list "$first") <(list "$second"))

files=$(list "$first" | wc -l)
if [ "$differing" -gt 0 ]; then
  echo "reproducible: $differing of the deliverables' files differ between two builds"
  exit 1
fi
echo "reproducible: all $files files of the deliverables are identical in both builds"
