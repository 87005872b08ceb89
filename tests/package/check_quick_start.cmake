# Runs the README's first Quick start line and its Install line, as the
# README prints them (the install prefix put below WORK), with sh in a copy
# of the source tree and CMAKE_GENERATOR set to GENERATOR. The first must
# write the program's table and build no test; the second must install the
# programs, man pages and package.
#   WFAC_SOURCE, PROGRAM_DIR (the programs of this build), WORK, GENERATOR,
#   EXE.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
set(source "${WORK}/source")
file(MAKE_DIRECTORY "${source}")
# The source tree without its build folders.
file(GLOB items LIST_DIRECTORIES true "${WFAC_SOURCE}/*")
foreach(item IN LISTS items)
  if(NOT EXISTS "${item}/CMakeCache.txt")
    file(COPY "${item}" DESTINATION "${source}")
  endif()
endforeach()

file(READ "${WFAC_SOURCE}/README.md" readme)
string(REGEX MATCH "## Quick start\n+```sh\n([^\n]*)\n" _ "${readme}")
set(quick_start "${CMAKE_MATCH_1}")
string(REGEX MATCH "## Install\n+```sh\n([^\n]*)\n" _ "${readme}")
set(install "${CMAKE_MATCH_1}")
if(NOT quick_start MATCHES "w_hw_64\\.c$" OR NOT install MATCHES " --prefix /usr/local$")
  message(FATAL_ERROR "README: no Quick start line that writes w_hw_64.c ('${quick_start}'), "
                      "or no Install line with --prefix /usr/local ('${install}')")
endif()
string(REPLACE "/usr/local" "${WORK}/prefix" install "${install}")

foreach(line "${quick_start}" "${install}")
  run("${CMAKE_COMMAND}" -E env "CMAKE_GENERATOR=${GENERATOR}" --unset=CMAKE_BUILD_TYPE
      --unset=CMAKE_CONFIGURATION_TYPES --unset=CMAKE_DEFAULT_BUILD_TYPE
      "${CMAKE_COMMAND}" -E chdir "${source}" sh -c "${line}")
  expect_ok("${line}")
endforeach()

execute_process(COMMAND "${PROGRAM_DIR}/wfac_hw_gen${EXE}" 64 OUTPUT_FILE "${WORK}/direct.c")
run("${CMAKE_COMMAND}" -E compare_files "${source}/w_hw_64.c" "${WORK}/direct.c")
expect_ok("w_hw_64.c of the Quick start equals the program's table")
file(GLOB_RECURSE tests "${source}/build/tests/*wfac_tests${EXE}")
if(tests)
  message(FATAL_ERROR "the first Quick start line built the tests: ${tests}")
endif()
_wfac_programs(programs)
list(TRANSFORM programs PREPEND "bin/")
list(TRANSFORM programs APPEND "${EXE}")
foreach(file ${programs} share/man/man1/wfac_hw_gen.1 lib/cmake/wfac/wfacConfig.cmake)
  if(NOT EXISTS "${WORK}/prefix/${file}")
    message(FATAL_ERROR "the Install line did not install ${file}")
  endif()
endforeach()
