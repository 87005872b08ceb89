# Builds the start-up fixtures: bare-metal images whose start-up code does
# or does not leave their RAM table right at main, each with two tables
# written by wfac's own writer:
#   w_data  wfac_ww_gen 16 points, SECTION .data.w_data: copied with .data
#   w_ram   wfac_hw_gen 64 points, SECTION .ccmram (Arm) or .wtab (RISC-V)
#
#   image          start-up code                    at main, w_ram holds
#   vendor_data    vendor-style, copies .data only   what RAM held (not copied)
#   vendor_ccmram  the same, also copies .ccmram     the table
#   cmsis_zero     CMSIS copy and zero tables; the   zeros
#                  zero table clears the CCM region
#   spin_clock     vendor_ccmram whose SystemInit    (never arrives; with
#                  waits for the PLL clock switch     --skip SystemInit, the table)
#   fpu_init       vendor_ccmram, hard-float, whose  the table
#                  SystemInit enables the FPU and
#                  computes with it
#   zephyr_layout  vendor_data under Zephyr's names, the table (both tables lie in the
#                  with bss before the data region  data region it copies)
#   riscv_data     rv32imac, copies .data only       what RAM held (not copied)
# w_data is right in every image that arrives.
#
#   cmake -DOUT=<folder> -DPROGRAM_DIR=<folder of the wfac programs>
#         [-DEXE=<their suffix>] [-DARM_GCC=<arm-none-eabi-gcc>]
#         [-DRISCV_GCC=<riscv64-unknown-elf-gcc>] [-DCCM_ORIGIN=<address>]
#         -P tests/firmware/startup/build.cmake
#
# Writes OUT/<image>.elf for each image whose compiler it finds, the tables
# in OUT/arm and OUT/riscv (w_data.c, w_ram.c: the programs' own output),
# and OUT/images.txt, the images built, one a line. CCM_ORIGIN moves the
# core-coupled RAM (0x10000000), for a machine that has none there (qemu's
# netduinoplus2: 0x2001C000). Fails with the compiler's output when a
# build fails.
cmake_minimum_required(VERSION 3.22)
get_filename_component(here "${CMAKE_CURRENT_LIST_FILE}" DIRECTORY)
get_filename_component(source "${here}/../../.." ABSOLUTE)
foreach(var OUT PROGRAM_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "build.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT ARM_GCC)
  find_program(ARM_GCC arm-none-eabi-gcc)
endif()
if(NOT RISCV_GCC)
  find_program(RISCV_GCC riscv64-unknown-elf-gcc)
endif()
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "build.cmake: ${what} failed (${status}):\n${command}\n${out}")
  endif()
endfunction()

# The two tables of an architecture, in OUT/<arch>.
function(write_tables arch ram_section)
  foreach(table "wfac_ww_gen;16;w_data;.data.w_data" "wfac_hw_gen;64;w_ram;${ram_section}")
    list(GET table 0 program)
    list(GET table 1 size)
    list(GET table 2 name)
    list(GET table 3 section)
    run("writing ${name}" "${CMAKE_COMMAND}" "-DPROGRAM=${PROGRAM_DIR}/${program}${EXE}"
        -DSIZE=${size} -DNAME=${name} -DSECTION=${section} "-DOUTPUT=${OUT}/${arch}/${name}.c"
        -P "${source}/cmake/WfacWriteTable.cmake")
  endforeach()
endfunction()

set(images "")
set(common -O2 -g -ffreestanding -fno-tree-loop-distribute-patterns -Wall -Wextra -Werror
    -nostdlib)
if(ARM_GCC)
  write_tables(arm .ccmram)
  set(script "${here}/stm32f4.ld")
  set(cmsis_script "${here}/cmsis.ld")
  if(CCM_ORIGIN)
    # The same scripts with the core-coupled RAM elsewhere.
    foreach(name stm32f4 cmsis)
      file(READ "${here}/${name}.ld" text)
      string(REPLACE "CCMRAM (rw) : ORIGIN = 0x10000000" "CCMRAM (rw) : ORIGIN = ${CCM_ORIGIN}"
             text "${text}")
      file(WRITE "${OUT}/${name}.ld" "${text}")
    endforeach()
    set(script "${OUT}/stm32f4.ld")
    set(cmsis_script "${OUT}/cmsis.ld")
  endif()
  set(m4 -mcpu=cortex-m4 -mthumb -I${OUT}/arm ${common})
  set(vendor "${here}/startup_stm32.S" "${here}/system_stm32.c" "${here}/main.c"
      "${OUT}/arm/w_data.wfac.c" "${OUT}/arm/w_ram.wfac.c" -T "${script}")
  macro(arm_image name)
    run("building ${name}" "${ARM_GCC}" ${m4} ${ARGN} -lgcc -o "${OUT}/${name}.elf")
    list(APPEND images ${name})
  endmacro()
  arm_image(vendor_data ${vendor})
  arm_image(vendor_ccmram -DCOPY_CCMRAM ${vendor})
  arm_image(cmsis_zero "${here}/startup_cmsis.c" "${here}/system_stm32.c" "${here}/main.c"
            "${OUT}/arm/w_data.wfac.c" "${OUT}/arm/w_ram.wfac.c" -T "${cmsis_script}")
  arm_image(spin_clock -DCOPY_CCMRAM -DWAIT_FOR_PLL ${vendor})
  arm_image(fpu_init -DCOPY_CCMRAM -DUSE_FPU -mfpu=fpv4-sp-d16 -mfloat-abi=hard ${vendor})
  # Zephyr's names for what start-up code clears and copies, with bss
  # before the data region.
  arm_image(zephyr_layout "${here}/startup_stm32.S" "${here}/system_stm32.c" "${here}/main.c"
            "${OUT}/arm/w_data.wfac.c" "${OUT}/arm/w_ram.wfac.c" -T "${here}/zephyr_layout.ld")
endif()
if(RISCV_GCC)
  write_tables(riscv .wtab)
  run("building riscv_data" "${RISCV_GCC}" -march=rv32imac -mabi=ilp32 -mcmodel=medany
      -I${OUT}/riscv ${common} "${here}/startup_rv32.S" "${here}/main.c"
      "${OUT}/riscv/w_data.wfac.c" "${OUT}/riscv/w_ram.wfac.c" -T "${here}/rv32.ld" -lgcc
      -o "${OUT}/riscv_data.elf")
  list(APPEND images riscv_data)
endif()
list(JOIN images "\n" lines)
file(WRITE "${OUT}/images.txt" "${lines}\n")
