# wfac_check_image on the bare-metal images of tests/firmware/startup,
# whose start-up code leaves their RAM table w_ram right, alone or cleared
# at main (w_data, in .data, is copied by all): per image and options, the
# line of each table and the status. A build that runs start-up code proves
# or fails each RAM table by what the run leaves; one without an emulator
# never says ok for a RAM table outside .data unless told to.
#   PROGRAM_DIR (the built programs), EXE, ARM_GCC, RISCV_GCC, WORK.
include("${CMAKE_CURRENT_LIST_DIR}/../package/common.cmake")

set(fixtures "${WORK}/fixtures")
run("${CMAKE_COMMAND}" "-DOUT=${fixtures}" "-DPROGRAM_DIR=${PROGRAM_DIR}" "-DEXE=${EXE}"
    "-DARM_GCC=${ARM_GCC}" "-DRISCV_GCC=${RISCV_GCC}"
    -P "${CMAKE_CURRENT_LIST_DIR}/../firmware/startup/build.cmake")
expect_ok("building the fixtures")
set(check "${PROGRAM_DIR}/wfac_check_image${EXE}")
run("${check}" --help)
string(FIND "${output}" "runs the start-up code of" emulated)

# The start of an ok line and of a RAM table's line.
set(at "bytes at 0x[0-9a-f]+ \\(loaded from 0x[0-9a-f]+\\) in")
set(data "w_data: 96 ${at} \\.data, aligned 8: ok, ")
set(ccm "w_ram: 240 ${at} \\.ccmram")
set(no_main "cannot prove: start-up code did not reach main: ")
# (A ; would split the list of cases: . stands for it.)
set(options_hint ". --skip FUNCTION returns at once from a function that waits for hardware, --until SYMBOL stops at a symbol that start-up code reaches after it copies data")

# image | options (comma-separated) | status | the line of w_data | of w_ram
if(emulated GREATER -1)
  set(cases
    "vendor_data||1|${data}proved at main|w_ram: entry 0 is 0xA5A5 at main, the fill pattern of memory nothing wrote: start-up code does not copy \\.ccmram from 0x[0-9a-f]+"
    # What the run shows wins over what the user assumes.
    "vendor_data|--assume-copied,.ccmram|1|${data}proved at main|w_ram: entry 0 is 0xA5A5 at main, the fill pattern[^\n]*"
    "vendor_ccmram||0|${data}proved at main|${ccm}, aligned 8: ok, proved at main"
    "vendor_ccmram|--until,SystemInit|0|${data}proved at SystemInit|${ccm}, aligned 8: ok, proved at SystemInit"
    "cmsis_zero||1|${data}proved at main|w_ram: entry 1 is 0x0000 at main, start-up code clears it"
    "spin_clock||1|${data}copied by start-up as \\.data, not run|${ccm}: ${no_main}it spins in SystemInit at 0x[0-9a-f]+, reading 0x40023808${options_hint}"
    "spin_clock|--skip,SystemInit|0|${data}proved at main|${ccm}, aligned 8: ok, proved at main"
    "spin_clock|--assume-copied,.ccmram|0|${data}copied by start-up as \\.data, not run|${ccm}, aligned 8: ok, taken as copied \\(--assume-copied \\.ccmram\\), not run"
    "vendor_data|--skip,Reset_Handler|1|${data}copied by start-up as \\.data, not run|${ccm}: ${no_main}it jumps to 0xfffffffe, where the image holds no code${options_hint}"
    "fpu_init||0|${data}proved at main|${ccm}, aligned 8: ok, proved at main"
    "zephyr_layout||0|w_data: 96 ${at} datas, aligned 8: ok, proved at main|w_ram: 240 ${at} datas, aligned 8: ok, proved at main"
    "riscv_data||1|${data}proved at main|w_ram: entry 0 is 0xA5A5 at main, the fill pattern of memory nothing wrote: start-up code does not copy \\.wtab from 0x[0-9a-f]+")
else()
  set(cannot "cannot prove: start-up code decides, and this wfac_check_image cannot run")
  set(region "copied by start-up between __data_region_start and __data_region_end, not run")
  set(cases
    "vendor_ccmram||1|${data}copied by start-up as \\.data, not run|${ccm}: ${cannot} Arm Cortex-M code. --assume-copied \\.ccmram takes it as copied once you have checked the start-up code by hand"
    "vendor_ccmram|--assume-copied,.ccmram|0|${data}copied by start-up as \\.data, not run|${ccm}, aligned 8: ok, taken as copied \\(--assume-copied \\.ccmram\\), not run"
    "riscv_data||1|${data}copied by start-up as \\.data, not run|w_ram: 240 ${at} \\.wtab: ${cannot} RISC-V \\(32-bit\\) code[^\n]*"
    # Zephyr's bss lies before its data region, and _end after it.
    "zephyr_layout||0|w_data: 96 ${at} datas, aligned 8: ok, ${region}|w_ram: 240 ${at} datas, aligned 8: ok, ${region}")
endif()

file(STRINGS "${fixtures}/images.txt" built)
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 image)
  list(GET fields 1 options)
  list(GET fields 2 want_status)
  list(GET fields 3 want_data)
  list(GET fields 4 want_ram)
  if(NOT image IN_LIST built)
    message(FATAL_ERROR "the fixture ${image} was not built")
  endif()
  set(arch arm)
  if(image MATCHES "^riscv")
    set(arch riscv)
  endif()
  string(REPLACE "," ";" options "${options}")
  execute_process(COMMAND "${check}" ${options} "${fixtures}/${image}.elf"
                          "${fixtures}/${arch}/w_data.h" "${fixtures}/${arch}/w_ram.h"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL want_status OR NOT err STREQUAL ""
     OR NOT out MATCHES "^${want_data}\n${want_ram}\n$")
    string(APPEND failures "${image} ${options}: expected status ${want_status} and lines\n"
           "  ${want_data}\n  ${want_ram}\ngot ${status}:\n${out}${err}\n")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
