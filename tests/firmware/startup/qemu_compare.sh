#!/usr/bin/env bash
# Proves the start-up fixtures against qemu's CPU models, by hand (not a
# test: it needs qemu-system-arm, qemu-system-riscv32 and gdb-multiarch):
# builds them with the core-coupled RAM moved into SRAM (qemu's STM32F405
# has no CCM), runs each under qemu to main (spin_clock with SystemInit
# returned at once, as --skip does) and prints, per table, what gdb reads
# at main and what the start-up emulator gives there, and whether they
# agree: the same bytes, or the emulator's pattern where qemu's RAM holds
# what it held at reset (start-up code left it alone).
# Usage: tests/firmware/startup/qemu_compare.sh [build folder] (default build)
set -euo pipefail
cd "$(dirname "$0")/../../.."
build=$(cd "${1:-build}" && pwd)
out="$build/startup-qemu"
cmake "-DOUT=$out" "-DPROGRAM_DIR=$build" -DCCM_ORIGIN=0x2001C000 -P tests/firmware/startup/build.cmake
probe="$build/tests/wfac_startup_probe"
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
  emu=$("$probe" "${skip[@]}" "$out/$image.elf" w_ram w_data)
  for table in w_ram w_data; do
    size=$([ $table = w_ram ] && echo 240 || echo 128)
    q=$(printf '%s\n' "$gdb" | sed -n '/^Breakpoint [0-9]*, main ()/,$p' | grep "<$table" | cut -d: -f2 | tr -s ' \t' '\n' |
        grep . | sed 's/^0x//' | head -n $size | tr '\n' ' ')
    a=$(printf '%s\n' "$emu" | sed -n '/^run a5/,/^run 5a/p' | sed -n "s/^$table: //p")
    b=$(printf '%s\n' "$emu" | sed -n '/^run 5a/,$p' | sed -n "s/^$table: //p")
    verdict=differ
    if [ -z "$q" ]; then verdict="qemu did not reach main"
    elif [ "$q" = "$a " ] && [ "$q" = "$b " ]; then verdict="same bytes"
    elif [ "$a" = "$(printf 'a5 %.0s' $(seq $size) | sed 's/ $//')" ] &&
         [ "$b" = "$(printf '5a %.0s' $(seq $size) | sed 's/ $//')" ]; then
      verdict="left alone (qemu: ${q:0:24}...)"
    fi
    [ "$verdict" = differ ] || [ "${verdict#qemu did not}" != "$verdict" ] && status=1
    printf '%-14s %-7s %s\n' "$image" "$table" "$verdict"
  done
done
exit $status
