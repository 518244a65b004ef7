#!/usr/bin/env bash
# One command for a fresh Debian 12 machine: installs every package, builds TREMEX and starts
# the main program Tremex3 on a copy of a bundled example (examples/halfspace-harmonic.tmx and
# its mass file, copied to a temporary folder so that the example in the tree stays as it is).
#
# With a display ($DISPLAY or $WAYLAND_DISPLAY set) the program opens on it; choose
# Computation > Run Analysis to run the example, then the Graphics menu for the plots.
#
# Without a display a window cannot be seen, and a program left running under a virtual X
# server would only hang the terminal.  So the script then starts Tremex3 under xvfb-run for a
# few seconds to check that it comes up, keeps a screenshot of it, closes it, and runs the
# same example through the engine alone (scripts/run-example.sh), printing where the report
# and the plot data went.
#
# Usage: scripts/start.sh [project.tmx]   (run as a normal user; packages are installed with
# sudo when missing)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The program, the engine, the command-line runner and the manual (test.sh builds and runs the
# rest).
ninja -C build -j "$(nproc)" Tremex3 tremcalc tremrun manual

example=${1:-$top/examples/halfspace-harmonic.tmx}
name=$(basename "$example" .tmx)
work=$(mktemp -d /tmp/tremex-XXXXXX)
cp "$example" "$work/$name.tmx"
if [ -f "${example%.tmx}.tmm" ]; then cp "${example%.tmx}.tmm" "$work/$name.tmm"; fi
chmod -R u+w "$work"
project="$work/$name.tmx"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "start: Tremex3 on $project"
  exec "$top/build/bin/Tremex3" "$project"
fi

echo "start: no display (\$DISPLAY and \$WAYLAND_DISPLAY are empty)."
echo "start: checking that Tremex3 starts, under a virtual X server (xvfb-run) ..."
shot="$work/tremex3.png"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$1" "$2" & pid=$!
  sleep 4
  if kill -0 "$pid" 2>/dev/null; then
    import -window root "$3" 2>/dev/null || true
    kill "$pid"; wait "$pid" 2>/dev/null || true
    exit 0
  fi
  wait "$pid"' _ "$top/build/bin/Tremex3" "$project" "$shot"
if [ -f "$shot" ]; then
  echo "start: Tremex3 started; a screenshot of its window is in $shot"
else
  echo "start: Tremex3 started and was closed again (no screenshot taken)"
fi
echo "start: running the example through the engine alone:"
WORK_DIR="$work" BUILD_DIR="$top/build" bash "$top/scripts/run-example.sh" "$project"
