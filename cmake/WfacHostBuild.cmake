# Builds wfac's programs in the host build HOST_BUILD, for a cross build
# that adds wfac with add_subdirectory(), at its configure or build time.
# It runs as many jobs as the build that runs it: CMAKE_BUILD_PARALLEL_LEVEL,
# else the -j of a make that runs it, else one a core. The output is shown
# only when the build fails.
cmake_minimum_required(VERSION 3.22...4.3)

if(NOT "$ENV{CMAKE_BUILD_PARALLEL_LEVEL}" STREQUAL "")
  set(jobs "$ENV{CMAKE_BUILD_PARALLEL_LEVEL}")
elseif(" $ENV{MAKEFLAGS}" MATCHES " -j ?([0-9]+)")
  set(jobs "${CMAKE_MATCH_1}")
else()
  cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
endif()
# The nested build is not a child of the project's make, so it must not see
# that make's jobserver.
foreach(variable MAKEFLAGS MFLAGS MAKELEVEL CMAKE_BUILD_PARALLEL_LEVEL)
  unset(ENV{${variable}})
endforeach()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${HOST_BUILD}" --config Release
                        --parallel "${jobs}"
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "wfac: building the programs for the build host in ${HOST_BUILD} "
                      "failed:\n${log}")
endif()
