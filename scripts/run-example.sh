#!/usr/bin/env bash
# Runs the engine on a bundled example deck and prints where the report went.
# Usage: scripts/run-example.sh [deck]   (default examples/halfspace-harmonic.tmx)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deck=${1:-$top/examples/halfspace-harmonic.tmx}
build=${BUILD_DIR:-$top/build}
work=$(mktemp -d /tmp/tremex-example-XXXXXX)
cp "$deck" "$work/project.tmx"
printf '0\r\n' > "$work/project.tmm"
"$build/bin/tremrun" "$work/project.tmx"
