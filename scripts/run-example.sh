#!/usr/bin/env bash
# Runs the engine alone (no GUI) on a copy of a bundled example and prints where the report
# and the plot data went.  The example in the tree is never written.
# Usage: scripts/run-example.sh [project.tmx]   (default examples/halfspace-harmonic.tmx)
#   BUILD_DIR  build folder (default build)
#   WORK_DIR   folder for the copy (default: a new temporary folder)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deck=${1:-$top/examples/halfspace-harmonic.tmx}
build=${BUILD_DIR:-$top/build}
work=${WORK_DIR:-$(mktemp -d /tmp/tremex-example-XXXXXX)}
name=$(basename "$deck" .tmx)
if [ ! -f "$work/$name.tmx" ]; then
  cp "$deck" "$work/$name.tmx"
  # The mass file goes with the project; a deck without one gets an empty mass table.
  if [ -f "${deck%.tmx}.tmm" ]; then
    cp "${deck%.tmx}.tmm" "$work/$name.tmm"
  else
    printf '0\r\n' > "$work/$name.tmm"
  fi
  chmod u+w "$work/$name.tmx" "$work/$name.tmm"
fi
"$build/bin/tremrun" "$work/$name.tmx"
