# The programs as build-host tools, for a project that adds wfac with
# add_subdirectory() and compiles for another machine. The tables are made
# while the project builds, so the programs must run here, on the build
# host: they are never built with the project's (target) toolchain.
#
# WFAC_HOST_TOOLS_DIR names a folder of programs built or installed before
# (it or its bin/ holds wfac_hw_gen, ...); otherwise the programs are built
# from this source tree in a build of their own below this folder, with the
# host compilers WFAC_HOST_C_COMPILER and WFAC_HOST_CXX_COMPILER (found as
# cc and c++ on the host when not set). Either way the programs are the
# imported executables wfac::<program> for each name in wfac_programs (the
# programs of cmake/WfacPrograms.cmake and wfac_check_image).

if(WFAC_HOST_TOOLS_DIR)
  foreach(program ${wfac_programs})
    find_program(wfac_host_${program} ${program} PATHS "${WFAC_HOST_TOOLS_DIR}"
                 PATH_SUFFIXES bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH NO_CACHE)
    if(NOT wfac_host_${program})
      message(FATAL_ERROR "wfac: WFAC_HOST_TOOLS_DIR is '${WFAC_HOST_TOOLS_DIR}', but "
                          "neither it nor its bin/ holds ${program}; set it to the folder of "
                          "the built or installed wfac programs")
    endif()
    add_executable(wfac::${program} IMPORTED GLOBAL)
    set_target_properties(wfac::${program} PROPERTIES IMPORTED_LOCATION "${wfac_host_${program}}")
  endforeach()
  return()
endif()

# The host build must see nothing of the target's: no toolchain file, and
# none of the compilers and flags that the environment may name for it.
find_program(WFAC_HOST_C_COMPILER NAMES cc gcc clang NO_CMAKE_FIND_ROOT_PATH
             DOC "C compiler of the build host, for wfac's programs")
find_program(WFAC_HOST_CXX_COMPILER NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH
             DOC "C++ compiler of the build host, for wfac's programs")
set(host_build "${CMAKE_CURRENT_BINARY_DIR}/host")
set(host_configure "${CMAKE_COMMAND}" -E env --unset=CC --unset=CXX --unset=CFLAGS
    --unset=CXXFLAGS --unset=LDFLAGS --unset=CMAKE_TOOLCHAIN_FILE
    "${CMAKE_COMMAND}" -S "${PROJECT_SOURCE_DIR}" -B "${host_build}" -G "${CMAKE_GENERATOR}"
    -DCMAKE_BUILD_TYPE=Release -DWFAC_BUILD_TESTS=OFF -DWFAC_INSTALL=OFF -DWFAC_WERROR=OFF)
if(CMAKE_MAKE_PROGRAM)
  list(APPEND host_configure "-DCMAKE_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM}")
endif()
# Only the configuration that is built, so that every configuration of the
# project finds the programs there.
get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(multi_config)
  list(APPEND host_configure -DCMAKE_CONFIGURATION_TYPES=Release)
endif()
foreach(lang C CXX)
  if(WFAC_HOST_${lang}_COMPILER)
    list(APPEND host_configure "-DCMAKE_${lang}_COMPILER=${WFAC_HOST_${lang}_COMPILER}")
  endif()
endforeach()

# Configured once, and again only when what it is configured with changes,
# so that a re-run of the project's CMake does no host work.
string(SHA1 host_configure_id "${host_configure}")
set(host_configure_stamp "${host_build}/wfac_host_configure.id")
set(configured_id "")
if(EXISTS "${host_configure_stamp}" AND EXISTS "${host_build}/CMakeCache.txt")
  file(READ "${host_configure_stamp}" configured_id)
endif()
if(NOT configured_id STREQUAL host_configure_id)
  message(STATUS "wfac: configuring the programs for the build host in ${host_build}")
  file(REMOVE "${host_configure_stamp}")
  execute_process(COMMAND ${host_configure} RESULT_VARIABLE status OUTPUT_VARIABLE log
                  ERROR_VARIABLE log)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR
      "wfac: the programs that write the tables run on the build host, but no host compiler "
      "works (C: '${WFAC_HOST_C_COMPILER}', C++: '${WFAC_HOST_CXX_COMPILER}'). Set "
      "WFAC_HOST_C_COMPILER and WFAC_HOST_CXX_COMPILER to the host's C and C++ compilers, or "
      "WFAC_HOST_TOOLS_DIR to a folder holding wfac programs built for the host.\n"
      "The host configure said:\n${log}")
  endif()
  file(WRITE "${host_configure_stamp}" "${host_configure_id}")
endif()

# The host build exports its programs; importing them gives their exact
# paths for any generator and executable suffix.
include("${host_build}/wfacTargets.cmake")
set(host_files "")
set(host_missing FALSE)
foreach(program ${wfac_programs})
  # Seen by wfac_add_table() in every folder of the project, as the
  # in-tree programs are.
  set_target_properties(wfac::${program} PROPERTIES IMPORTED_GLOBAL TRUE)
  get_target_property(file wfac::${program} IMPORTED_LOCATION_RELEASE)
  list(APPEND host_files "${file}")
  if(NOT EXISTS "${file}")
    set(host_missing TRUE)
  endif()
endforeach()

# The nested build runs with the parallel level of the build that runs it,
# and without that build's make jobserver, which it could not reach; it
# prints only when it fails.
set(host_build_command "${CMAKE_COMMAND}" "-DHOST_BUILD=${host_build}"
    -P "${CMAKE_CURRENT_LIST_DIR}/WfacHostBuild.cmake")
set(host_stamp "${host_build}/wfac_host_programs.stamp")
# Built now too when the programs are missing, so that they exist from the
# start: any build step of the project, not only wfac_add_table(), can run
# wfac::<program> from a clean build, whatever the order of the steps.
if(host_missing)
  message(STATUS "wfac: building the programs for the build host")
  execute_process(COMMAND ${host_build_command} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "wfac: the programs for the build host could not be built")
  endif()
  file(TOUCH "${host_stamp}")
endif()

# Built again when a source of wfac changed, and then only. Adding a source
# to wfac changes its CMakeLists.txt, which runs this again.
# Every folder of the programs' sources (a new one goes in this list).
set(host_sources "")
foreach(folder frame twiddle image flash startup programs)
  file(GLOB_RECURSE sources "${PROJECT_SOURCE_DIR}/${folder}/*")
  list(APPEND host_sources ${sources})
endforeach()
add_custom_command(OUTPUT "${host_stamp}"
  COMMAND ${host_build_command}
  COMMAND "${CMAKE_COMMAND}" -E touch "${host_stamp}"
  DEPENDS ${host_sources} "${PROJECT_SOURCE_DIR}/CMakeLists.txt"
          "${PROJECT_SOURCE_DIR}/cmake/WfacPrograms.cmake"
  BYPRODUCTS ${host_files}
  COMMENT "Building wfac's programs for the build host"
  VERBATIM)
add_custom_target(wfac_host_programs DEPENDS "${host_stamp}")
