# Shared shell helpers for the project's scripts. Source it; do not run it.

# Installs the named Debian packages that are missing (apt-get update at most once per run).
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
  if [ -z "${ZELFIN_APT_UPDATED:-}" ]; then
    $sudo apt-get update -qq
    export ZELFIN_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# What every build needs: the native toolchain, GoogleTest, Benchmark and libpng for the stand-in host.
ZELFIN_NATIVE_PACKAGES=(g++ cmake ninja-build pkg-config googletest libgtest-dev libbenchmark-dev libpng-dev)
# Cross builds: MinGW-w64 for the .aex, Wine to run its tests, clang/lld/libc++ for the macOS bundle.
ZELFIN_CROSS_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 clang-14 lld-16 libc++-14-dev libc++abi-14-dev llvm-14)
# Sanitizer and fuzzing runs.
ZELFIN_SANITIZER_PACKAGES=(clang-14 libclang-rt-14-dev)
# The bundle's arm64 code run by an arm64 build of the stand-in host under qemu-aarch64.
ZELFIN_ARM64_PACKAGES=(g++-aarch64-linux-gnu qemu-user)

zelfin_jobs() {
  nproc 2>/dev/null || echo 2
}
