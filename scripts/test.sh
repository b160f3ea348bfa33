#!/usr/bin/env bash
# Runs every test of the project: the native suites, the sanitizer build, the two-thread tests
# under ThreadSanitizer, a short fixed-seed fuzzing run, the Windows .aex under Wine, the ARM64
# .aex under arm64 Wine through qemu-aarch64, the macOS
# bundle (its checks, and the suites against its x86_64 code and, under qemu-aarch64, its arm64
# code), and two builds of the deliverables compared byte for byte. Installs what it needs.
# Each stage has a time limit: one that hangs is stopped and fails with its name. Prints each
# stage's wall time and the total, then ends with one line "tests: N passed, M failed" and exits
# non-zero if anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}" "${ZELFIN_CROSS_PACKAGES[@]}" \
  "${ZELFIN_SANITIZER_PACKAGES[@]}" "${ZELFIN_ARM64_PACKAGES[@]}" \
  "${ZELFIN_WINDOWS_ARM64_PACKAGES[@]}" zip || { echo "tests: 0 passed, 1 failed"; exit 1; }

total_passed=0
total_failed=0
failed_stages=()
stage_times=()
logs=build/test-logs
mkdir -p "$logs"
started_all=$SECONDS

# Runs one stage under its time limit in seconds, counts its results from the ctest summary lines
# it prints ("100% tests passed, 0 tests failed out of 42"); a stage without such a line counts
# as one test, passed or failed by its exit status. The limit is several times the stage's time
# on a loaded 2-core machine with an empty compiler cache.
stage() {
  local name=$1 limit=$2; shift 2
  echo "== $name (at most $((limit / 60)) minutes)"
  local log="$logs/$name.log" started=$SECONDS
  timeout --kill-after=30 "$limit" "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "stage $name: stopped at its time limit of $limit s" | tee -a "$log"
  fi
  local counted
  counted=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" |
    sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/')
  local passed=0 failed=0 f t
  while read -r f t; do
    [ -n "$f" ] || continue
    failed=$((failed + f)); passed=$((passed + t - f))
  done <<< "$counted"
  if [ -z "$counted" ] && [ "$status" -eq 0 ]; then passed=1; fi
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  [ "$status" -eq 0 ] || failed_stages+=("$name")
  stage_times+=("$name $((SECONDS - started))")
}

# The stages that run a preset: configure, build, test.
preset() {
  cmake --preset "$1" && cmake --build --preset "$1" -j "$(zelfin_jobs)" && ctest --preset "$1"
}
export -f preset zelfin_jobs

# The limits add up to CI's 90 minutes; each is two to six times the stage's time on a quiet
# 2-core machine with an empty compiler cache (the ARM64 stage's with its environment made anew).
stage native 900 bash -c 'preset dev'
stage sanitizers 900 bash -c 'preset asan'
# The two-thread tests under ThreadSanitizer: the plug-in and those tests only.
stage tsan 300 bash -c 'preset tsan'
stage fuzz 400 bash -c 'preset fuzz'
stage windows 600 bash scripts/test-windows.sh
stage windows-arm64 900 bash scripts/test-windows-arm64.sh
stage macos 300 bash scripts/test-macos.sh
stage macos-arm64 600 bash scripts/test-macos-arm64.sh
stage reproducible 500 bash scripts/test-reproducible.sh

for t in "${stage_times[@]}"; do
  read -r name seconds <<< "$t"
  printf 'time: %-13s %4d s\n' "$name" "$seconds"
done
printf 'time: %-13s %4d s\n' total "$((SECONDS - started_all))"
for s in "${failed_stages[@]:-}"; do [ -n "$s" ] && echo "failed stage: $s"; done
echo "tests: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ] && [ ${#failed_stages[@]} -eq 0 ]
