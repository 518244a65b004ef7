#!/usr/bin/env bash
# Writes the stored reports and plot data that the byte-identity test
# (engine_tests, Golden.*) compares every run against:
#   - the generated group decks in tests/engine/golden/ (written here too; the
#     other decks there are kept as they are);
#   - tests/engine/golden/expected/<deck>.tmo and .tmq for every example deck
#     and every generated deck, with the run date and time masked.
# Run it only when a change of printed or plotted numbers is meant; build
# engine_tests first (ninja -C build engine_tests).  TREMCALC_LIBRARY=path
# takes the stored copies from another build of the engine library.
# Usage: scripts/make-golden.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
dir=$top/tests/engine/golden

e_lines() {
  for _ in 1 2 3; do
    printf ' 0.00000000000000E+0000  0.00000000000000E+0000  0.00000000000000E+0000 \r\n'
  done
}

# group_deck FILE NPILES HEAD(FIXED|PINNED) NFREQ SIDE(0|1) [STEP]
# Piles on a 2 m grid, ten a row, in ten layers; interaction on; MATRIX;
# frequencies STEP, 2 STEP, ... NFREQ STEP rad/s (STEP 1 by default).
group_deck() {
  local file=$1 npiles=$2 head=$3 nfreq=$4 side=$5 step=${6:-1} nlayers=10
  {
    printf 'TITLE=Stored output: %s %s piles, %s frequencies\r\n' "$npiles" "$head" "$nfreq"
    printf 'MATRIX\r\nGRAVITY=9.8\r\nFOUNDATION=PILE\r\nRECTANGULAR=22,22\r\n'
    printf 'MASS \r\n500 5000 5000 8000 0 0 0\r\n'
    printf 'LAYERS=%s\r\n%s=%s\r\n' "$nlayers" "$head" "$npiles"
    for ((i = 0; i < npiles; i++)); do
      printf '%s %s %s \r\n' "$(( i + 1 ))" "$(( (i % 10) * 2 ))" "$(( (i / 10) * 2 ))"
    done
    printf 'CONSTANTS \r\n0 0 1 %s 24 \r\n100 0.2 0.02 1.1 3E7\r\n' "$nlayers"
    printf 'ELEMENT\r\n'
    for ((j = 1; j <= nlayers; j++)); do
      printf '%s 1 0.25 0.25 0.19635 0.003068 0.003068 0.006136\r\n' "$j"
    done
    printf 'FLOATING\r\nINTERACTION \r\nSOIL \r\nWEAK\r\nCONSTANTS\r\n'
    for ((j = 1; j <= nlayers; j++)); do
      printf '%s %s 18 0.4 0.05 1 0.4 0.1 0\r\n' "$j" "$(( 120 + 3 * j ))"
    done
    printf 'BELOW=400 20 0.35 0.04\r\n'
    if [ "$side" = 1 ]; then
      printf 'EMBEDDED\r\n2\r\n1 0.6 110 17 0.35 0.05\r\n2 0.8 130 18 0.35 0.05\r\n'
    fi
    printf 'LOAD \r\nHARMONIC \r\nCONSTANTS \r\nNONQUADRATIC \r\n'
    printf '%s %s %s \r\n10 0 20 \r\n0 0 0 \r\n0 0 0 0 \r\nRUN \r\n0\r\n' "$(( nfreq * step ))" "$step" "$step"
    e_lines
  } > "$file"
  printf '0\r\n' > "${file%.tmx}.tmm"
}

# section_deck FILE ELEMENT-VALUES: the single-pile example with another section.
section_deck() {
  local file=$1 values=$2
  sed -E "s/^([123]) 4 0\.3 0\.3 0\.2827 .*$/\1 4 $values\r/; s/^TITLE=.*$/TITLE=Stored output: one pile, section $values\r/" \
    "$top/examples/single-pile-harmonic.tmx" > "$file"
  cp "$top/examples/single-pile-harmonic.tmm" "${file%.tmx}.tmm"
}

section_deck "$dir/pile-two-radii.tmx" "0.3 0.2 0.2827 0.006362 0.002 0.012723"
section_deck "$dir/pile-two-inertias.tmx" "0.3 0.3 0.2827 0.006362 0.004 0.012723"
group_deck "$dir/group100-fixed.tmx" 100 FIXED 20 0
group_deck "$dir/group100-pinned-embedded.tmx" 100 PINNED 12 1
# Up to a0 = omega d / Vs of about 2.4: every branch of the frequency-dependent factors.
group_deck "$dir/group30-fixed-high.tmx" 30 FIXED 40 0 15
group_deck "$dir/group30-pinned-high.tmx" 30 PINNED 40 0 15

TREMEX_GOLDEN_WRITE=1 "$build/bin/engine_tests" --gtest_filter='Golden.*'
