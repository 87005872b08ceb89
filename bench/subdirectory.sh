#!/usr/bin/env bash
# What adding wfac with add_subdirectory() costs a cross build, beside the
# same firmware (tests/firmware: a Cortex-M4 image with two tables) using
# the installed package: the first configure, a no-op build and a re-run
# of CMake, each the median of RUNS runs, in milliseconds, and whether the
# no-op build printed anything but the generator's "no work" lines.
# Usage: bench/subdirectory.sh [generator] (default Ninja); RUNS (default 7).
# Needs arm-none-eabi-gcc.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=${1:-Ninja}
runs=${RUNS:-7}
command -v arm-none-eabi-gcc >/dev/null || { echo "bench: needs arm-none-eabi-gcc" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S . -B "$work/wfac" -G "$generator" -DWFAC_BUILD_TESTS=OFF >/dev/null
cmake --build "$work/wfac" --target wfac_programs >/dev/null
cmake --install "$work/wfac" --prefix "$work/prefix" >/dev/null

now() { date +%s%N; }
# median of the numbers on standard input
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# ms command...: the milliseconds the command took
ms() { local start; start=$(now); "$@" >"$work/out" 2>&1; echo $((($(now) - start) / 1000000)); }

printf '%-16s %10s %10s %10s  %s\n' route configure no-op re-run "no-op output"
for route in package add_subdirectory; do
  if [ "$route" = package ]; then
    source=(-Dwfac_DIR="$work/prefix/lib/cmake/wfac")
  else
    source=(-DWFAC_SOURCE_DIR="$PWD")
  fi
  build="$work/$route"
  configure=(cmake -S tests/firmware -B "$build" -G "$generator"
             --toolchain "$PWD/tests/firmware/cortex-m4.cmake" "${source[@]}")
  configured=$(for _ in $(seq "$runs"); do rm -rf "$build"; ms "${configure[@]}"; done | median)
  cmake --build "$build" >/dev/null
  noop=$(for _ in $(seq "$runs"); do ms cmake --build "$build"; done | median)
  said=$(grep -Ev '^(ninja: no work to do\.|\[ *[0-9]+%\] Built target .*)$' "$work/out" || true)
  rerun=$(for _ in $(seq "$runs"); do ms cmake "$build"; done | median)
  printf '%-16s %10s %10s %10s  %s\n' "$route" "$configured" "$noop" "$rerun" "${said:-(quiet)}"
done
