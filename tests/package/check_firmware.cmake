# Cross-compiles tests/firmware for a Cortex-M4 and checks its two tables in
# the linked image: each symbol defined once, 8-byte aligned, and holding
# exactly the entries that the host program prints.
#   MODE: installed (the package, through wfac_DIR), subdirectory
#         (add_subdirectory, wfac building its own host programs), cxx (a
#         C++-only project, add_subdirectory with WFAC_HOST_TOOLS_DIR) or
#         no_host_compiler (configure must stop and say what to set).
#   WFAC_BUILD, PROGRAM_DIR (the host programs), WFAC_SOURCE, WORK,
#   GENERATOR, NM, READELF, EXE, CONFIG.
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
elseif(MODE STREQUAL "no_host_compiler")
  run(${configure} "-DWFAC_SOURCE_DIR=${WFAC_SOURCE}"
      "-DWFAC_HOST_CXX_COMPILER=${WORK}/no-such-compiler")
  expect_failure("configure with no host compiler"
                 "Set WFAC_HOST_C_COMPILER and WFAC_HOST_CXX_COMPILER to the host's C and C++ compilers, or WFAC_HOST_TOOLS_DIR")
  return()
endif()

run(${configure})
expect_ok("configure")
set(build_it "${CMAKE_COMMAND}" --build "${build}" --config "${CONFIG}" --parallel 2)
run(${build_it})
expect_ok("build")
find_built(elf "${build}" firmware.elf)

# The project's own step ran the program from the clean build.
execute_process(COMMAND "${PROGRAM_DIR}/wfac_hh_gen${EXE}" 128 OUTPUT_FILE "${WORK}/direct.c")
run("${CMAKE_COMMAND}" -E compare_files "${build}/w_hh128.c" "${WORK}/direct.c")
expect_ok("the project's own table equals the program's output")
# A build with nothing to do does nothing of wfac's and says nothing of it.
run(${build_it})
expect_ok("second build")
if(output MATCHES "jobserver|[Ww]arning|Generating|Building wfac")
  message(FATAL_ERROR "a build with nothing to do did or said something:\n${output}")
endif()

run("${NM}" -S --defined-only "${elf}")
expect_ok("nm")
set(symbols "${output}")
run("${READELF}" -S -W "${elf}")
expect_ok("readelf")
set(sections "${output}")

foreach(table "w_hw256;16;wfac_hw_gen;256" "w_ww64;32;wfac_ww_gen;-s;1000000;64")
  list(POP_FRONT table name bits program)
  # The entries the host program prints, as the little-endian bytes of the
  # target's two's complement entries, in hex.
  program_entries(entries "${PROGRAM_DIR}/${program}${EXE}" ${table})
  math(EXPR digits "${bits} / 4")
  set(want "")
  foreach(value IN LISTS entries)
    if(value LESS 0)
      math(EXPR value "(1 << ${bits}) + ${value}" OUTPUT_FORMAT HEXADECIMAL)
    else()
      math(EXPR value "${value}" OUTPUT_FORMAT HEXADECIMAL)
    endif()
    string(SUBSTRING "${value}" 2 -1 value)
    string(PREPEND value "0000000")
    string(LENGTH "${value}" length)
    math(EXPR start "${length} - ${digits}")
    string(SUBSTRING "${value}" ${start} ${digits} value)
    foreach(byte RANGE 1 ${digits} 2)
      math(EXPR from "${digits} - ${byte} - 1")
      string(SUBSTRING "${value}" ${from} 2 pair)
      string(APPEND want "${pair}")
    endforeach()
  endforeach()
  string(TOLOWER "${want}" want)
  string(LENGTH "${want}" want_length)
  math(EXPR want_size "${want_length} / 2")

  string(REGEX MATCHALL "[0-9a-f]+ [0-9a-f]+ [A-Za-z] ${name}\n" found "${symbols}")
  list(LENGTH found times)
  if(NOT times EQUAL 1)
    message(FATAL_ERROR "${name} is defined ${times} times in the image:\n${symbols}")
  endif()
  string(REGEX MATCH "^([0-9a-f]+) ([0-9a-f]+)" _ "${found}")
  math(EXPR address "0x${CMAKE_MATCH_1}")
  math(EXPR size "0x${CMAKE_MATCH_2}")
  math(EXPR misalignment "${address} % 8")
  if(NOT misalignment EQUAL 0 OR NOT size EQUAL want_size)
    message(FATAL_ERROR "${name}: ${size} bytes at ${address}, which is ${misalignment} past "
                        "a multiple of 8; want ${want_size} bytes at a multiple of 8")
  endif()

  # The bytes of the symbol, read from the file section that holds it.
  set(offset "")
  string(REGEX MATCHALL "PROGBITS +[0-9a-f]+ [0-9a-f]+ [0-9a-f]+" rows "${sections}")
  foreach(row ${rows})
    string(REGEX MATCH "PROGBITS +([0-9a-f]+) ([0-9a-f]+) ([0-9a-f]+)" _ "${row}")
    math(EXPR section_address "0x${CMAKE_MATCH_1}")
    math(EXPR section_end "0x${CMAKE_MATCH_1} + 0x${CMAKE_MATCH_3}")
    if(address GREATER_EQUAL section_address AND address LESS section_end)
      math(EXPR offset "0x${CMAKE_MATCH_2} + ${address} - ${section_address}")
    endif()
  endforeach()
  if(offset STREQUAL "")
    message(FATAL_ERROR "${name}: no section holds address ${address}:\n${sections}")
  endif()
  file(READ "${elf}" bytes OFFSET ${offset} LIMIT ${size} HEX)
  if(NOT bytes STREQUAL want)
    message(FATAL_ERROR "${name} in the image:\n${bytes}\nis not what the program prints:\n${want}")
  endif()
endforeach()
