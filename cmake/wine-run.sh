#!/bin/sh
# Runs a cross-built program under Wine for CTest: wine-run.sh <program.exe> [arguments...]
#
# The Wine server and the system processes that the first program starts inherit its output and
# outlive it by seconds. Were that output CTest's pipe, CTest would wait for them after every
# test; through a file, the next test finds them still running and starts at once.
# A persistent server avoids the race of one test connecting while the last one's server shuts
# down; a program that could not start at all (no output) is tried once more.
wineserver -p >/dev/null 2>&1 </dev/null
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
  wine "$@" >"$out" 2>&1
  status=$?
  [ "$status" -eq 0 ] || [ -s "$out" ] || continue
  break
done
cat "$out"
exit $status
