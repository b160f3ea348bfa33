#!/usr/bin/env bash
# What someone who picks the project up sees: clones the committed state of this repository into
# an empty folder, builds there from nothing and runs the demonstration session end to end.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q --depth 1 "file://$PWD" "$work/ZelfinControls"
cd "$work/ZelfinControls"
bash scripts/session.sh
for picture in dist/session/bezier-before.png dist/session/bezier-after.png; do
  [ -s "$picture" ] || { echo "fresh clone: $picture was not written" >&2; exit 1; }
done
echo "fresh clone: the session ran end to end"
