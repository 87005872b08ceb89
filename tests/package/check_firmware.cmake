# Cross-compiles tests/firmware for a Cortex-M4 and checks its two tables in
# the linked image: each symbol defined once, aligned as asked (one to 32
# bytes in a section of its own), and holding exactly the entries that the
# host program prints, also from each offset that its header gives for a
# smaller size.
#   MODE: installed (the package, through wfac_DIR), subdirectory
#         (add_subdirectory, wfac building its own host programs), cxx (a
#         C++-only project, add_subdirectory with WFAC_HOST_TOOLS_DIR) or
#         no_host_compiler (configure must stop and say what to set) or
#         image (wfac_check_image() under several linker scripts and with
#         the files that a post-build objcopy makes, and the program on a
#         big-endian image).
#   WFAC_BUILD, PROGRAM_DIR (the host programs), WFAC_SOURCE, WORK,
#   GENERATOR, NM, READELF, EXE, CONFIG, VERSION (of wfac).
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
set(configure "${CMAKE_COMMAND}" -S "${WFAC_SOURCE}/tests/firmware" -B "${build}" -G "${GENERATOR}"
    --toolchain "${WFAC_SOURCE}/tests/firmware/cortex-m4.cmake")

if(MODE STREQUAL "installed")
  install_wfac("${WORK}/prefix")
  # CMAKE_PREFIX_PATH would be searched below the target's root only.
  list(APPEND configure "-Dwfac_DIR=${WORK}/prefix/lib/cmake/wfac")
elseif(MODE STREQUAL "subdirectory")
  list(APPEND configure "-DWFAC_SOURCE_DIR=${WFAC_SOURCE}")
elseif(MODE STREQUAL "cxx")
  list(APPEND configure "-DWFAC_SOURCE_DIR=${WFAC_SOURCE}" -DLANGUAGE=CXX
       "-DWFAC_HOST_TOOLS_DIR=${PROGRAM_DIR}")
elseif(MODE STREQUAL "image")
  install_wfac("${WORK}/prefix")
  list(APPEND configure "-Dwfac_DIR=${WORK}/prefix/lib/cmake/wfac" -DCHECK_IMAGE=ON)
elseif(MODE STREQUAL "no_host_compiler")
  run(${configure} "-DWFAC_SOURCE_DIR=${WFAC_SOURCE}"
      "-DWFAC_HOST_CXX_COMPILER=${WORK}/no-such-compiler")
  expect_failure("configure with no host compiler"
                 "Set WFAC_HOST_C_COMPILER and WFAC_HOST_CXX_COMPILER to the host's C and C++ compilers, or WFAC_HOST_TOOLS_DIR")
  return()
endif()

