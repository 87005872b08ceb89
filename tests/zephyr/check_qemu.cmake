# Builds tests/zephyr/app, a Zephyr application for qemu_cortex_m3 that adds
# wfac as a module (with the programs of this build), with the trimmed
# Zephyr tree of TARBALL (unpacked once, into TREE), and runs it under qemu:
# it must print each table's entries as the program writes them. Then, with its table's section among
# RAM_SECTIONS, which start-up code does not initialise, the build must fail
# naming the table, leave no image and no flashable file, and fail again.
#   TARBALL, TREE, NINJA, QEMU, ARM_GCC, PYTHON (Debian's, whose modules
#   Zephyr's scripts import), and what every test script takes.
include("${CMAKE_CURRENT_LIST_DIR}/../package/common.cmake")

run("${PYTHON}" -c "import elftools, packaging, pykwalify, yaml")
if(NOT status EQUAL 0)
  message("skipped: ${PYTHON} lacks a module that Zephyr's scripts import (Debian: "
          "python3-pyelftools python3-packaging python3-pykwalify python3-yaml):\n${output}")
  return()
endif()

# The tree is unpacked again only when the tarball changes, and is complete
# once it has its name.
file(SIZE "${TARBALL}" size)
file(TIMESTAMP "${TARBALL}" time "%s" UTC)
set(id "${TARBALL} ${size} ${time}")
set(unpacked "")
if(EXISTS "${TREE}/unpacked.id")
  file(READ "${TREE}/unpacked.id" unpacked)
endif()
if(NOT unpacked STREQUAL id)
  file(REMOVE_RECURSE "${TREE}" "${TREE}.partial")
  file(ARCHIVE_EXTRACT INPUT "${TARBALL}" DESTINATION "${TREE}.partial")
  file(WRITE "${TREE}.partial/unpacked.id" "${id}")
  file(RENAME "${TREE}.partial" "${TREE}")
endif()

file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
set(zephyr "${build}/zephyr")
cmake_path(GET ARM_GCC PARENT_PATH toolchain)
cmake_path(GET toolchain PARENT_PATH toolchain)
set(env "${CMAKE_COMMAND}" -E env "ZEPHYR_BASE=${TREE}/zephyr-min/zephyr"
    ZEPHYR_TOOLCHAIN_VARIANT=gnuarmemb "GNUARMEMB_TOOLCHAIN_PATH=${toolchain}")
set(configure ${env} "${CMAKE_COMMAND}" -S "${WFAC_SOURCE}/tests/zephyr/app" -B "${build}"
    -G Ninja "-DCMAKE_MAKE_PROGRAM=${NINJA}" -DBOARD=qemu_cortex_m3 -DBUILD_VERSION=zephyr-min
    "-DPython3_EXECUTABLE=${PYTHON}" "-DUSER_CACHE_DIR=${build}/zcache"
    "-DZEPHYR_MODULES=${TREE}/zephyr-min/modules/hal/cmsis" "-DZEPHYR_EXTRA_MODULES=${WFAC_SOURCE}"
    "-DWFAC_HOST_TOOLS_DIR=${PROGRAM_DIR}")
set(build_it ${env} "${CMAKE_COMMAND}" --build "${build}")

run(${configure})
expect_ok("configure of the Zephyr application")
run(${build_it})
expect_ok("build of the Zephyr application")
# The check ran after the link, and proved both tables where Zephyr's
# start-up has copied data and cleared bss (its flash segment is
# writable, so the table in rodata is proved by the run too), in the image
# and in the two files to flash.
set(flashed "; [^\n]*/zephyr.hex and [^\n]*/zephyr.bin hold it\n")
foreach(line "w_data: [^\n]*: ok, proved at z_cstart${flashed}" "w_rom: [^\n]*: ok, proved at z_cstart${flashed}")
  if(NOT output MATCHES "${line}")
    message(FATAL_ERROR "the build did not print a line like '${line}':\n${output}")
  endif()
endforeach()
run(${build_it})
expect_ok("second build")
if(NOT output MATCHES "ninja: no work to do")
  message(FATAL_ERROR "a build with nothing to do did something:\n${output}")
endif()

# Its output is each table's entries, as the program writes them, after
# Zephyr's banner; it then resets the board, which ends qemu -no-reboot.
execute_process(COMMAND "${QEMU}" -cpu cortex-m3 -machine lm3s6965evb -nographic -vga none
                -net none -serial mon:stdio -monitor none -no-reboot -kernel "${zephyr}/zephyr.elf"
                INPUT_FILE /dev/null OUTPUT_VARIABLE printed ERROR_VARIABLE errors TIMEOUT 20)
string(REPLACE "\r" "" printed "${printed}")
set(want "")
foreach(table "w_data|wfac_hw_gen 64" "w_rom|wfac_ww_gen -s 1000000 16")
  string(REPLACE "|" ";" table "${table}")
  list(POP_FRONT table name command)
  separate_arguments(command UNIX_COMMAND "${command}")
  list(POP_FRONT command program)
  program_entries(entries "${PROGRAM_DIR}/${program}${EXE}" ${command})
  foreach(entry IN LISTS entries)
    string(APPEND want "${name} ${entry}\n")
  endforeach()
endforeach()
string(FIND "${printed}" "w_data " at)
if(at GREATER_EQUAL 0)
  string(SUBSTRING "${printed}" ${at} -1 printed)
endif()
if(NOT printed STREQUAL "${want}done\n")
  message(FATAL_ERROR "the application printed\n${printed}\nnot\n${want}done\n(qemu: ${errors})")
endif()

# A table that start-up code never writes fails the build, which leaves
# nothing to flash, and the next build too.
run(${configure} -DTABLE_SECTIONS=RAM_SECTIONS)
expect_ok("configure with RAM_SECTIONS")
foreach(attempt first second)
  run(${build_it})
  expect_failure("the ${attempt} build with RAM_SECTIONS"
    "wfac_check_image(zephyr_final): ${zephyr}/zephyr.elf, or a file flashed from it, does not hold its tables as they must be")
  if(NOT output MATCHES "\nw_data: " OR output MATCHES "\nw_data: [^\n]*: ok")
    message(FATAL_ERROR "the ${attempt} build with RAM_SECTIONS did not fail w_data:\n${output}")
  endif()
  foreach(file zephyr.elf zephyr.hex zephyr.bin)
    if(EXISTS "${zephyr}/${file}" OR NOT EXISTS "${zephyr}/${file}.rejected")
      message(FATAL_ERROR "the ${attempt} build with RAM_SECTIONS left ${file}, or did not move "
                          "it to ${file}.rejected")
    endif()
  endforeach()
endforeach()
