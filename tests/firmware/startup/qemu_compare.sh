#!/usr/bin/env bash
# Proves the start-up fixtures against qemu's CPU models, by hand (not a
# test: it needs qemu-system-arm, qemu-system-riscv32 and gdb-multiarch):
# builds them with the core-coupled RAM moved into SRAM (qemu's STM32F405
# has no CCM), runs each under qemu to main (spin_clock with SystemInit
# returned at once, as --skip does) and prints, per table, whether gdb
# reads the table's entries there, what wfac_check_image says of it, and
# whether the two agree (the entries and an ok, or other bytes and a
# failure).
# Usage: tests/firmware/startup/qemu_compare.sh [build folder] (default build)
set -euo pipefail
cd "$(dirname "$0")/../../.."
build=$(cd "${1:-build}" && pwd)
out="$build/startup-qemu"
cmake "-DOUT=$out" "-DPROGRAM_DIR=$build" -DCCM_ORIGIN=0x2001C000 -P tests/firmware/startup/build.cmake
check="$build/wfac_check_image"
entries="$build/tests/wfac_print_entries"
# The little-endian bytes of a table file's entries, as gdb prints them.
table_bytes() {
  local width=$2
  "$entries" < "$1" | while read -r value; do
    for ((byte = 0; byte < width; ++byte)); do
      printf '%02x ' $(( (value >> (8 * byte)) & 0xff ))
    done
  done
}
port=$((20000 + RANDOM % 20000))
status=0
for image in $(cat "$out/images.txt"); do
  # qemu's STM32F405 has no clock controller (RCC reads as zero), so gdb
  # jumps over SystemInit's waits for its ready bits, which the emulator's
  # peripherals satisfy.
  first=$(grep -n 'HSEON' tests/firmware/startup/system_stm32.c | cut -d: -f1)
  after=$(grep -n 'SystemCoreClock = 168' tests/firmware/startup/system_stm32.c | cut -d: -f1)
  breaks=(-ex "break system_stm32.c:$first" -ex continue -ex "tbreak system_stm32.c:$after"
          -ex "jump system_stm32.c:$after" -ex "break main" -ex continue)
  skip=()
  [ "$image" = spin_clock ] && skip=(--skip SystemInit)
  case $image in
    riscv*) qemu=(qemu-system-riscv32 -M virt -bios none) breaks=(-ex "break main" -ex continue) ;;
    *) qemu=(qemu-system-arm -M netduinoplus2) ;;
  esac
  "${qemu[@]}" -kernel "$out/$image.elf" -nographic -monitor none -serial none -S -gdb tcp::$port &
  qemu_pid=$!
  sleep 0.5
  gdb=$(timeout 60 gdb-multiarch -q -batch -nx -ex "set confirm off" -ex "target remote :$port" \
        "${breaks[@]}" \
        -ex "x/240xb &w_ram" -ex "x/128xb &w_data" "$out/$image.elf" </dev/null 2>&1 || true)
  kill "$qemu_pid" 2>/dev/null || true
  wait "$qemu_pid" 2>/dev/null || true
  port=$((port + 1))
  arch=arm
  [ "${image#riscv}" != "$image" ] && arch=riscv
  lines=$("$check" "${skip[@]}" "$out/$image.elf" "$out/$arch/w_ram.h" "$out/$arch/w_data.h" || true)
  for table in w_ram w_data; do
    width=2
    [ $table = w_data ] && width=4
    want=$(table_bytes "$out/$arch/$table.c" $width)
    size=$(( $(printf '%s' "$want" | wc -w) ))
    q=$(printf '%s\n' "$gdb" | sed -n '/^Breakpoint [0-9]*, main ()/,$p' | grep "<$table" | cut -d: -f2 | tr -s ' \t' '\n' |
        grep . | sed 's/^0x//' | head -n $size | tr '\n' ' ')
    line=$(printf '%s\n' "$lines" | grep "^$table: ")
    verdict=differ
    if [ -z "$q" ]; then verdict="qemu did not reach main"
    elif [ "$q" = "$want" ] && [ "${line#*: ok, }" != "$line" ]; then verdict="agree: the table, ok"
    elif [ "$q" != "$want" ] && [ "${line#*: ok, }" = "$line" ]; then verdict="agree: not the table, a failure"
    fi
    [ "${verdict#agree}" = "$verdict" ] && status=1
    printf '%-14s %-7s %s\n    %s\n' "$image" "$table" "$verdict" "$line"
  done
done
exit $status
