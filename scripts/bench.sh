#!/usr/bin/env bash
# Measures what the plug-in costs and writes docs/benchmarks.md: builds the release preset, runs
# the benchmark program (pass-through frames against memcpy, every command of every effect with
# the stand-in host's own share, heap allocations), then adds the sizes and imported libraries of
# the Windows and macOS plug-in files when they have been built (scripts/build.sh).
#
#     bash scripts/bench.sh            # the full run, a few minutes
#     bash scripts/bench.sh --smoke    # tiny frames and the shortest runs, to try the script
#
# Other arguments go to the benchmark program (e.g. --benchmark_filter=frame).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

zelfin_ensure_packages "${ZELFIN_NATIVE_PACKAGES[@]}"

report=docs/benchmarks.md
repetitions=3
for arg in "$@"; do
  [ "$arg" = "--smoke" ] && repetitions=1
done

cmake --preset release >/dev/null
cmake --build --preset release -j "$(zelfin_jobs)" --target zelfin_bench ZelfinControls

load=$(cut -d' ' -f1-3 /proc/loadavg)
tables=$(mktemp)
trap 'rm -f "$tables"' EXIT
build/release/bench/zelfin_bench --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true --markdown="$tables" "$@"

# The first existing file among the arguments, or nothing.
first_file() {
  local f
  for f in "$@"; do
    if [ -f "$f" ]; then
      echo "$f"
      return
    fi
  done
  return 0
}

# "| what | path | bytes | imports |" for one plug-in file; $3 lists its imports one per line.
size_row() {
  local what=$1 file=$2 imports=$3
  if [ -z "$file" ]; then
    echo "| $what | not built | | |"
    return
  fi
  local bytes
  bytes=$(stat -c %s "$file")
  echo "| $what | \`$file\` | $bytes | $(echo "$imports" | sed '/^$/d' | paste -sd, - | sed 's/,/, /g') |"
}

aex=$(first_file dist/ZelfinControls.aex $(find build/windows -name ZelfinControls.aex 2>/dev/null))
macho=$(first_file dist/ZelfinControls.plugin/Contents/MacOS/ZelfinControls \
  $(find build/macos-cross build/macos -path '*ZelfinControls.plugin/Contents/MacOS/ZelfinControls' 2>/dev/null))
linux=build/release/src/ZelfinControls.so

aex_imports=""
if [ -n "$aex" ]; then
  zelfin_ensure_packages binutils-mingw-w64-x86-64
  aex_imports=$(x86_64-w64-mingw32-objdump -p "$aex" | sed -n 's/^[[:space:]]*DLL Name: //p')
fi
macho_imports=""
if [ -n "$macho" ]; then
  zelfin_ensure_packages llvm-14
  macho_imports=$(llvm-objdump-14 --macho --dylibs-used "$macho" | tail -n +2 |
    sed -E 's/^[[:space:]]+//; s/ \(compatibility.*$//')
