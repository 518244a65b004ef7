#!/usr/bin/env bash
# Builds and runs every test: the normal build with all tests, all of them
# again under AddressSanitizer + UndefinedBehaviorSanitizer, and a short
# fuzzing run of the engine on arbitrary decks.
#   scripts/test.sh            everything (installs missing packages first)
#   FUZZ_SECONDS=0 scripts/test.sh   skip the fuzzing run
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)

bash scripts/install-deps.sh

echo "== build and test (build/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"

echo "== every test with sanitizers, GUI suites included (build-asan/)"
# Debug build with AddressSanitizer + UndefinedBehaviorSanitizer: the engine, the data-entry
# widgets, the project and forms, the plots, the views and, under xvfb-run as in the normal
# build, the 3-D view. The leak check ignores what the system's font and bus libraries keep.
asan_start=$(date +%s)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTREMEX_SANITIZE=ON -DTREMEX_GUI=ON >/dev/null
ninja -C build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
  LSAN_OPTIONS=suppressions="$top/scripts/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
echo "== sanitizer build and tests took $(( $(date +%s) - asan_start ))s"

fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
  echo "== fuzzing the engine for ${fuzz_seconds}s (build-fuzz/)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTREMEX_FUZZ=ON -DTREMEX_GUI=OFF -DTREMEX_SANITIZE=ON >/dev/null
  ninja -C build-fuzz -j "$jobs" deck_fuzzer
  mkdir -p build-fuzz/corpus
  cp fuzz/corpus/* examples/*.tmx build-fuzz/corpus/
  build-fuzz/bin/deck_fuzzer -max_total_time="$fuzz_seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 "$top/build-fuzz/corpus" 2>&1 | tail -n 15
fi
echo "== all tests done"
