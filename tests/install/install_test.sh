#!/usr/bin/env bash
# An installed TREMEX runs analyses for a user who cannot write its folder.
#   install_test.sh BUILD_DIR SOURCE_DIR SLOW_ENGINE
# Installs the build into a scratch prefix and makes the prefix read-only; then, as a user who
# cannot write it (when this runs as root: the user "nobody", since root writes every folder):
# 1. the installed tremrun runs an example; its report and plot data equal those of the build's
#    own tremrun, and nothing is left in the program folder;
# 2. two installed tremrun runs side by side, on projects in two folders, give the same results;
# 3. two runs of a slow stand-in engine (sleeps a second) side by side from one writable
#    program folder: one claims the program folder, the other a private one, and neither sees
#    the other's scratch file;
# 4. the installed desktop entry passes desktop-file-validate, the icon is there in every
#    standard size, and with XDG_DATA_DIRS naming the prefix `xdg-mime query default` gives the
#    entry for the MIME type of project files, which a .tmx file has;
# 5. opening a .tmx through that association (gio open, as a file manager does) starts the
#    installed Tremex3 on it, under a virtual X server;
# 6. the installed Tremex3, under a virtual X server, runs an example through Computation >
#    Run Analysis as a user would (keys sent with xdotool).
# 7. the help pages and the manual are in the installed program folder, and the installed
#    Tremex3's Help > Contents and Help > User's Manual hand them to the desktop's opener (a
#    stand-in xdg-open that notes what it is given), under the same conditions as 6.
# Steps 4 to 7 need the main program; 5 to 7 skip when xvfb-run, xdotool or gio is missing.
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
slow=$3
example=halfspace-harmonic

