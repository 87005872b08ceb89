#!/usr/bin/env bash
# How long wfac_check_image takes on an image of some megabytes: a host
# program with four tables (the largest of each program, 32768 points)
# and 4 MiB of other data, checked RUNS times (default 21); prints the
# image's size and the median, in milliseconds.
# Usage: bench/check_image.sh [build folder] (default build). Needs cc.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
runs=${RUNS:-21}
[ -x "$build/wfac_check_image" ] || { echo "bench: build wfac first ($build)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

headers=()
for table in "wfac_hw_gen w_hw" "wfac_ww_gen w_ww" "wfac_hh_gen w_hh" "wfac_ww_gen w_ww2"; do
  set -- $table
  cmake "-DPROGRAM=$build/$1" -DSIZE=32768 "-DNAME=$2" "-DOUTPUT=$work/$2.c" \
    -P cmake/WfacWriteTable.cmake
  headers+=("$work/$2.h")
done
{
  for header in "${headers[@]}"; do echo "#include \"$header\""; done
  echo 'const char filler[4 << 20] = {1};'
  echo 'int main(void) { return w_hw[1] + w_ww[1] + w_hh[1] + w_ww2[1] + filler[7]; }'
} > "$work/main.c"
cc -O2 -o "$work/image" "$work/main.c" "$work"/*.wfac.c

times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$build/wfac_check_image" "$work/image" "${headers[@]}" >/dev/null
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000 )))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
printf 'image %d KiB, 4 tables: median %d.%03d ms of %d runs\n' \
  $(( $(wc -c < "$work/image") / 1024 )) $(( median / 1000 )) $(( median % 1000 )) "$runs"
