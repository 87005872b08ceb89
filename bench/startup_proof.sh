#!/usr/bin/env bash
# What the proof at start-up costs: wfac_check_image on a Cortex-M image
# (vendor_ccmram of tests/firmware/startup: a table in .data and one in
# .ccmram, both proved by running the start-up code twice), beside the
# static check of the same image by a build without the emulator (told
# with --assume-copied that .ccmram is copied, so that it passes) and
# beside the link that makes the image. Prints the median of RUNS runs
# (default 21) of each, in milliseconds.
# Usage: bench/startup_proof.sh BUILD BUILD_WITHOUT_EMULATOR
#   (the second configured with -DWFAC_EMULATOR=OFF). Needs arm-none-eabi-gcc.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: bench/startup_proof.sh BUILD BUILD_WITHOUT_EMULATOR" >&2; exit 2; }
with=$(cd "$1" && pwd)
without=$(cd "$2" && pwd)
runs=${RUNS:-21}
for build in "$with" "$without"; do
  [ -x "$build/wfac_check_image" ] || { echo "bench: build wfac in $build first" >&2; exit 1; }
done
"$without/wfac_check_image" --help | grep -q "without an emulator" ||
  { echo "bench: $without runs start-up code; configure it with -DWFAC_EMULATOR=OFF" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake "-DOUT=$work/fixtures" "-DPROGRAM_DIR=$with" -P tests/firmware/startup/build.cmake
fixtures=$work/fixtures
image=$fixtures/vendor_ccmram.elf
tables=("$fixtures/arm/w_data.h" "$fixtures/arm/w_ram.h")
# The same image linked again from its objects, for the link's time.
here=tests/firmware/startup
flags=(-mcpu=cortex-m4 -mthumb -O2 -ffreestanding -nostdlib "-I$fixtures/arm" -DCOPY_CCMRAM)
objects=()
for source in "$here/startup_stm32.S" "$here/system_stm32.c" "$here/main.c" \
    "$fixtures/arm/w_data.wfac.c" "$fixtures/arm/w_ram.wfac.c"; do
  object=$work/$(basename "$source").o
  arm-none-eabi-gcc "${flags[@]}" -c -o "$object" "$source"
  objects+=("$object")
done

# Prints the median of runs of the command, in ms.
median() {
  local times=() start end
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  local m
  m=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  printf '%d.%03d' $(( m / 1000 )) $(( m % 1000 ))
}
link=$(median arm-none-eabi-gcc "${flags[@]}" -T "$here/stm32f4.ld" -o "$work/linked.elf" \
  "${objects[@]}" -lgcc)
proved=$(median "$with/wfac_check_image" "$image" "${tables[@]}")
static=$(median "$without/wfac_check_image" --assume-copied .ccmram "$image" "${tables[@]}")
printf 'median of %d runs, ms: link %s, check with the proof at start-up %s, static check %s\n' \
  "$runs" "$link" "$proved" "$static"