set(build_it "${CMAKE_COMMAND}" --build "${build}" --config "${CONFIG}" --parallel 2)
if(MODE STREQUAL "image")
  # Expects a build with the linker script and section given to end with
  # status 0 or not (ok), printing each of the texts that follow.
  function(expect_check script section ok)
    run(${configure} -DLINKER_SCRIPT=${script} -DTABLE_SECTION=${section})
    expect_ok("configure with ${script}")
    run(${build_it})
    if(ok)
      expect_ok("the build with ${script}")
    endif()
    foreach(text IN LISTS ARGN)
      string(FIND "${flat}" "${text}" at)
      if(at EQUAL -1 OR (NOT ok AND status EQUAL 0))
        message(FATAL_ERROR "the build with ${script} should print \"${text}\" and "
                            "end with ${ok} (${status}):\n${output}")
      endif()
    endforeach()
  endfunction()
  # The 256-point table is 504 entries of 2 bytes, aligned to 32 from an
  # origin of 0x10000008 in firmware.ld, and at the origin of CCMRAM in
  # ccmram.ld; the firmware's reset_handler, its only start-up code, copies
  # nothing, so a table in RAM is never proved (whether or not this build
  # can run start-up code, the firmware has no main to run it to).
  set(ww64 "w_ww64: 480 bytes at 0x")
  expect_check(firmware.ld .wfac_tables TRUE
    "w_hw256: 1008 bytes at 0x10000020 in .wfac_tables, aligned 32: ok, in read-only memory"
    "${ww64}")
  set(failed "firmware.elf does not hold its tables as they must be")
  expect_check(ccmram.ld .ccmram FALSE "${failed}"
    "w_hw256: 1008 bytes at 0x10000000 (loaded from 0x" "in .ccmram: cannot prove: ")
  foreach(attempt first second)
    expect_check(ccmram_noload.ld .ccmram FALSE "${failed}"
      "w_hw256: in .ccmram, a section with no bytes in the image (NOLOAD or .bss): the table would read as whatever RAM holds")
  endforeach()
  expect_check(in_bss.ld .ccmram FALSE "${failed}"
    "w_hw256: in .bss, memory that start-up code clears")

  # An image linked from a library built for an earlier table: the table
  # of a scale of 1000000 (0xF4240) where the table is of 2000000
  # (0x1E8480).
  expect_check(firmware.ld .wfac_tables TRUE "${ww64}")
  file(GLOB_RECURSE library "${build}/*libdsp.a")
  file(COPY_FILE "${library}" "${WORK}/old.a")
  run(${configure} -DWW_SCALE=2000000)
  expect_ok("configure with scale 2000000")
  run(${build_it})
  expect_ok("the build with scale 2000000")
  file(COPY_FILE "${WORK}/old.a" "${library}")
  file(TOUCH_NOCREATE "${library}")
  foreach(attempt first second)
    run(${build_it})
    expect_failure("the ${attempt} build with the old library" "${failed}")
    expect_failure("the ${attempt} build with the old library"
                   "w_ww64: entry 1 is 0x000F4240 in the image, 0x001E8480 in the table")
  endforeach()

  # The program itself on a big-endian image of both tables.
  file(WRITE "${WORK}/be.c" "#include \"w_hw256.h\"\n#include \"w_ww64.h\"\n"
       "int reset_handler(void);\n"
       "int reset_handler(void) { return w_hw256[1] + w_ww64[1]; }\n")
  set(tables "${build}/firmware_wfac" "${build}/dsp_wfac")
  run(arm-none-eabi-gcc -march=armv7-a -marm -mbig-endian -nostdlib -Wl,-e,reset_handler
      -I${build}/firmware_wfac -I${build}/dsp_wfac -o "${WORK}/be.elf" "${WORK}/be.c"
      "${build}/firmware_wfac/w_hw256.wfac.c" "${build}/dsp_wfac/w_ww64.wfac.c")
  expect_ok("the big-endian image")
  run("${WORK}/prefix/bin/wfac_check_image${EXE}" "${WORK}/be.elf"
      "${build}/firmware_wfac/w_hw256.h" "${build}/dsp_wfac/w_ww64.h")
  expect_ok("wfac_check_image on the big-endian image")
  if(NOT output MATCHES "^w_hw256: 1008 bytes at 0x[0-9a-f]+ in [.a-z_]+, aligned 32: ok, in read-only memory\nw_ww64: 480 bytes at 0x[0-9a-f]+ in [.a-z]+, aligned 8: ok, in read-only memory\n$")
    message(FATAL_ERROR "wfac_check_image on the big-endian image printed:\n${output}")
  endif()

  # firmware.hex and firmware.bin, made by a post-build objcopy added after
  # the check's call, are checked after it: whole, they pass; without the
  # table's section, the build fails, leaves nothing to flash, and the
  # next build fails again.
  run(${configure} -DLINKER_SCRIPT=in_flash.ld -DTABLE_SECTION=.wfac_tables -DWW_SCALE=1000000
      -DFLASH_OUTPUTS=ON -DOBJCOPY_ARGS=)
  expect_ok("configure with firmware.hex and firmware.bin")
  run(${build_it})
  expect_ok("the build with firmware.hex and firmware.bin")
  run(${configure} "-DOBJCOPY_ARGS=-R|.wfac_tables")
  expect_ok("configure with objcopy -R .wfac_tables")
  # make links again for a changed step after the link only when the image
  # is gone.
  find_built(elf "${build}" firmware.elf)
  file(REMOVE "${elf}")
  foreach(attempt first second)
    run(${build_it})
    set(what "the ${attempt} build with objcopy -R .wfac_tables")
    expect_failure("${what}" "firmware.elf, or a file flashed from it, does not hold its tables as they must be")
    if(NOT output MATCHES "w_hw256: [^\n]*the flashed image lacks the table")
      message(FATAL_ERROR "${what} does not say that the flashed image lacks w_hw256:\n${output}")
    endif()
    foreach(file firmware.elf firmware.hex firmware.bin)
      find_built(rejected "${build}" "${file}.rejected")
      string(REGEX REPLACE "[.]rejected$" "" file "${rejected}")
      if(EXISTS "${file}" OR NOT EXISTS "${rejected}")
        message(FATAL_ERROR "${what} left ${file}, or did not move it to ${rejected}")
      endif()
    endforeach()
  endforeach()
  return()
