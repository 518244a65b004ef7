#!/usr/bin/env bash
# Builds TREMEX and installs it under a prefix (default /usr/local): the program folder
# PREFIX/lib/tremex (Tremex3, tremrun, libtremcalc.so, pictures, the help pages help/ and the
# user's manual "Tremx v3 Manual.pdf"), links PREFIX/bin/Tremex3 and PREFIX/bin/tremrun, and the
# desktop entry, MIME type and icon under PREFIX/share.  The build runs as the calling user; the
# install step goes through sudo only when that user cannot write the prefix (root never needs it).
# Usage: scripts/install.sh [prefix]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-/usr/local}
cd "$top"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j "$(nproc)" Tremex3 tremcalc tremrun tremex_icons manual
# The nearest existing folder of the prefix tells whether this user can write it.
probe=$prefix
while [ ! -e "$probe" ]; do probe=$(dirname "$probe"); done
if [ "$(id -u)" -eq 0 ] || [ -w "$probe" ]; then
  cmake --install build --prefix "$prefix"
else
  command -v sudo >/dev/null || { echo "install: cannot write $prefix and sudo is not installed" >&2; exit 1; }
  sudo cmake --install build --prefix "$prefix"
fi
echo "install: start the program with $prefix/bin/Tremex3"