scratch=$(mktemp -d /tmp/tremex-install-XXXXXX)
chmod 755 "$scratch"
cleanup() {
  chmod -R u+w "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/lib/tremex
for f in tremrun libtremcalc.so; do [ -f "$program/$f" ] || fail "$program/$f not installed"; done
# The help and the manual, when the build made them (TREMEX_MANUAL).
manual=""
if [ -f "$build/bin/help/index.html" ]; then
  manual=1
  for f in help/index.html help/manual.css "Tremx v3 Manual.pdf"; do
    [ -s "$program/$f" ] || fail "$program/$f not installed"
  done
fi
[ -x "$prefix/bin/tremrun" ] || fail "$prefix/bin/tremrun not installed"
chmod -R a-w "$prefix"

# The user who runs the installed programs, and the folders that user may write.
home=$scratch/home
mkdir -p "$home"
if [ "$(id -u)" = 0 ]; then
  user=(setpriv --reuid=65534 --regid=65534 --clear-groups env -u XDG_RUNTIME_DIR HOME="$home")
  give() { chown -R 65534:65534 "$@"; }
else
  user=(env HOME="$home")
  give() { :; }
fi
give "$home"
"${user[@]}" test -w "$program" && fail "the test user can write $program"

project() {  # project FOLDER: a copy of the example in FOLDER, writable by the test user
  mkdir -p "$1"
  cp "$src/examples/$example.tmx" "$src/examples/$example.tmm" "$1/"
  chmod -R u+w "$1"
  give "$1"
}
# Report lines that differ between two runs of one project: the clock and the project's folder.
steady() { grep -v -e 'TIME     -' -e 'DATE     -' -e 'Path to file locations' "$1"; }
same_results() {  # same_results FOLDER: report and plot data equal the reference run
  cmp -s "$scratch/ref/$example.tmq" "$1/$example.tmq" || fail "plot data of $1 differ from the reference"
  diff <(steady "$scratch/ref/$example.tmo") <(steady "$1/$example.tmo") >/dev/null ||
    fail "report of $1 differs from the reference"
}
run_folder() { sed -n 's/^run folder: //p' "$1"; }

# The reference: the build's own tremrun.
project "$scratch/ref"
"$build/bin/tremrun" "$scratch/ref/$example.tmx" >/dev/null
grep -q FATAL "$scratch/ref/$example.tmo" && fail "the reference run failed"

# 1. One run of the installed tremrun.
project "$scratch/one"
"${user[@]}" "$prefix/bin/tremrun" "$scratch/one/$example.tmx" >"$scratch/one.out" || fail "installed tremrun: $(cat "$scratch/one.out")"
same_results "$scratch/one"
folder=$(run_folder "$scratch/one.out")
[ -n "$folder" ] && [ "$folder" != "$program" ] || fail "run folder '$folder'"
[ ! -e "$folder" ] || fail "the private run folder $folder was left behind"
for f in names.dat TAPE7 TAPE8 tremex.lock; do [ ! -e "$program/$f" ] || fail "$f written in $program"; done
echo "ok 1 installed tremrun, read-only program folder, run folder $folder"

# 2. Two installed runs side by side.
project "$scratch/a"
project "$scratch/b"
"${user[@]}" "$prefix/bin/tremrun" "$scratch/a/$example.tmx" >"$scratch/a.out" & pa=$!
"${user[@]}" "$prefix/bin/tremrun" "$scratch/b/$example.tmx" >"$scratch/b.out" & pb=$!
wait $pa || fail "run a: $(cat "$scratch/a.out")"
wait $pb || fail "run b: $(cat "$scratch/b.out")"
same_results "$scratch/a"
same_results "$scratch/b"
[ "$(run_folder "$scratch/a.out")" != "$(run_folder "$scratch/b.out")" ] || fail "two runs shared a run folder"
echo "ok 2 two installed runs side by side"

# 3. The slow stand-in, twice at once from one writable program folder.
stand=$scratch/standin
mkdir -p "$stand"
cp "$program/tremrun" "$stand/tremrun"
cp "$slow" "$stand/libtremcalc.so"
chmod -R u+w "$stand"
give "$stand"
project "$scratch/c"
project "$scratch/d"
"${user[@]}" "$stand/tremrun" "$scratch/c/$example.tmx" >"$scratch/c.out" & pc=$!
"${user[@]}" "$stand/tremrun" "$scratch/d/$example.tmx" >"$scratch/d.out" & pd=$!
wait $pc || fail "stand-in run c: $(cat "$scratch/c.out")"
wait $pd || fail "stand-in run d: $(cat "$scratch/d.out")"
for r in c d; do
  grep -q '^scratch: own$' "$scratch/$r/$example.tmo" || fail "run $r: $(cat "$scratch/$r/$example.tmo")"
done
fc=$(run_folder "$scratch/c.out")
fd=$(run_folder "$scratch/d.out")
[ "$fc" != "$fd" ] || fail "the stand-in runs shared $fc"
{ [ "$fc" = "$stand" ] || [ "$fd" = "$stand" ]; } || fail "neither run used the free program folder ($fc, $fd)"
echo "ok 3 two slow runs side by side: $fc and $fd"

if [ ! -x "$program/Tremex3" ]; then
  echo "skip 4-7: Tremex3 not built"
  exit 0
fi

# 4. The desktop entry, the MIME type and the icon.
entry=$prefix/share/applications/tremex3.desktop
mimetype=application/x-tremex-project
[ -f "$entry" ] || fail "$entry not installed"
[ -f "$prefix/share/mime/packages/tremex3.xml" ] || fail "MIME type not installed"
grep -qx "Exec=$prefix/bin/Tremex3 %f" "$entry" || fail "Exec of $entry: $(grep ^Exec= "$entry")"
grep -qx "MimeType=$mimetype;" "$entry" || fail "MimeType of $entry"
command -v desktop-file-validate >/dev/null ||
  fail "desktop-file-validate missing (desktop-file-utils, scripts/install-deps.sh)"
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tremex3.png
  [ -f "$icon" ] || fail "$icon not installed"
  if command -v identify >/dev/null; then
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "$icon is $(identify -format '%wx%h' "$icon")"
  fi
done
# The desktop's view of the prefix: its data first, then the system's; the user's own folders
# empty.
xdg=(env XDG_DATA_DIRS="$prefix/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
     XDG_DATA_HOME="$scratch/xdg/data" XDG_CONFIG_HOME="$scratch/xdg/config" HOME="$home")
mkdir -p "$scratch/xdg/data" "$scratch/xdg/config"
default=$("${xdg[@]}" xdg-mime query default "$mimetype") || fail "xdg-mime query default $mimetype"
[ "$default" = tremex3.desktop ] || fail "xdg-mime names '$default' for $mimetype"
project "$scratch/mime"
mv "$scratch/mime/$example.tmx" "$scratch/mime/turbine.tmx"
mv "$scratch/mime/$example.tmm" "$scratch/mime/turbine.tmm"
if command -v gio >/dev/null; then
  type=$("${xdg[@]}" gio info -a standard::content-type "$scratch/mime/turbine.tmx" |
         sed -n 's/^ *standard::content-type: //p')
  [ "$type" = "$mimetype" ] || fail "a .tmx file has the type '$type'"
fi
echo "ok 4 desktop entry valid, icon in 8 sizes, xdg-mime default for $mimetype: $default"

if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null || ! command -v gio >/dev/null; then
  echo "skip 5-7: xvfb-run, xdotool or gio missing"
  exit 0
fi

# 5. A .tmx opened through the MIME association: the installed Tremex3 shows it.
cat >"$scratch/open.sh" <<'EOF'
#!/usr/bin/env bash
# open.sh FILE CAPTION: opens FILE as a file manager does; the window CAPTION must appear.
# Prints the command line of the program that shows it, then ends it with File > Exit.
set -u
gio open "$1" || { echo "gio open failed"; exit 1; }
window=""
for _ in $(seq 150); do
  window=$(xdotool search --name "^$2\$" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no window '$2'"; exit 1; }
pid=$(xdotool getwindowpid "$window")
tr '\0' ' ' <"/proc/$pid/cmdline"
echo
# The window's class, which the entry's StartupWMClass names.
command -v xprop >/dev/null && xprop -id "$window" WM_CLASS
# The project is unchanged: File > Exit asks nothing.
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || exit 0; sleep 0.1; done
kill "$pid"
echo "Tremex3 did not exit"
exit 1
EOF
chmod 755 "$scratch/open.sh"
for try in 1 2; do
  if "${xdg[@]}" QT_QPA_PLATFORM=xcb xvfb-run -a -n $((170 + RANDOM % 500)) -s "-screen 0 1280x1024x24" \
      "$scratch/open.sh" "$scratch/mime/turbine.tmx" "TREMEX 3.0.11 - Turbine" >"$scratch/open.out" 2>&1; then
    break
  fi
  if [ $try = 2 ] || ! grep -q "could not connect to display" "$scratch/open.out"; then
    fail "opening a .tmx: $(cat "$scratch/open.out")"
  fi
done
grep -q "^$prefix/bin/Tremex3 $scratch/mime/turbine.tmx" "$scratch/open.out" ||
  fail "the .tmx was opened by: $(cat "$scratch/open.out")"
wmclass=$(sed -n 's/^StartupWMClass=//p' "$entry")
if grep -q '^WM_CLASS' "$scratch/open.out"; then
  grep -q "^WM_CLASS(STRING) = \".*\", \"$wmclass\"$" "$scratch/open.out" ||
    fail "StartupWMClass=$wmclass, the window: $(grep ^WM_CLASS "$scratch/open.out")"
fi
echo "ok 5 a .tmx opened through the MIME association starts the installed Tremex3 on it"

# 6. The installed Tremex3 as a user would run it.
project "$scratch/gui"
cat >"$scratch/drive.sh" <<'EOF'
#!/usr/bin/env bash
# drive.sh TREMEX3 PROJECT REPORT LOG: Run Analysis by the keyboard, answer the message, quit.
set -u
"$1" "$2" >"$4" 2>&1 & app=$!
main=""
for _ in $(seq 100); do
  main=$(xdotool search --name "^TREMEX 3.0.11 - " 2>/dev/null | head -n 1)
  [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "no main window"; kill $app; exit 1; }
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" alt+c
sleep 0.5
xdotool key r
# The completion message (title "TREMEX") comes when the engine has returned.
done=""
for _ in $(seq 300); do
  if [ -s "$3" ] && xdotool search --name "^TREMEX$" >/dev/null 2>&1; then done=1; break; fi
  sleep 0.1
done
sleep 0.5
xdotool key Return
sleep 0.5
# File > Exit; the program then removes its private run folder.
xdotool windowactivate --sync "$main" 2>/dev/null
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
kill $app 2>/dev/null
wait $app 2>/dev/null
[ -n "$done" ] || { echo "no completion message"; exit 1; }
exit 0
EOF
chmod 755 "$scratch/drive.sh"
# A second try when the program could not reach its virtual display (another program may
# take the display number that xvfb-run picked at the same moment).
for try in 1 2; do
  if "${user[@]}" QT_QPA_PLATFORM=xcb xvfb-run -a -n $((170 + RANDOM % 500)) -s "-screen 0 1280x1024x24" \
      "$scratch/drive.sh" "$prefix/bin/Tremex3" "$scratch/gui/$example.tmx" "$scratch/gui/$example.tmo" \
      "$home/tremex3.log" >"$scratch/gui.out" 2>&1; then
    break
  fi
  if [ $try = 2 ] || ! grep -q "could not connect to display" "$home/tremex3.log"; then
    fail "installed Tremex3: $(cat "$scratch/gui.out" "$home/tremex3.log")"
  fi
done
same_results "$scratch/gui"
for f in names.dat TAPE7 TAPE8 tremex.lock; do [ ! -e "$program/$f" ] || fail "$f written in $program"; done
echo "ok 6 installed Tremex3 ran the example"
left=$(find "$home" -maxdepth 4 -name 'tremex-rundir-*' 2>/dev/null)
[ -z "$left" ] || fail "private run folders left behind: $left"

# 7. Help > Contents and Help > User's Manual of the installed program.
if [ -z "$manual" ]; then
  echo "skip 7: the manual was not built"
  exit 0
fi
opener=$scratch/opener
mkdir -p "$opener"
printf '#!/bin/sh\necho "$*" >>"%s/opened.log"\n' "$home" >"$opener/xdg-open"
chmod 755 "$opener/xdg-open"
cat >"$scratch/drive-help.sh" <<'EOF'
#!/usr/bin/env bash
# drive-help.sh TREMEX3 LOG OPENED: Help > Contents, Help > User's Manual by the keyboard, quit.
# The help window that Help > Contents opens is written to OPENED as "help window: CAPTION".
set -u
"$1" >"$2" 2>&1 & app=$!
main=""
for _ in $(seq 100); do
  main=$(xdotool search --name "^TREMEX 3.0.11 - " 2>/dev/null | head -n 1)
  [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "no main window"; kill $app; exit 1; }
sleep 0.5
opened() { if [ -f "$3" ]; then wc -l <"$3"; else echo 0; fi; }
# "U" is the access key of two Help items (User's Manual, Check for Updates): it selects the
# first, Return chooses it.
for item in c "u Return"; do
  before=$(opened "$@")
  xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
  xdotool key --window "$main" alt+h
  sleep 0.5
  xdotool key $item
  for _ in $(seq 50); do
    if [ "$item" = c ]; then
      help=$(xdotool search --name "^Contents - TREMEX 3.0.11 Help$" 2>/dev/null | head -n 1)
      [ -n "$help" ] && { echo "help window: $(xdotool getwindowname "$help")" >>"$3"; break; }
    fi
    [ "$(opened "$@")" -gt "$before" ] && break
    sleep 0.1
  done
done
xdotool windowactivate --sync "$main" 2>/dev/null
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
kill $app 2>/dev/null
wait $app 2>/dev/null
exit 0
EOF
chmod 755 "$scratch/drive-help.sh"
give "$opener"
for try in 1 2; do
  rm -f "$home/opened.log"
  if "${user[@]}" PATH="$opener:$PATH" QT_QPA_PLATFORM=xcb xvfb-run -a -n $((170 + RANDOM % 500)) \
      -s "-screen 0 1280x1024x24" "$scratch/drive-help.sh" "$prefix/bin/Tremex3" "$home/tremex3-help.log" \
      "$home/opened.log" >"$scratch/help.out" 2>&1 && [ -s "$home/opened.log" ]; then
    break
  fi
  if [ $try = 2 ] || ! grep -q "could not connect to display" "$home/tremex3-help.log"; then
    fail "installed Tremex3's Help menu: $(cat "$scratch/help.out" "$home/tremex3-help.log" "$home/opened.log" 2>/dev/null)"
  fi
done
decode() { sed -e 's|^file://||' -e 's|%20| |g'; }
mapfile -t opened <"$home/opened.log"
[ "${#opened[@]}" = 2 ] || fail "the opener was given ${#opened[@]} files: ${opened[*]}"
# The help pages in the program's own window, not through the opener.
[ "${opened[0]}" = "help window: Contents - TREMEX 3.0.11 Help" ] ||
  fail "Help > Contents opened ${opened[0]}, not the help window on $program/help/index.html"
[ "$(printf '%s' "${opened[1]}" | decode)" = "$program/Tremx v3 Manual.pdf" ] ||
  fail "Help > User's Manual opened ${opened[1]}, not $program/Tremx v3 Manual.pdf"
echo "ok 7 installed Tremex3 opens its help pages and its manual"
