#!/usr/bin/env bash
# Instruction count (callgrind) and peak memory of each program of
# cmake/WfacPrograms.cmake at N = 32768 and N = 16, output to /dev/null.
# Usage: bench/run.sh [build folder]. Needs cmake, valgrind and time.
set -euo pipefail
build=${1:-build}
command -v valgrind >/dev/null || { echo "bench: needs valgrind" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "bench: needs /usr/bin/time (package time)" >&2; exit 1; }
programs=$(cmake -P "$(dirname "$0")/programs.cmake" | cut -d ' ' -f 1)

printf '%-12s %6s %14s %12s\n' program N instructions peak_kib
for program in $programs; do
  [ -x "$build/$program" ] || continue
  for n in 32768 16; do
    instructions=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$build/$program" "$n" \
      2>&1 >/dev/null | sed -n 's/.*I *refs: *//p' | tr -d ,)
    peak=$(/usr/bin/time -f %M "$build/$program" "$n" 2>&1 >/dev/null)
    printf '%-12s %6s %14s %12s\n' "$program" "$n" "$instructions" "$peak"
  done
done
printf '%-12s %6s %14s %12s\n' "(true)" - - "$(/usr/bin/time -f %M true 2>&1)"
