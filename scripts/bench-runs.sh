#!/usr/bin/env bash
# Times whole engine runs through the real library (build/bin/tremrun):
#   - a 30-layer single pile over 1024 harmonic frequencies;
#   - fixed-head groups of 100 and 500 piles with interaction over 20
#     frequencies, with the stiffness and damping tables printed.
# Usage: scripts/bench-runs.sh [repeats]   (build first: ninja -C build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
repeats=${1:-3}
work=$(mktemp -d /tmp/tremex-bench-XXXXXX)

e_lines() {
  for _ in 1 2 3; do
    printf ' 0.00000000000000E+0000  0.00000000000000E+0000  0.00000000000000E+0000 \r\n'
  done
}

# pile_deck FILE NPILES NLAYERS NFREQ MATRIX
pile_deck() {
  local file=$1 npiles=$2 nlayers=$3 nfreq=$4 matrix=$5
  local side=$(( 1 + npiles / 10 ))
  {
    printf 'TITLE=Benchmark: %s piles, %s layers, %s frequencies\r\n' "$npiles" "$nlayers" "$nfreq"
    [ "$matrix" = 1 ] && printf 'MATRIX\r\n'
    printf 'GRAVITY=9.8\r\nFOUNDATION=PILE\r\nRECTANGULAR=%s,%s\r\n' "$(( side * 2 ))" "$(( side * 2 ))"
    printf 'MASS \r\n500 5000 5000 8000 0 0 0\r\n'
    printf 'LAYERS=%s\r\nFIXED=%s\r\n' "$nlayers" "$npiles"
    for ((i = 0; i < npiles; i++)); do
      printf '%s %s %s \r\n' "$(( i + 1 ))" "$(( (i % 10) * 2 ))" "$(( (i / 10) * 2 ))"
    done
    printf 'CONSTANTS \r\n0 0 1 %s 24 \r\n100 0.2 0.02 1.1 3E7\r\n' "$nlayers"
    printf 'ELEMENT\r\n'
    for ((j = 1; j <= nlayers; j++)); do
      printf '%s 1 0.25 0.25 0.19635 0.003068 0.003068 0.006136\r\n' "$j"
    done
    printf 'FLOATING\r\n'
    [ "$npiles" -gt 1 ] && printf 'INTERACTION \r\n'
    printf 'SOIL \r\nWEAK\r\nCONSTANTS\r\n'
    for ((j = 1; j <= nlayers; j++)); do
      printf '%s %s 18 0.4 0.05 1 0.4 0.1 0\r\n' "$j" "$(( 120 + 3 * j ))"
    done
    printf 'BELOW=400 20 0.35 0.04\r\nLOAD \r\nHARMONIC \r\nCONSTANTS \r\nNONQUADRATIC \r\n'
    printf '%s 1 1 \r\n10 0 20 \r\n0 0 0 \r\n0 0 0 0 \r\nRUN \r\n0\r\n' "$nfreq"
    e_lines
  } > "$file"
  printf '0\r\n' > "${file%.tmx}.tmm"
}

pile_deck "$work/pile30.tmx" 1 30 1024 0
pile_deck "$work/group100.tmx" 100 10 20 1
pile_deck "$work/group500.tmx" 500 10 20 1

echo "machine: $(nproc) cores; engine: $build/bin/libtremcalc.so"
for deck in pile30 group100 group500; do
  best=""
  for ((r = 0; r < repeats; r++)); do
    start=$(date +%s.%N)
    "$build/bin/tremrun" "$work/$deck.tmx" > /dev/null
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  grep -q 'ERROR' "$work/$deck.tmo" && echo "  (the report of $deck shows an error)"
  printf '%-10s best of %s: %8.3f s\n' "$deck" "$repeats" "$best"
done
rm -rf "$work"
