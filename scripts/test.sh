#!/usr/bin/env bash
# Checks the layers of the program (includes and link lists), then builds and runs every test:
# the normal build with all tests, all of them
# again under AddressSanitizer + UndefinedBehaviorSanitizer, the engine's and the main program's
# tests under ThreadSanitizer, and a short
# fuzzing run of every reader (engine deck, project file, plot data, grid-table
# stream, expressions).
#   scripts/test.sh            everything (installs missing packages first)
#   FUZZ_SECONDS=0 scripts/test.sh   skip the fuzzing run
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)

bash scripts/install-deps.sh

echo "== layers of the program (scripts/check-layers.py)"
python3 scripts/check-layers.py

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

echo "== the engine, the run thread, the run folder and the main window under ThreadSanitizer (build-tsan/)"
# The engine's tests (its kernels' threads included) and the main program's tests (the run of an
# analysis on its worker thread with the nested event loop, the run folder, the main window and
# its child windows). Qt itself is not instrumented: scripts/tsan.supp names what of Qt's own
# internals is left out, and why. Kernels whose address space layout ThreadSanitizer cannot map
# ("unexpected memory mapping") run the tests without address randomization (setarch -R).
tsan_start=$(date +%s)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTREMEX_TSAN=ON -DTREMEX_GUI=ON \
  -DTREMEX_MANUAL=OFF >/dev/null
ninja -C build-tsan -j "$jobs" engine_tests kernel_tests app_tests tremcalc
# die_after_fork=0: Qt 6.4's QProcess starts its child with a clone that shares the parent's
# memory until the exec (vfork), so what the sanitizer's runtime does in that child lands in the
# parent's own state, which then takes itself for a child forked from many threads and would end
# at its next thread (seen after the opener tests: the main window's run thread). The children
# exec at once; every access of the parent is still checked.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$top/scripts/tsan.supp"
tsan_run=()
if ! build-tsan/bin/kernel_tests --gtest_list_tests >/dev/null 2>build-tsan/tsan-probe.log; then
  if grep -q "unexpected memory mapping" build-tsan/tsan-probe.log; then
    echo "-- ThreadSanitizer cannot map this kernel's randomized layout: running under setarch -R"
    tsan_run=(setarch "$(uname -m)" -R)
  else
    cat build-tsan/tsan-probe.log; exit 1
  fi
fi
tsan_failed=0
pids=()
for t in engine_tests kernel_tests app_tests; do
  ( cd build-tsan && QT_QPA_PLATFORM=offscreen "${tsan_run[@]}" "bin/$t" >"$t.tsan.log" 2>&1 ) &
  pids+=($!)
done
i=0
for t in engine_tests kernel_tests app_tests; do
  if wait "${pids[$i]}" && ! grep -q "WARNING: ThreadSanitizer" "build-tsan/$t.tsan.log"; then
    echo "-- $t: $(grep -E '^\[  PASSED  \]' "build-tsan/$t.tsan.log")"
  else
    tail -n 80 "build-tsan/$t.tsan.log"
    echo "-- $t FAILED under ThreadSanitizer (build-tsan/$t.tsan.log)"
    tsan_failed=1
  fi
  i=$((i + 1))
done
unset TSAN_OPTIONS
[ "$tsan_failed" = 0 ] || exit 1
echo "== ThreadSanitizer build and tests took $(( $(date +%s) - tsan_start ))s"

fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
  # Every reader gets arbitrary input under AddressSanitizer + UndefinedBehaviorSanitizer, each
  # for a bounded time and memory; the targets run side by side. The clang build also builds
  # the main program, so that it keeps building with clang as well as gcc.
  echo "== fuzzing every reader for ${fuzz_seconds}s each (build-fuzz/)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTREMEX_FUZZ=ON -DTREMEX_SANITIZE=ON >/dev/null
  targets="deck project plotdata columns expression"
  ninja -C build-fuzz -j "$jobs" Tremex3 $(for t in $targets; do echo "${t}_fuzzer"; done)
  declare -A max_len=([deck]=4096 [project]=8192 [plotdata]=8192 [columns]=4096 [expression]=512)
  pids=()
  for t in $targets; do
    corpus="$top/build-fuzz/corpus/$t"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$t"/* "$corpus"/
    if [ "$t" = deck ] || [ "$t" = project ]; then cp examples/*.tmx "$corpus"/; fi
    ( cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
        "bin/${t}_fuzzer" -max_total_time="$fuzz_seconds" -max_len="${max_len[$t]}" -timeout=10 \
        -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$top/build-fuzz/$t-" \
        "$corpus" >"$top/build-fuzz/$t.log" 2>&1 ) &
    pids+=($!)
  done
  failed=0
  i=0
  for t in $targets; do
    echo "-- ${t}_fuzzer"
    if wait "${pids[$i]}"; then
      grep -E "^stat::(number_of_executed_units|peak_rss_mb)|DONE" "build-fuzz/$t.log" | tail -n 3
    else
      tail -n 40 "build-fuzz/$t.log"
      echo "-- ${t}_fuzzer FAILED (build-fuzz/$t.log; the input is saved as build-fuzz/$t-*)"
      failed=1
    fi
    i=$((i + 1))
  done
  [ "$failed" = 0 ] || exit 1
fi
echo "== all tests done"
