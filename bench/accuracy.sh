#!/usr/bin/env bash
# The accuracy table of the README and wfac(7): the error that each
# program's quantised twiddles alone bring to a forward FFT (bench/accuracy.c),
# for N = 64, 1024 and 32768, at the default scale and at half of it (6 dB
# of headroom), on an impulse, a tone and noise; each cell the worst error
# relative to the largest output / the RMS error relative to the RMS output.
# Usage: bench/accuracy.sh [build folder] (default build). Needs cc.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -std=c99 -D_POSIX_C_SOURCE=200809L -Itests/fft -o "$work/accuracy" bench/accuracy.c \
  tests/fft/radix4.c -lm

echo "| program | N | scale | impulse | tone | noise |"
echo "|---|---|---|---|---|---|"
for setting in "wfac_hw_gen 32767.5 16384" "wfac_hh_gen 32767.5 16384" \
            "wfac_ww_gen 2147483647.5 1073741824"; do
  set -- $setting
  program=$1
  for scale in "$2" "$3"; do
    for n in 64 1024 32768; do
      row="| \`$program\` | $n | $scale |"
      while read -r _ worst rms; do row="$row $worst / $rms |"; done \
        < <("$work/accuracy" "$build/$program" "$n" "$scale")
      echo "$row"
    done
  done
done
