# wfac_add_table(<target> PROGRAM <wfac_hw_gen|wfac_ww_gen|wfac_hh_gen>
#                SIZE <N> [SCALE <scale>] [OUTPUT <file>])
#
# Adds a build step that writes the program's table for [-s <scale>] <N> to
# <file> (default ${CMAKE_CURRENT_BINARY_DIR}/<program>_<N>.c; a relative
# path is taken from there) and compiles that file into <target>. The file
# holds exactly what the program writes. It is regenerated when the program,
# SIZE or SCALE change. Works with the installed package (find_package) and
# inside a project that adds wfac with add_subdirectory().

function(wfac_add_table target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PROGRAM;SIZE;SCALE;OUTPUT" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "wfac_add_table: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "wfac_add_table: there is no target named '${target}'")
  endif()
  if(NOT arg_PROGRAM MATCHES "^(wfac_hw_gen|wfac_ww_gen|wfac_hh_gen)$")
    message(FATAL_ERROR "wfac_add_table: PROGRAM must be wfac_hw_gen, wfac_ww_gen or "
                        "wfac_hh_gen, not '${arg_PROGRAM}'")
  endif()
  if(NOT DEFINED arg_SIZE)
    message(FATAL_ERROR "wfac_add_table: SIZE is missing")
  endif()
  set(sizes 16 32 64 128 256 512 1024 2048 4096 8192 16384 32768)
  if(NOT arg_SIZE IN_LIST sizes)
    message(FATAL_ERROR "wfac_add_table: SIZE must be a power of 2 from 16 to 32768, "
                        "not '${arg_SIZE}'")
  endif()
  # The scale is left to the program to check, which refuses a bad one at
  # build time with its own message.

  set(output "${arg_OUTPUT}")
  if(NOT output)
    set(output "${arg_PROGRAM}_${arg_SIZE}.c")
  endif()
  cmake_path(ABSOLUTE_PATH output BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")

  # A file that changes only when the program or its arguments do, so that a
  # changed SCALE reruns the step with any generator.
  string(SHA1 id "${output}")
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/wfac_tables/${id}.args")
  file(CONFIGURE OUTPUT "${stamp}" CONTENT "${arg_PROGRAM} ${arg_SCALE} ${arg_SIZE}\n")

  set(program "$<TARGET_FILE:wfac::${arg_PROGRAM}>")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=${program}" "-DSCALE=${arg_SCALE}"
            "-DSIZE=${arg_SIZE}" "-DOUTPUT=${output}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacWriteTable.cmake"
    DEPENDS "${program}" "${stamp}" "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacWriteTable.cmake"
    COMMENT "Generating ${output}"
    VERBATIM)
  target_sources("${target}" PRIVATE "${output}")
endfunction()
