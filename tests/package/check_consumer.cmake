# Builds tests/consumer against wfac and checks what it generated and printed.
#   MODE: installed (cmake --install, then find_package), subdirectory
#         (add_subdirectory of the source tree), bad_size (configure must
#         fail) or bad_scale (the build must fail with the program's message
#         and leave no table).
#   WFAC_BUILD, WFAC_SOURCE, WORK, GENERATOR, C_COMPILER, CXX_COMPILER.

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(status "${status}" PARENT_SCOPE)
  set(output "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect_ok what)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${output}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
set(prefix "${WORK}/prefix")
set(configure "${CMAKE_COMMAND}" -S "${WFAC_SOURCE}/tests/consumer" -B "${build}" -G "${GENERATOR}"
    "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}")

if(MODE STREQUAL "subdirectory")
  list(APPEND configure "-DWFAC_SOURCE_DIR=${WFAC_SOURCE}")
  set(bin "${build}/wfac")
else()
  run("${CMAKE_COMMAND}" --install "${WFAC_BUILD}" --prefix "${prefix}")
  expect_ok("cmake --install")
  foreach(file bin/wfac_hw_gen bin/wfac_ww_gen bin/wfac_hh_gen share/man/man1/wfac_hw_gen.1
          share/man/man1/wfac_ww_gen.1 share/man/man1/wfac_hh_gen.1 lib/cmake/wfac/wfacConfig.cmake
          lib/cmake/wfac/wfacConfigVersion.cmake)
    if(NOT EXISTS "${prefix}/${file}")
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
  list(APPEND configure "-DCMAKE_PREFIX_PATH=${prefix}")
  set(bin "${prefix}/bin")
endif()

if(MODE STREQUAL "bad_size")
  run(${configure} -DHW_SIZE=48)
  set(want "wfac_add_table: SIZE must be a power of 2 from 16 to 32768, not '48'")
  if(status EQUAL 0 OR NOT output MATCHES "${want}")
    message(FATAL_ERROR "configure with SIZE 48 should fail with \"${want}\":\n${output}")
  endif()
  return()
endif()

if(MODE STREQUAL "bad_scale")
  run(${configure} -DWW_SCALE=0)
  expect_ok("configure")
  run("${CMAKE_COMMAND}" --build "${build}")
  if(status EQUAL 0 OR NOT output MATCHES "ERROR:  Scale factor out of range\\.")
    message(FATAL_ERROR "the build with scale 0 should fail with the program's message:\n${output}")
  endif()
  file(GLOB left "${build}/tables/*")
  if(left)
    message(FATAL_ERROR "a failed run left files behind: ${left}")
  endif()
  return()
endif()

run(${configure})
expect_ok("configure")
run("${CMAKE_COMMAND}" --build "${build}")
expect_ok("build")

# The entries the programs must give: trunc(scale * sin, cos) of 0 and 2*pi/N.
foreach(check "print_hw;0 32767 0 32767 0 32767 3211 32609"
        "print_ww;0 1000000 0 1000000 0 1000000 195090 980785")
  list(GET check 0 program)
  list(GET check 1 want)
  run("${build}/${program}")
  expect_ok("${program}")
  if(NOT output STREQUAL "${want}\n")
    message(FATAL_ERROR "${program} printed '${output}', not '${want}'")
  endif()
endforeach()

# The generated files are byte for byte what the programs write.
foreach(check "wfac_hw_gen_64.c;wfac_hw_gen;64" "tables/w_ww.c;wfac_ww_gen;-s;1000000;32")
  list(POP_FRONT check file program)
  execute_process(COMMAND "${bin}/${program}" ${check} OUTPUT_FILE "${WORK}/direct.c"
                  RESULT_VARIABLE status)
  expect_ok("${program}")
  run("${CMAKE_COMMAND}" -E compare_files "${build}/${file}" "${WORK}/direct.c")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${file} differs from what ${program} writes")
  endif()
endforeach()

# Nothing changed, so nothing is generated again.
run("${CMAKE_COMMAND}" --build "${build}")
expect_ok("second build")
if(output MATCHES "Generating")
  message(FATAL_ERROR "a build with nothing changed generated a table again:\n${output}")
endif()
# A new scale generates the 32-bit table again.
run(${configure} -DWW_SCALE=2000000)
expect_ok("configure with a new scale")
run("${CMAKE_COMMAND}" --build "${build}")
expect_ok("build with a new scale")
if(NOT output MATCHES "Generating [^\n]*w_ww\\.c" OR output MATCHES "Generating [^\n]*wfac_hw_gen_64")
  message(FATAL_ERROR "a new scale should regenerate only the 32-bit table:\n${output}")
endif()
