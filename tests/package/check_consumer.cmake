# Builds tests/consumer against wfac and checks what it generated and printed.
#   MODE: installed (cmake --install, then find_package), subdirectory
#         (add_subdirectory of the source tree), bad_calls (each wrong call
#         must stop the configure step with its message) or bad_scale (a
#         build after a good one must fail with the program's message and
#         leave no table).
#   WFAC_BUILD, WFAC_SOURCE, WORK, GENERATOR, C_COMPILER, CXX_COMPILER, EXE,
#   CONFIG; PREFIX, in mode installed, a wfac installed there before.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
set(prefix "${WORK}/prefix")
set(configure "${CMAKE_COMMAND}" -S "${WFAC_SOURCE}/tests/consumer" -B "${build}" -G "${GENERATOR}"
    "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
    "-DCMAKE_BUILD_TYPE=${CONFIG}")
set(build_it "${CMAKE_COMMAND}" --build "${build}" --config "${CONFIG}")

if(MODE STREQUAL "subdirectory")
  list(APPEND configure "-DWFAC_SOURCE_DIR=${WFAC_SOURCE}")
  set(bin "${build}/wfac")
elseif(DEFINED PREFIX)
  set(prefix "${PREFIX}")
  list(APPEND configure "-DCMAKE_PREFIX_PATH=${prefix}")
  set(bin "${prefix}/bin")
else()
  install_wfac("${prefix}")
  list(APPEND configure "-DCMAKE_PREFIX_PATH=${prefix}")
  set(bin "${prefix}/bin")
endif()

if(MODE STREQUAL "bad_calls")
  # The sizes at both ends configure; each wrong call stops with its message.
  foreach(size 16 32768)
    run(${configure} -DHW_SIZE=${size})
    expect_ok("configure with SIZE ${size}")
  endforeach()
  foreach(case
      "HW_SIZE=48;wfac_add_table(print_hw): SIZE must be a power of 2 from 16 to 32768, not '48'"
      "HW_SIZE=65536;SIZE must be a power of 2 from 16 to 32768, not '65536'"
      "BAD=program;wfac_add_table(print_ww): PROGRAM must be wfac_hw_gen, wfac_ww_gen or wfac_hh_gen, not 'xwfac_hw_gen'"
      "BAD=name;wfac_add_table(print_ww): NAME must be a C identifier"
      "BAD=symbol;wfac_add_table(print_hw): the array 'w' is already defined by wfac_add_table(print_hw)"
      "BAD=interface;wfac_add_table(headers): 'headers' is a target of type INTERFACE_LIBRARY, which compiles no sources"
      "BAD=align;wfac_add_table(print_ww): ALIGN must be a power of 2 of at least 8 (bytes), such as 8, 16 or 32, not '12'"
      "BAD=section;wfac_add_table(print_ww): SECTION must be a linker section name, not empty and without double quotes, backslashes, semicolons or white space, not ''")
    list(POP_FRONT case setting)
    run(${configure} -DHW_SIZE=64 -DBAD= -D${setting})
    expect_failure("configure with ${setting}" "${case}")
  endforeach()
  return()
endif()

if(MODE STREQUAL "bad_scale")
  run(${configure})
  expect_ok("configure")
  run(${build_it})
  expect_ok("build with a good scale")
  run(${configure} -DWW_SCALE=0)
  expect_ok("configure with scale 0")
  run(${build_it})
  expect_failure("the build with scale 0" "ERROR: Scale factor out of range.")
  # The failure names the call to fix.
  expect_failure("the build with scale 0"
                 "wfac_add_table(print_ww) in ${WFAC_SOURCE}/tests/consumer/CMakeLists.txt: 'wfac_ww_gen -s 0 32' failed")
  foreach(file tables/w_ww.c tables/w_ww.h print_ww_wfac/w_ww.wfac.c)
    if(EXISTS "${build}/${file}")
      message(FATAL_ERROR "a failed run left the earlier ${file} behind")
    endif()
  endforeach()
  file(GLOB left "${build}/tables/*.tmp" "${build}/print_ww_wfac/*.tmp")
  if(left)
    message(FATAL_ERROR "a failed run left files behind: ${left}")
  endif()
  return()
endif()

run(${configure})
expect_ok("configure")
run(${build_it})
expect_ok("build")
if(MODE STREQUAL "subdirectory")
  # Installing the project installs nothing of wfac's.
  run("${CMAKE_COMMAND}" --install "${build}" --prefix "${WORK}/consumer" --config "${CONFIG}")
  expect_ok("cmake --install of the project")
  file(GLOB_RECURSE installed "${WORK}/consumer/*")
  if(installed)
    message(FATAL_ERROR "installing the project installed wfac's files: ${installed}")
  endif()
endif()

# The entries the programs must give: trunc(scale * sin, cos) of 0 and 2*pi/N;
# the 32-bit table's header declares 2 * 30 entries for N = 32.
foreach(check "print_hw;0 32767 0 32767 0 32767 3211 32609"
        "print_ww;60: 0 1000000 0 1000000 0 1000000 195090 980785")
  list(GET check 0 program)
  list(GET check 1 want)
  expect_prints("${build}" ${program}${EXE} "${want}")
endforeach()

# The generated files are byte for byte what the programs write.
foreach(check "print_hw_wfac/wfac_hw_gen_64.c;wfac_hw_gen;64" "tables/w_ww.c;wfac_ww_gen;-s;1000000;32")
  list(POP_FRONT check file program)
  find_built(program "${bin}" ${program}${EXE})
  execute_process(COMMAND "${program}" ${check} OUTPUT_FILE "${WORK}/direct.c"
                  RESULT_VARIABLE status)
  expect_ok("${program}")
  run("${CMAKE_COMMAND}" -E compare_files "${build}/${file}" "${WORK}/direct.c")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${file} differs from what ${program} writes")
  endif()
endforeach()

# Nothing changed, so nothing is generated again.
run(${build_it})
expect_ok("second build")
if(output MATCHES "Generating")
  message(FATAL_ERROR "a build with nothing changed generated a table again:\n${output}")
endif()
# A new scale generates the 32-bit table again.
run(${configure} -DWW_SCALE=2000000)
expect_ok("configure with a new scale")
run(${build_it})
expect_ok("build with a new scale")
if(NOT output MATCHES "Generating [^\n]*w_ww\\.c" OR output MATCHES "Generating [^\n]*wfac_hw_gen_64")
  message(FATAL_ERROR "a new scale should regenerate only the 32-bit table:\n${output}")
endif()
