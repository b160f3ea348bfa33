#!/usr/bin/env bash
# What someone who picks the project up sees: clones the committed state of this repository into
# an empty folder, builds there from nothing and runs the demonstration session end to end.
#
# The clone is made anew in the same folder each time (build/fresh-clone/) and compiles through
# ccache, whose cache is kept in build/ccache: a second run with nothing changed configures and
# links from nothing but compiles nothing again.
set -euo pipefail
cd "$(dirname "$0")/.."

repository=$PWD
work=$repository/build/fresh-clone
trap 'rm -rf "$work"' EXIT
rm -rf "$work"
mkdir -p "$work"
git clone -q --depth 1 "file://$repository" "$work/ZelfinControls"
cd "$work/ZelfinControls"
if command -v ccache >/dev/null; then
  export CCACHE_DIR=$repository/build/ccache CCACHE_BASEDIR=$work/ZelfinControls
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
bash scripts/session.sh
for picture in dist/session/bezier-before.png dist/session/bezier-after.png; do
  [ -s "$picture" ] || { echo "fresh clone: $picture was not written" >&2; exit 1; }
done
echo "fresh clone: the session ran end to end"
