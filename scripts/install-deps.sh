#!/usr/bin/env bash
# Installs every Debian 12 package TREMEX needs to build, test and run.
# Idempotent: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libqt6openglwidgets6 qt6-base-dev-tools
  libgl1-mesa-dev libgl1-mesa-dri libglu1-mesa-dev
  libgtest-dev googletest libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick fonts-liberation bc
  xdg-utils poppler-utils  # pdftotext: the printed pages' text in the tests
  python3  # scripts/check-layers.py
  desktop-file-utils shared-mime-info libglib2.0-bin  # the desktop entry and MIME type: checks, gio open
  dpkg-dev  # dpkg-shlibdeps: the dependencies of the Debian package
  clang libclang-rt-14-dev
  libopenblas-dev liblapacke-dev  # only for the benchmarks' comparison; nothing links them otherwise
  # The user's manual (doc/): Markdown to HTML, HTML to PDF. python3-munkres meets a font
  # library's need that apt would otherwise meet with python3-scipy and its C++ headers
  # (about 230 MB more).
  python3-markdown weasyprint python3-munkres
)

# As root the packages are installed directly (a bare machine may have no sudo); a normal
# user goes through sudo.
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ -n "$SUDO" ] && ! command -v sudo >/dev/null; then
  echo "install-deps: sudo is not installed: run this script as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
