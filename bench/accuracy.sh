#!/usr/bin/env bash
# The accuracy table of wfac(7) (ACCURACY): the error that each
# program's quantised twiddles alone bring to a forward FFT (bench/accuracy.c),
# for N = 64, 1024 and 32768, at the default scale and at 2^(width - 2),
# about half of it (6 dB of headroom), on an impulse, a tone and noise; each
# cell the worst error relative to the largest output / the RMS error
# relative to the RMS output. The programs are those of
# cmake/WfacPrograms.cmake, the 16-bit ones first; their entries are read by
# the test tool wfac_print_entries.
# Usage: bench/accuracy.sh [build folder] (default build, with its tests).
# Needs cc and cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
print_entries=$build/tests/wfac_print_entries
[ -x "$print_entries" ] || { echo "bench: needs $print_entries (a build with its tests)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -std=c99 -Itests/fft -o "$work/accuracy" bench/accuracy.c tests/fft/radix4.c -lm
cmake -P bench/programs.cmake | sort -s -n -k 2,2 > "$work/programs"

echo "| program | N | scale | impulse | tone | noise |"
echo "|---|---|---|---|---|---|"
while read -r -u 3 program width layout default _; do
  for scale in "$default" $((1 << (width - 2))); do
    for n in 64 1024 32768; do
      "$build/$program" -s "$scale" "$n" | "$print_entries" > "$work/entries"
      "$work/accuracy" "$n" "$scale" "$width" "$layout" < "$work/entries" > "$work/errors"
      row="| \`$program\` | $n | $scale |"
      while read -r _ worst rms; do row="$row $worst / $rms |"; done < "$work/errors"
      echo "$row"
    done
  done
done 3< "$work/programs"
