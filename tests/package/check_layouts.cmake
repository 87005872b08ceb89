# Configures and builds tests/layouts in each of its layouts against the
# installed package. A layout that builds must give printers whose output
# is exactly the entries the program writes, and print what its image
# check prints when it links, but not in a build with nothing to do; one
# that must not stops the configure step with its message, or fails its
# build and the next, moving its image aside.
#   WFAC_BUILD, WFAC_SOURCE, WORK, GENERATOR, C_COMPILER, EXE, CONFIG.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
install_wfac("${WORK}/prefix")
set(bin "${WORK}/prefix/bin")

# layout[:CHECK_ARGS] | printer (its path in the build)=what it prints (lines before the
# table, then the program's command line) ... | ?what the build prints when it links (a
# regex), or layout | !the configure error, or layout | %the image whose check fails.
set(failed "does not hold its tables as they must be (1); it is moved to")
foreach(case
    "call_in_subfolder|app=wfac_hw_gen 256"
    "target_in_subfolder|app/app=wfac_hh_gen 128"
    "name_of_a_source|app=filter 42,wfac_ww_gen -s 1000 32"
    "two_executables|app=wfac_hw_gen 64|app2=wfac_hw_gen -s 1000 64"
    "executable_and_library|!wfac_add_table(dsp): the array 'w' is already defined by wfac_add_table(app)"
    "output_of_a_source|!wfac_add_table(app): OUTPUT @BUILD@/filter.c is where CMake looks for the source 'filter.c' of target 'app'"
    "keyword_name|!wfac_add_table(app): NAME 'int' is a keyword of C or C++"
    "keyword_twice|!wfac_add_table(app): SIZE is given 2 times; give it once"
    "linked_build|app=wfac_hw_gen 16"
    "check_in_parent|app/app=wfac_hh_gen 128|?\nw_hh128: [^\n]*: ok, as the system loads it\n"
    "shared_library|app=filter 42,wfac_hw_gen 16|?\nw_filter: [^\n]*: ok, as the system loads it\n"
    "stripped_in_subfolder|%app/app"
    "stripped_after_call|%app"
    "check_args:UNTIL,main,UNTIL,main|!wfac_check_image(app): UNTIL is given 2 times; give it once"
    "check_args:SKIP|!wfac_check_image(app): SKIP is given no function"
    "check_args:FLASH_FILES,app.hex,|!wfac_check_image(app): FLASH_FILES is given an empty file name"
    "check_args:UNTIL,main,main2|!wfac_check_image(app): unexpected argument 'main2'"
    "check_args:ASSUME_COPIED,-data|!wfac_check_image(app): ASSUME_COPIED '-data' begins with '-'")
  string(REPLACE "|" ";" case "${case}")
  list(POP_FRONT case layout)
  set(check_args "")
  if(layout MATCHES "^([^:]+):(.*)")
    set(layout "${CMAKE_MATCH_1}")
    set(check_args "${CMAKE_MATCH_2}")
  endif()
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
      "-DCMAKE_PREFIX_PATH=${WORK}/prefix" "-DLAYOUT=${layout}" "-DCHECK_ARGS=${check_args}")
  if(case MATCHES "^!(.*)")
    string(REPLACE "@BUILD@" "${build}" message "${CMAKE_MATCH_1}")
    expect_failure("layout ${layout}" "${message}")
    continue()
  endif()
  expect_ok("configure of layout ${layout}")
  set(build_it "${CMAKE_COMMAND}" --build "${build}" --config "${CONFIG}" --parallel 2)
  if(case MATCHES "^%(.*)")
    set(image "${CMAKE_MATCH_1}${EXE}")
    foreach(attempt first second)
      run(${build_it})
      find_built(rejected "${build}" "${image}.rejected")
      string(REGEX REPLACE "[.]rejected$" "" kept "${rejected}")
      expect_failure("the ${attempt} build of layout ${layout}"
                     "wfac_check_image(app): ${kept} ${failed} ${rejected}")
      if(EXISTS "${kept}")
        message(FATAL_ERROR "the ${attempt} build of layout ${layout} left ${kept}")
      endif()
    endforeach()
    continue()
  endif()
  run(${build_it})
  expect_ok("build of layout ${layout}")
  set(linked "${output}")
  foreach(printer IN LISTS case)
    if(printer MATCHES "^[?](.*)")
      # After each link, and then only: not in a build with nothing to do,
      # again once the image is gone.
      set(printed "${CMAKE_MATCH_1}")
      run(${build_it})
      set(no_op "${output}")
      find_built(image "${build}" "${exe}${EXE}")
      file(REMOVE "${image}")
      run(${build_it})
      if(NOT linked MATCHES "${printed}" OR no_op MATCHES "${printed}" OR NOT output MATCHES "${printed}")
        message(FATAL_ERROR "layout ${layout} should print '${printed}' after each link, and "
                            "then only:\n${linked}\n--- then:\n${no_op}\n--- then:\n${output}")
      endif()
      continue()
    endif()
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
