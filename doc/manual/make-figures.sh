#!/usr/bin/env bash
# Makes the figures of the user's manual from the real Tremex3: starts it under a virtual X
# server with a window manager, on copies of the bundled examples, chooses its menus with the
# mouse (xdotool) and saves each window as doc/manual/figures/NAME.png.
#   doc/manual/make-figures.sh [BUILD_DIR] [NAME...]
# BUILD_DIR defaults to build (Tremex3, tremrun and the engine in BUILD_DIR/bin); names pick
# figures of the list below (default: all). Run it again whenever a window changes, look at
# the figures, and commit them.
#
# The mouse positions below are those of the program's menus with the default Qt style and
# fonts of a Debian 12 machine; a figure whose window does not come up stops the script.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
shift || true
out=$top/doc/manual/figures
bin=$build/bin
for tool in Xvfb xdotool import convert; do
  command -v $tool >/dev/null || { echo "make-figures: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
if ! command -v openbox >/dev/null; then
  # The window manager gives the dialogs their place and the focus; only this script needs it.
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends openbox
fi
[ -x "$bin/Tremex3" ] && [ -x "$bin/tremrun" ] || { echo "make-figures: build Tremex3 and tremrun first" >&2; exit 1; }
mkdir -p "$out"

work=$(mktemp -d /tmp/tremex-figures-XXXXXX)
display=":$((400 + RANDOM % 400))"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & wm=$!
sleep 1
export HOME=$work/home QT_QPA_PLATFORM=xcb
mkdir -p "$HOME"

# Copies of the examples, each with the report and plot data of an engine run.
for f in "$top"/examples/*.tmx; do
  name=$(basename "$f" .tmx)
  cp "$top/examples/$name.tmx" "$top/examples/$name.tmm" "$work/"
  "$bin/tremrun" "$work/$name.tmx" >/dev/null
done

# Places on the screen (main window at 0,0, 1000 x 700).
declare -A bar=([File]=20 [Data]=59 [Computation]=127 [Graphics]=206 [View]=293 [Window]=378 [Help]=430)
# Data menu: the y of each item.
declare -A data=([Title]=29 [Units]=51 [System]=75 [Loading]=97 [Shape]=119 [FootingMass]=143
  [Foundation]=165 [FoundationLayer]=187 [CapShape]=211 [CapMass]=233 [PileCoord]=255
  [PileProperties]=277 [PileElements]=299 [SoilLayer]=323 [SoilBelow]=345 [SideSoil]=367
  [SoilColumn]=389 [Harmonic]=413 [Transient]=435 [Random]=457 [Options]=481)

start() {  # start EXAMPLE: Tremex3 on the copy of an example; sets $main
  "$bin/Tremex3" "$work/$1.tmx" >"$work/tremex3.log" 2>&1 & app=$!
  main=""
  for _ in $(seq 100); do
    main=$(xdotool search --name "^TREMEX 3.0.11 - " 2>/dev/null | head -n 1 || true)
    [ -n "$main" ] && break
    sleep 0.1
  done
  [ -n "$main" ] || { echo "make-figures: Tremex3 did not come up: $(cat "$work/tremex3.log")" >&2; exit 1; }
  sleep 0.5
  xdotool windowsize --sync "$main" 1000 700
  xdotool windowmove --sync "$main" 0 0
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  sleep 0.5
}
stop() {
  kill "$app" 2>/dev/null || true
  for _ in $(seq 30); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
}
click() { xdotool mousemove --sync "$1" "$2" click 1; sleep "${3:-0.6}"; }
menu() {  # menu BAR-ITEM Y [SUBMENU-Y]: a menu command by the mouse
  local x=$((${bar[$1]} + 100))
  click "${bar[$1]}" 8 0.5
  if [ $# -ge 3 ]; then
    xdotool mousemove --sync "$x" "$2"
    sleep 0.6
    click $((x + 230)) "$3" 1
  else
    click "$x" "$2" 1
  fi
  xdotool mousemove --sync 990 690
  sleep 0.3
}
# Saves a picture: palette colours when the picture keeps its look, no metadata.
save() {  # save IMAGE NAME
  convert "$1" -strip -colors 256 +dither PNG8:"$out/$2.png"
  echo "make-figures: $2.png $(identify -format '%wx%h' "$out/$2.png")"
}
# The child window shown in the main window: the main window without its menu bar (and tool
# bar), its bottom edge and its right edge, cut down to what is not the empty background.
# Taken from the screen (reading the 3-D view's main window itself can stall while it draws),
# where the main window is found again (it gets a new X window when the 3-D view first draws).
shot_child() {  # shot_child NAME [TOP]
  local X Y WIDTH HEIGHT SCREEN WINDOW
  main=$(xdotool search --onlyvisible --name "^TREMEX 3.0.11 - " | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$main")"
  timeout 30 import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$work/shot.png"
  convert "$work/shot.png" -crop "+0+${2:-21}" +repage -gravity south -chop 0x24 -gravity east -chop 4x0 \
    +gravity -bordercolor '#a0a0a0' -border 2 -fuzz 2% -trim +repage "$work/child.png"
  save "$work/child.png" "$1"
}
shot_window() {  # shot_window NAME CAPTION-PATTERN: a window of its own (dialog, message)
  local id=""
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "make-figures: no window '$2' for $1" >&2; exit 1; }
  sleep 0.5
  timeout 30 import -window "$id" "$work/window.png"
  save "$work/window.png" "$1"
}

want() {  # want NAME: whether this figure was asked for
  [ ${#names[@]} -eq 0 ] && return 0
  local n
  for n in "${names[@]}"; do [ "$n" = "$1" ] && return 0; done
  return 1
}
names=("$@")

form() {  # form NAME EXAMPLE DATA-ITEM [SUBMENU-Y]
  want "$1" || return 0
  start "$2"
  menu Data "${data[$3]}" ${4:-}
  shot_child "$1"
  stop
}

# --- the main window and the Data menu
if want main-window; then
  start halfspace-harmonic
  menu Data "${data[Shape]}"
  menu Data "${data[SoilBelow]}"
  timeout 30 import -window root -crop 1000x700+0+0 "$work/main.png"
  save "$work/main.png" main-window
  stop
fi
if want menu-data; then
  start halfspace-harmonic
  click "${bar[Data]}" 8 0.8
  timeout 30 import -window root -crop 460x500+0+0 "$work/menu.png"
  save "$work/menu.png" menu-data
  xdotool key Escape
  stop
fi

# --- forms
form form-title halfspace-harmonic Title
form form-options halfspace-harmonic Options
form form-foundation halfspace-harmonic Foundation
form form-shape halfspace-harmonic Shape
form form-soil-below halfspace-harmonic SoilBelow
form form-mass halfspace-harmonic FootingMass
form form-multilayer multilayer-harmonic Foundation
form form-pile-properties single-pile-harmonic PileProperties
form form-pilecap pile-group-random CapMass
form form-harmonic halfspace-harmonic Harmonic 435
form form-transient stratum-transient Transient
form form-random halfspace-random Random

# --- tables (harmonic loads have no table: their amplitudes are fields of the form)
form table-soil-layers single-pile-harmonic SoilLayer
form table-side-soil halfspace-embedded-harmonic SideSoil
form table-pile-coordinates pile-group-random PileCoord

# --- a run and its results
if want run-finished; then
  start halfspace-harmonic
  menu Computation 29
  shot_window run-finished "^TREMEX$"
  xdotool key Return
  stop
fi
plot() {  # plot NAME ITEM-Y
  want "$1" || return 0
  start halfspace-harmonic
  menu Graphics "$2"
  sleep 0.5
  shot_child "$1"
  stop
}
plot plot-stiffness 29
plot plot-damping 73
plot plot-response 117
if want amplitude-dialog; then
  start halfspace-harmonic
  menu Graphics 161
  shot_window amplitude-dialog "^Footing Amplitude Plot$"
  xdotool key Escape
  stop
fi

# --- views
view() {  # view NAME EXAMPLE ITEM-Y [TOP]
  want "$1" || return 0
  start "$2"
  menu View "$3"
  sleep 1
  shot_child "$1" "${4:-21}"
  stop
}
view view-top pile-group-random 29
view view-side pile-group-random 51
view view-3d pile-group-random 95 68

# --- the report: its first page as text
if want report-text; then
  # Its first lines, without the empty lines above the banner.
  sed -e 's/[[:space:]]*$//' -e '/./,$!d' "$work/halfspace-harmonic.tmo" | sed -n '1,58p' >"$work/report.txt"
  # In blocks of 20 lines (one long label exceeds ImageMagick's limits), one below the other.
  blocks=()
  for first in 1 21 41; do
    convert -background white -fill black -font DejaVu-Sans-Mono -pointsize 12 \
      label:"$(sed -n "${first},$((first + 19))p" "$work/report.txt" | sed '1s/^ /\xc2\xa0/')" "$work/block$first.png"
    blocks+=("$work/block$first.png")
  done
  convert "${blocks[@]}" -background white -append -bordercolor white -border 12 -bordercolor '#999999' -border 1 \
    "$work/report.png"
  save "$work/report.png" report-text
fi
