#!/bin/sh
# Runs a cross-built program under Wine for CTest: wine-run.sh <program.exe> [arguments...]
#
# The Wine server and the system processes that the first program starts inherit its output and
# outlive it by seconds. Were that output CTest's pipe, CTest would wait for them after every
# test; through a file, the next test finds them still running and starts at once.
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT
wine "$@" >"$out" 2>&1
status=$?
cat "$out"
exit $status
