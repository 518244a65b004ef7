#!/usr/bin/env bash
# One command for a fresh Debian 12 machine: installs every package, builds
# TREMEX and runs it on a bundled example.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j "$(nproc)"
exec bash scripts/run-example.sh "$@"
