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
# FIGURES_DISPLAY=N picks the virtual display (default: a random one from 400 to 799).
display=":${FIGURES_DISPLAY:-$((400 + RANDOM % 400))}"
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
shot_child() {  # shot_child NAME [TOP] [BOTTOM]
  local X Y WIDTH HEIGHT SCREEN WINDOW
  main=$(xdotool search --onlyvisible --name "^TREMEX 3.0.11 - " | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$main")"
  timeout 30 import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$work/shot.png"
  convert "$work/shot.png" -crop "+0+${2:-21}" +repage -gravity south -chop "0x${3:-24}" -gravity east -chop 4x0 \
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
  # The window lowered by its title bar, which then shows the project in the caption (at 0,0 the
  # window manager keeps the title bar above the screen).
  eval "$(xdotool getwindowgeometry --shell "$main")"
  top=$(xprop -id "$main" _NET_FRAME_EXTENTS | sed -n 's/.*= *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\3/p')
  xdotool windowmove --sync "$main" 0 "${top:-20}"
  sleep 0.5
  timeout 30 import -window root -crop "1000x$((700 + ${top:-20}))+0+0" "$work/main.png"
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
# The random load form with round frequencies typed in: the example gives its spectra in rad/s
# (2 to 60), which the form shows in hertz with all the digits of 60/6.28.
if want form-random; then
  start halfspace-random
  menu Data "${data[Random]}"
  xdotool key ctrl+a && xdotool type 10 && xdotool key Tab && sleep 0.3
  xdotool key ctrl+a && xdotool type 0.3 && xdotool key Tab && sleep 0.5
  shot_child form-random
  stop
fi

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
plot() {  # plot NAME ITEM-Y [HEIGHT] [EXAMPLE]: the whole plot window, its axis titles included;
  # a taller main window (HEIGHT) spaces the axis values of a plot whose values are long numbers
  want "$1" || return 0
  start "${4:-halfspace-harmonic}"
  [ -n "${3:-}" ] && xdotool windowsize --sync "$main" 1000 "$3" && sleep 0.5
  menu Graphics "$2"
  sleep 0.5
  shot_child "$1" 21 14
  stop
}
# Plots whose axis values are all in one notation (a plot writes values of more than four
# integer digits, and below 0.00001, in exponent form): the rotational damping of the compressor
# block and the displacements of the pile. The amplitude dialog, whose axis writes values below
# 0.0001 in exponent form, shows the compressor block.
plot plot-stiffness 29
plot plot-damping 95
plot plot-response 117 1000 single-pile-harmonic
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

# --- the report: its first page as text, as a fixed-width font shows it
if want report-text; then
  # Its first lines, without the empty lines above the banner, every blank and empty line kept, to
  # the end of the first blocks of the echo: few enough lines for a legible print.
  # The run folder of this script is a temporary one: the report's path line shows the folder of
  # the first analysis of the manual instead.
  sed -e 's/[[:space:]]*$//' -e '/./,$!d' \
      -e "s|^\( *Path to file locations *: \).*|\1/home/user/tremex-first/|" \
      "$work/halfspace-harmonic.tmo" | awk 'done < 2 { print } /^ GRAVITATIONAL CONSTANT/ || done { done++ }' \
      >"$work/report.txt"
  grep -q "$work" "$work/report.txt" && { echo "make-figures: the report still names $work" >&2; exit 1; }
  /usr/bin/python3 - "$work/report.txt" "$work/report.png" <<'PY'
import sys
from PIL import Image, ImageDraw, ImageFont
lines = open(sys.argv[1], encoding="latin-1").read().split("\n")
font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", 13)
left, top, step = 14, 10, 16
width = max(len(line) for line in lines) * font.getlength("M") + 2 * left
img = Image.new("RGB", (int(width), top * 2 + step * len(lines)), "white")
draw = ImageDraw.Draw(img)
for i, line in enumerate(lines):
    draw.text((left, top + i * step), line, font=font, fill="black")
draw.rectangle([0, 0, img.width - 1, img.height - 1], outline="#999999")
img.save(sys.argv[2])
PY
  save "$work/report.png" report-text
fi

# --- the axes and signs: a drawing of the side view (x, z) of a footing, with the load of the
# example of the loads chapter (no window of the program shows the axes with a load)
if want sign-convention; then
  /usr/bin/python3 - "$work/sign.png" <<'PY'
import sys
from PIL import Image, ImageDraw, ImageFont
font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 17)
small = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 14)
img = Image.new("RGB", (760, 420), "white")
d = ImageDraw.Draw(img)
def arrow(x0, y0, x1, y1, colour, width=3):
    d.line([x0, y0, x1, y1], fill=colour, width=width)
    import math
    a = math.atan2(y1 - y0, x1 - x0)
    for s in (0.45, -0.45):
        d.line([x1, y1, x1 - 14 * math.cos(a + s), y1 - 14 * math.sin(a + s)], fill=colour, width=width)
