# Configures and builds tests/layouts in each of its layouts against the
# installed package. A layout that builds must give printers whose output
# is exactly the entries the program writes; one that must not stops the
# configure step with its message.
#   WFAC_BUILD, WFAC_SOURCE, WORK, GENERATOR, C_COMPILER, EXE, CONFIG.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
install_wfac("${WORK}/prefix")
set(bin "${WORK}/prefix/bin")

# layout | printer (its path in the build)=what it prints (lines before the table, then the
# program's command line) ... , or layout | !the configure error.
foreach(case
    "call_in_subfolder|app=wfac_hw_gen 256"
    "target_in_subfolder|app/app=wfac_hh_gen 128"
    "name_of_a_source|app=filter 42,wfac_ww_gen -s 1000 32"
    "two_executables|app=wfac_hw_gen 64|app2=wfac_hw_gen -s 1000 64"
    "executable_and_library|!wfac_add_table(dsp): the array 'w' is already defined by wfac_add_table(app)"
    "output_of_a_source|!wfac_add_table(app): OUTPUT @BUILD@/filter.c is where CMake looks for the source 'filter.c' of target 'app'"
    "keyword_name|!wfac_add_table(app): NAME 'int' is a keyword of C or C++"
    "keyword_twice|!wfac_add_table(app): SIZE is given 2 times; give it once"
    "linked_build|app=wfac_hw_gen 16")
  string(REPLACE "|" ";" case "${case}")
  list(POP_FRONT case layout)
  set(build "${WORK}/${layout}")
  if(layout STREQUAL "linked_build")
    if(CMAKE_HOST_WIN32)
      continue()
    endif()
    # The link's target is two folders deeper, beside a wrong table.
    set(physical "${WORK}/physical/deep")
    file(WRITE "${physical}/gen/w_gen.h" "extern const short w_gen[24];\n")
    file(WRITE "${physical}/gen/w_gen.c" "const short w[24] = {1};\n")
    file(MAKE_DIRECTORY "${physical}/${layout}")
    file(CREATE_LINK "${physical}/${layout}" "${build}" SYMBOLIC)
  endif()
  run("${CMAKE_COMMAND}" -S "${WFAC_SOURCE}/tests/layouts" -B "${build}" -G "${GENERATOR}"
      "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_BUILD_TYPE=${CONFIG}"
      "-DCMAKE_PREFIX_PATH=${WORK}/prefix" "-DLAYOUT=${layout}")
  if(case MATCHES "^!(.*)")
    string(REPLACE "@BUILD@" "${build}" message "${CMAKE_MATCH_1}")
    expect_failure("layout ${layout}" "${message}")
    continue()
  endif()
  expect_ok("configure of layout ${layout}")
  run("${CMAKE_COMMAND}" --build "${build}" --config "${CONFIG}" --parallel 2)
  expect_ok("build of layout ${layout}")
  foreach(printer IN LISTS case)
    string(REGEX MATCH "^([^=]+)=(.*)" _ "${printer}")
    set(exe "${CMAKE_MATCH_1}")
    string(REPLACE "," ";" want "${CMAKE_MATCH_2}")
    list(POP_BACK want command)
    separate_arguments(command UNIX_COMMAND "${command}")
    list(POP_FRONT command program)
    program_entries(entries "${bin}/${program}${EXE}" ${command})
    list(APPEND want ${entries})
    string(REPLACE ";" "\n" want "${want}")
    expect_prints("${build}" ${exe}${EXE} "${want}")
  endforeach()
endforeach()