endif()

run(${configure})
expect_ok("configure")
run(${build_it})
expect_ok("build")
find_built(elf "${build}" firmware.elf)

# The project's own step ran the program from the clean build.
execute_process(COMMAND "${PROGRAM_DIR}/wfac_hh_gen${EXE}" 128 OUTPUT_FILE "${WORK}/direct.c")
run("${CMAKE_COMMAND}" -E compare_files "${build}/w_hh128.c" "${WORK}/direct.c")
expect_ok("the project's own table equals the program's output")
# A build with nothing to do says nothing but the generator's lines for
# that (make's "Built target" and, with CMake 3.22, its dependency
# lines): no check of globbed folders, no host build, no table.
run(${build_it})
expect_ok("second build")
string(REPLACE "\n" ";" said "${output}")
list(FILTER said EXCLUDE REGEX "^(ninja: no work to do\\.|Consolidate compiler generated dependencies of target [A-Za-z0-9_]+|\\[ *[0-9]+%\\] Built target [A-Za-z0-9_]+|)$")
if(said)
  message(FATAL_ERROR "a build with nothing to do did or said something:\n${output}")
endif()

read_image("${elf}")
# name, entry bits, alignment, section (or "any"), the program's command.
check_image_table(w_hw256 16 32 .wfac_tables "${PROGRAM_DIR}/wfac_hw_gen${EXE}" 256)
check_image_table(w_ww64 32 8 any "${PROGRAM_DIR}/wfac_ww_gen${EXE}" -s 1000000 64)

# The header of w_hw256 names what wrote it, with nothing that changes from
# one build to the next, and gives the index of each smaller table within
# it: the image's entries from there on are that table's.
file(STRINGS "${build}/firmware_wfac/w_hw256.h" header)
list(GET header 0 first)
if(NOT first STREQUAL "/* w_hw256.c: written by wfac ${VERSION}, wfac_hw_gen 256 */")
  message(FATAL_ERROR "w_hw256.h begins with '${first}'")
endif()
if(header MATCHES "${WORK}|${WFAC_SOURCE}")
  message(FATAL_ERROR "w_hw256.h names a path of this build:\n${header}")
endif()
string(REGEX MATCHALL "#define W_HW256_OFFSET_[0-9]+ [0-9]+" offsets "${header}")
set(sizes "")
foreach(offset IN LISTS offsets)
  string(REGEX MATCH "_([0-9]+) ([0-9]+)$" _ "${offset}")
  set(size ${CMAKE_MATCH_1})
  set(index ${CMAKE_MATCH_2})
  list(APPEND sizes ${size})
  program_bytes(want 16 "${PROGRAM_DIR}/wfac_hw_gen${EXE}" ${size})
  string(LENGTH "${want}" length)
  math(EXPR length "${length} / 2")
  math(EXPR at "${address_w_hw256} + 2 * ${index}")
  image_bytes(bytes section ${at} ${length})
  if(NOT bytes STREQUAL want)
    message(FATAL_ERROR "w_hw256 from ${offset}:\n${bytes}\nis not the table of ${size} "
                        "points:\n${want}")
  endif()
endforeach()
if(NOT sizes STREQUAL "256;64;16")
  message(FATAL_ERROR "w_hw256.h gives offsets for ${sizes}, not 256, 64 and 16")
endif()

# A table in the second RAM bank of NXP's scripts: a '$' in SECTION, through
# the build step's quoting, under -Wa,--fatal-warnings.
if(MODE STREQUAL "installed")
  run(${configure} -DLINKER_SCRIPT=ram2.ld "-DTABLE_SECTION=.data.$RAM2")
  expect_ok("configure with SECTION .data.$RAM2")
  run(${build_it})
  expect_ok("the build with SECTION .data.$RAM2")
  read_image("${elf}")
  check_image_table(w_hw256 16 32 .data_RAM2 "${PROGRAM_DIR}/wfac_hw_gen${EXE}" 256)
endif()
