#!/usr/bin/env bash
# Runs every test of the project: the native suites, the sanitizer build, a short fixed-seed
# fuzzing run, the Windows .aex under Wine and the checks of both deliverables. Installs what it
# needs.
# Ends with one line "tests: N passed, M failed" and exits non-zero if anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" "${ZELFIN_CROSS_PACKAGES[@]}" "${ZELFIN_SANITIZER_PACKAGES[@]}" || {
  echo "tests: 0 passed, 1 failed"; exit 1; }

total_passed=0
total_failed=0
failed_stages=()
logs=build/test-logs
mkdir -p "$logs"

# Runs one stage, counts its results from the ctest summary lines it prints
# ("100% tests passed, 0 tests failed out of 42"); a stage that fails without such a line counts
# as one failure.
stage() {
  local name=$1; shift
  echo "== $name"
  local log="$logs/$name.log"
  "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local counted
  counted=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" |
    sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/')
  local passed=0 failed=0 f t
  while read -r f t; do
    [ -n "$f" ] || continue
    failed=$((failed + f)); passed=$((passed + t - f))
  done <<< "$counted"
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  [ "$status" -eq 0 ] || failed_stages+=("$name")
}

native() {
  cmake --preset dev && cmake --build --preset dev -j "$(zelfin_jobs)" &&
    ctest --preset dev
}
stage native native

sanitized() {
  cmake --preset asan && cmake --build --preset asan -j "$(zelfin_jobs)" &&
    ctest --preset asan
}
stage sanitizers sanitized

fuzzing() {
  cmake --preset fuzz && cmake --build --preset fuzz -j "$(zelfin_jobs)" && ctest --preset fuzz
}
stage fuzz fuzzing

stage windows bash scripts/test-windows.sh
stage macos bash scripts/test-macos.sh

for s in "${failed_stages[@]:-}"; do [ -n "$s" ] && echo "failed stage: $s"; done
echo "tests: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ] && [ ${#failed_stages[@]} -eq 0 ]
