#!/usr/bin/env bash
# Fuzzes the plug-in for a while: scripts/fuzz.sh [seconds] (default 600). Builds the "fuzz"
# preset (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), keeps what it learns in
# build/fuzz/long-corpus between runs and writes findings to build/fuzz/findings/. Exits non-zero
# on a finding; rerun one with build/fuzz/fuzz/zelfin_fuzz <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

seconds=${1:-600}
zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" "${ZELFIN_SANITIZER_PACKAGES[@]}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(zelfin_jobs)"

mkdir -p build/fuzz/long-corpus build/fuzz/findings
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec build/fuzz/fuzz/zelfin_fuzz -max_total_time="$seconds" -max_len=512 -timeout=10 \
  -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=build/fuzz/findings/ \
  build/fuzz/long-corpus fuzz/corpus
