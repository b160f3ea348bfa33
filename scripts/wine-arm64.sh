#!/usr/bin/env bash
# Makes (once) the environment that runs ARM64 Windows programs on this machine: Debian's arm64
# Wine in a sysroot of its own, run by qemu-aarch64. There is no binfmt_misc here, so qemu cannot
# follow Wine when it executes itself or its server: the two are replaced by scripts that start
# them under qemu. Prints the folder that holds `wine64` and `wineserver` for arm64.
#
#   bash scripts/wine-arm64.sh     # kept in ${XDG_CACHE_HOME:-~/.cache}/zelfin/wine-arm64
#
# The sysroot is unpacked, never booted: debootstrap's first stage only downloads and unpacks, so
# no arm64 code runs while it is made. A second run finds it complete and only prints the folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

root=$(zelfin_cache_dir)/wine-arm64
sysroot=$root/sysroot
bin=$root/bin
# The marker names the layout of this script: a folder left by another layout is made anew.
marker=$root/complete-2
if [ -f "$marker" ]; then
  echo "$bin"
  exit 0
fi

zelfin_ensure_packages debootstrap qemu-user patchelf >&2
rm -rf "$root"
mkdir -p "$sysroot" "$bin"
# The mirror apt already uses: this machine reaches no other.
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list)
echo "== Unpacking Debian's arm64 Wine into $sysroot (from $mirror)" >&2
debootstrap --variant=minbase --foreign --arch=arm64 --include=wine64,libwine bookworm \
  "$sysroot" "$mirror" >"$root/debootstrap.log" 2>&1 || {
  tail -n 20 "$root/debootstrap.log" >&2
  exit 1
}
# --foreign only downloads the packages --include names: unpack every one of them.
for deb in "$sysroot"/var/cache/apt/archives/*.deb; do
  dpkg-deb -x "$deb" "$sysroot"
done
rm -f "$sysroot"/var/cache/apt/archives/*.deb

wine_dir=$sysroot/usr/lib/wine
[ -x "$wine_dir/wine64" ] && [ -x "$wine_dir/wineserver64" ] || {
  echo "no arm64 wine64 or wineserver64 in $wine_dir" >&2
  exit 1
}
mv "$wine_dir/wine64" "$wine_dir/wine64.real"
# qemu's -L would take every absolute path inside the sysroot first, "/" too: Wine, which finds
# the drive of the current folder by walking up to a drive's root, would then find none (z: is
# the real "/") and tests' absolute paths would not resolve. So qemu runs with -L /, and the two
# arm64 programs name the sysroot's own loader and libraries themselves.
libraries=$sysroot/lib/aarch64-linux-gnu:$sysroot/usr/lib/aarch64-linux-gnu
for program in wine64.real wineserver64; do
  patchelf --set-interpreter "$sysroot/lib/ld-linux-aarch64.so.1" "$wine_dir/$program"
done
qemu="qemu-aarch64 -L / -E LD_LIBRARY_PATH=$libraries"
# Wine re-executes its loader by name: WINELOADERNOEXEC keeps it in this process, and -0 makes
# the loader see its own name as this script, so what it starts later comes back here.
cat >"$wine_dir/wine64" <<SCRIPT
#!/bin/sh
WINELOADERNOEXEC=1 exec $qemu -0 "$wine_dir/wine64" "$wine_dir/wine64.real" "\$@"
SCRIPT
# Debian's wineserver script would start the x86 server, which refuses arm64 clients.
rm -f "$wine_dir/wineserver"
cat >"$wine_dir/wineserver" <<SCRIPT
#!/bin/sh
exec $qemu "$wine_dir/wineserver64" -p0 "\$@"
SCRIPT
chmod +x "$wine_dir/wine64" "$wine_dir/wineserver"
ln -s "$wine_dir/wine64" "$bin/wine"
ln -s "$wine_dir/wine64" "$bin/wine64"
ln -s "$wine_dir/wineserver" "$bin/wineserver"
# Debian's wineboot would start the x64 Wine.
printf '#!/bin/sh\nexec "%s" wineboot "$@"\n' "$wine_dir/wine64" >"$bin/wineboot"
chmod +x "$bin/wineboot"
touch "$marker"
echo "$bin"