fi
linux_imports=$(readelf -d "$linux" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' build/release/CMakeCache.txt)
model=$(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -1)
kind=machine
grep -qw hypervisor /proc/cpuinfo && kind="virtual machine"
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
git diff --quiet HEAD 2>/dev/null || commit="$commit with local changes"

mkdir -p docs
{
  echo "# Benchmarks"
  echo
  echo "Written by \`bash scripts/bench.sh\`$([ "$repetitions" = 1 ] && echo " (smoke run: not representative)"); every number below comes from that run."
  echo
  echo "| | |"
  echo "|---|---|"
  echo "| Date | $(date -u '+%Y-%m-%d %H:%M UTC') |"
  echo "| Machine | $model, $(nproc) cores, $(awk '/^MemTotal:/ {printf "%.0f", $2 / 1048576}' /proc/meminfo) GiB, $(uname -sr), $kind |"
  echo "| Compiler | $($compiler --version | head -1), release build (\`release\` preset) |"
  echo "| Google Benchmark | $(dpkg-query -W -f='${Version}' libbenchmark-dev 2>/dev/null || echo unknown) |"
  echo "| Load average before the run | $load |"
  echo "| Commit | $commit |"
  echo
  echo "The $kind ran other work beside the benchmark (see the load average before"
  echo "the run: on an idle machine it is near 0), so every time below can be a few percent off,"
  echo "more for the shortest commands."
  echo
  echo "How each figure is obtained:"
  echo
  echo "- The plug-in is the Linux build of the same sources, loaded by the stand-in host"
  echo "  (\`testhost/\`) and called through its exported entry points."
  echo "- **Frames**: smart pre-render plus smart render of Transform Control (all five effects"
  echo "  share the pass-through code), alternating with a \`memcpy\` of the same bytes between the"
  echo "  same two buffers, each timed with the monotonic clock. \"Bytes\" is one buffer's size."
  echo "  The two times are medians over the run; the ratio is the median of the ratios of adjacent"
  echo "  pairs, which other work on the machine slows alike (with repetitions, the median of"
  echo "  each). The benchmark sends the two commands again on the host's buffers, without the"
  echo "  host's ordinary per-frame set-up (fresh buffers, poisoning the output, comparing output"
  echo "  with input), which it checks once before and once after the timed frames. The host's"
  echo "  \`PF_COPY\` is one \`memmove\` of the whole buffer when both have the same stride. A ratio"
  echo "  can come out a few percent either side of the truth (below 1 is such noise)."
  echo "- **Commands**: nanoseconds per command (Google Benchmark's real time, median of the"
  echo "  repetitions), each with the plug-in and with a null plug-in whose entry points return at"
  echo "  once (\"Host alone\": the stand-in host's fixed cost of a command). \"Plug-in and its host"
  echo "  calls\" is the difference of the two: the plug-in and the host's work for the calls the"
  echo "  plug-in makes into it (\"Host calls\": how many, counted in the host's call log; the"
  echo "  stand-in host records each one with its arguments as text). \"Plug-in's own code\" is the"
  echo "  time inside the entry point less the time inside the host's callbacks, both read from the"
  echo "  monotonic clock by the stand-in host (a callback's time runs from its first statement to"
  echo "  its return; the C and C++ runtime work the plug-in asks for is the plug-in's, and so is"
  echo "  about one clock read, some 20 ns, per host call), averaged over a separate run of the same"
  echo "  commands, since the clock reads slow a command down a little."
  echo "  Parameter UI updates are measured after the user changes each checkbox and popup; the"
  echo "  null plug-in has no parameters and only gets the command. Events go to Bezier Control in"
  echo "  a Composition panel; the draw event is sent in the host's own event context, where the"
  echo "  plug-in makes every drawing call but the host paints no pixels (its software painting"
  echo "  of a whole panel would dwarf the rest)."
  echo "- **Heap**: allocations during one command (the second one sent to a fresh host), counted"
  echo "  by replacing \`malloc\` and its relatives in the benchmark program. An allocation is the"
  echo "  plug-in's when the plug-in's code is on the stack above the allocator before any of the"
  echo "  host's (a stack walk in the allocation hook); the rest is the stand-in host's recording."
  echo "  \"Host alone\" is the null plug-in's count. The frames' counts are for one frame."
  echo "- **Goals**: judged from the tables: the worst 4K ratio against 1.05, and the plug-in's"
  echo "  allocations in every render and event command against none."
  echo "- **Size**: the file's size in bytes, and the libraries it imports as its import table"
  echo "  lists them (\`objdump -p\` for the Windows file, \`llvm-objdump --dylibs-used\` for the"
  echo "  macOS one, \`readelf -d\` for the Linux one)."
  echo
  cat "$tables"
  echo
  echo "## Size"
  echo
  echo "| File | Path | Bytes | Imported libraries |"
  echo "|---|---|---:|---|"
  size_row "Windows \`ZelfinControls.aex\`" "$aex" "$aex_imports"
  size_row "macOS code file" "$macho" "$macho_imports"
  size_row "Linux library (tests)" "$( [ -f "$linux" ] && echo "$linux")" "$linux_imports"
  if [ -z "$aex" ] || [ -z "$macho" ]; then
    echo
    echo "A file marked \"not built\" is made by \`bash scripts/build.sh\`; run it before this script."
  fi
} > "$report"
echo "wrote $report"