# ground and the footing block (side view, x to the right, z down)
d.rectangle([0, 330, 760, 420], fill="#e8dcc0")
d.line([0, 330, 760, 330], fill="#806040", width=2)
d.rectangle([130, 150, 470, 330], fill="#d0d0d0", outline="black", width=2)
cx, cy = 300, 250                      # the centre of gravity
d.ellipse([cx - 7, cy - 7, cx + 7, cy + 7], fill="black")
d.text((cx + 10, cy + 6), "C.G.", font=font, fill="black")
arrow(cx, cy, cx + 150, cy, "black")       # x
d.text((cx + 156, cy - 12), "x", font=font, fill="black")
arrow(cx, cy, cx, cy + 120, "black")       # z (down)
d.text((cx + 8, cy + 112), "z (down)", font=font, fill="black")
# y away from the reader, into the page: x, y and z up are right-handed, x, y, z (down) left-handed
d.ellipse([cx - 40 - 11, cy - 11, cx - 40 + 11, cy + 11], outline="black", width=2)
d.line([cx - 40 - 7, cy - 7, cx - 40 + 7, cy + 7], fill="black", width=2)
d.line([cx - 40 - 7, cy + 7, cx - 40 + 7, cy - 7], fill="black", width=2)
d.text((cx - 163, cy + 16), "y (away from you)", font=small, fill="black")
# the load point 0.5 m along x and 1 m above (z = -1) with its forces
px, py = cx + 60, cy - 120
d.ellipse([px - 5, py - 5, px + 5, py + 5], fill="#c00000")
d.line([cx, cy, px, py], fill="#c00000", width=1)
d.text((px + 10, py - 8), "load point (0.5, 0, -1) m", font=small, fill="#c00000")
arrow(px - 90, py, px, py, "#c00000")
d.text((px - 100, py - 26), "Fx = 10 kN", font=small, fill="#c00000")
d.text((px - 220, py - 52), "Fy = 4 kN (away from you)", font=small, fill="#c00000")
# the moment about y at the C.G.: positive in the sense x towards z
d.arc([cx - 75, cy - 75, cx + 75, cy + 75], start=200, end=320, fill="#0040c0", width=3)
arrow(cx + 57, cy - 48, cx + 62, cy - 40, "#0040c0")
d.text((cx - 165, cy - 70), "My = +10 kN-m", font=small, fill="#0040c0")
d.text((490, 180), "moments and rotations:", font=small, fill="black")
d.text((490, 200), "right-hand rule about each axis;", font=small, fill="black")
d.text((490, 216), "(x, y, z) is a left-handed set", font=small, fill="black")
d.text((490, 232), "M = -r x F,  u = uG + r x theta", font=small, fill="black")
d.text((490, 262), "at the C.G. the echo shows", font=small, fill="black")
d.text((490, 282), "Mx = -4, My = +10, Mz = -2 kN-m", font=small, fill="black")
img.save(sys.argv[1])
PY
  save "$work/sign.png" sign-convention
fi
