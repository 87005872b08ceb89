# wfac_add_table(<target> PROGRAM <wfac_hw_gen|wfac_ww_gen|wfac_hh_gen>
#                SIZE <N> [SCALE <scale>] [NAME <symbol>] [OUTPUT <file>])
#
# Adds a build step that writes the program's table for [-s <scale>] <N> to
# <file>, byte for byte what the program writes, and compiles it into
# <target> as the array <symbol> (default w). <file> defaults to
# <symbol>.c with NAME and <program>_<N>.c without, in
# ${CMAKE_CURRENT_BINARY_DIR}, from which a relative path is taken too. The
# step runs again when the program, SIZE or SCALE change.
#
# Beside <file> it writes:
# - <stem>.h, which declares the array ("extern const short <symbol>[2 * K];"
#   or int, with C linkage in C++); its folder is on <target>'s include
#   path, for <target> and for what links it.
# - <stem>.wfac.c (.wfac.cpp in a project whose only language is C++), the
#   source that is compiled in the table's place: it includes the table,
#   names the array <symbol>, aligns it to 8 bytes on GCC and Clang (their
#   compilers ignore the table's DATA_ALIGN pragma), and gives it external C
#   linkage in C++. The unknown-pragma warning is off for that file alone.
#
# Each symbol and each file may come from one call only in the whole build:
# two tables of one name would collide, or silently pick one, at link time.

function(wfac_add_table target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PROGRAM;SIZE;SCALE;NAME;OUTPUT" "")
  set(call "wfac_add_table(${target})")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${call}: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "${call}: there is no target named '${target}'")
  endif()
  get_target_property(aliased "${target}" ALIASED_TARGET)
  get_target_property(imported "${target}" IMPORTED)
  get_target_property(type "${target}" TYPE)
  if(aliased)
    message(FATAL_ERROR "${call}: '${target}' is an alias; name the target itself, '${aliased}'")
  elseif(imported)
    message(FATAL_ERROR "${call}: '${target}' is imported, so nothing is compiled into it; "
                        "name a target of this project")
  elseif(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
    message(FATAL_ERROR "${call}: '${target}' is a target of type ${type}, which compiles no sources; "
                        "name an executable or a static, shared or object library")
  endif()
  if(NOT arg_PROGRAM MATCHES "^(wfac_hw_gen|wfac_ww_gen|wfac_hh_gen)$")
    message(FATAL_ERROR "${call}: PROGRAM must be wfac_hw_gen, wfac_ww_gen or "
                        "wfac_hh_gen, not '${arg_PROGRAM}'")
  endif()
  if(NOT DEFINED arg_SIZE)
    message(FATAL_ERROR "${call}: SIZE is missing")
  endif()
  set(sizes 16 32 64 128 256 512 1024 2048 4096 8192 16384 32768)
  if(NOT arg_SIZE IN_LIST sizes)
    message(FATAL_ERROR "${call}: SIZE must be a power of 2 from 16 to 32768, "
                        "not '${arg_SIZE}'")
  endif()
  # The scale is left to the program to check, which refuses a bad one at
  # build time with its own message.
  set(name w)
  if(DEFINED arg_NAME)
    if(NOT arg_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      message(FATAL_ERROR "${call}: NAME must be a C identifier (letters, digits and "
                          "underscores, not starting with a digit), not '${arg_NAME}'")
    endif()
    set(name "${arg_NAME}")
  endif()

  set(output "${arg_OUTPUT}")
  if(NOT output AND DEFINED arg_NAME)
    set(output "${name}.c")
  elseif(NOT output)
    set(output "${arg_PROGRAM}_${arg_SIZE}.c")
  endif()
  cmake_path(ABSOLUTE_PATH output BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" NORMALIZE)
  cmake_path(GET output PARENT_PATH dir)
  cmake_path(GET output FILENAME file_name)
  cmake_path(GET output STEM LAST_ONLY stem)
  set(header "${dir}/${stem}.h")

  # C where the project has it; a C++-only project compiles the table as C++.
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if("C" IN_LIST languages)
    set(lang C)
    set(wrapper "${dir}/${stem}.wfac.c")
  elseif("CXX" IN_LIST languages)
    set(lang CXX)
    set(wrapper "${dir}/${stem}.wfac.cpp")
  else()
    message(FATAL_ERROR "${call}: the project enables neither C nor C++, so the table cannot "
                        "be compiled; add C or CXX to its project() languages")
  endif()

  # One call per symbol and per file in the whole build.
  set(here "${call} in ${CMAKE_CURRENT_LIST_FILE}")
  get_property(earlier GLOBAL PROPERTY "wfac_table_symbol_${name}")
  if(earlier)
    message(FATAL_ERROR "${call}: the array '${name}' is already defined by ${earlier}; two "
                        "tables of one name collide or silently pick one at link time. Give "
                        "each table its own NAME.")
  endif()
  foreach(file "${output}" "${header}")
    string(SHA1 key "${file}")
    get_property(earlier GLOBAL PROPERTY "wfac_table_file_${key}")
    if(earlier)
      message(FATAL_ERROR "${call}: ${file} is already written by ${earlier}. Give each "
                          "table its own NAME or OUTPUT (with a stem of its own).")
    endif()
    set_property(GLOBAL PROPERTY "wfac_table_file_${key}" "${here}")
  endforeach()
  set_property(GLOBAL PROPERTY "wfac_table_symbol_${name}" "${here}")

  # The declared length, count / 2 as the table writes it: the count is
  # 2N - 8 when N is a power of 4 and 2N - 4 otherwise.
  if(arg_SIZE MATCHES "^(16|64|256|1024|4096|16384)$")
    math(EXPR half "${arg_SIZE} - 4")
  else()
    math(EXPR half "${arg_SIZE} - 2")
  endif()
  set(element short)
  if(arg_PROGRAM STREQUAL "wfac_ww_gen")
    set(element int)
  endif()
  string(MAKE_C_IDENTIFIER "WFAC_${stem}_H" guard)
  string(TOUPPER "${guard}" guard)
  file(CONFIGURE OUTPUT "${header}" @ONLY CONTENT
"/* The twiddle-factor table ${name}, written by ${arg_PROGRAM} into ${file_name}. */
#ifndef ${guard}
#define ${guard}
#ifdef __cplusplus
extern \"C\" {
#endif
extern const ${element} ${name}[2 * ${half}];
#ifdef __cplusplus
}
#endif
#endif
")
  set(rename "")
  if(NOT name STREQUAL "w")
    set(rename "#define w ${name}\n")
  endif()
  file(CONFIGURE OUTPUT "${wrapper}" @ONLY CONTENT
"/* Compiles the table ${file_name} as the array ${name}. */
#include \"${stem}.h\"
#ifdef __GNUC__
/* GCC and Clang ignore the table's alignment pragma; the definition takes
   its alignment from this declaration. */
extern const ${element} ${name}[2 * ${half}] __attribute__((aligned(8)));
#endif
${rename}#include \"${file_name}\"
")

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
    DEPENDS wfac::${arg_PROGRAM} "${program}" "${stamp}"
            "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacWriteTable.cmake"
    COMMENT "Generating ${output}"
    VERBATIM)
  # The table is only included, by the wrapper, which is compiled instead.
  target_sources("${target}" PRIVATE "${output}" "${wrapper}")
  set_source_files_properties("${output}" TARGET_DIRECTORY "${target}"
                              PROPERTIES HEADER_FILE_ONLY ON)
  set_source_files_properties("${wrapper}" TARGET_DIRECTORY "${target}" PROPERTIES
    LANGUAGE ${lang}
    COMPILE_OPTIONS "$<$<COMPILE_LANG_AND_ID:${lang},GNU,Clang,AppleClang>:-Wno-unknown-pragmas>;$<$<COMPILE_LANG_AND_ID:${lang},MSVC>:/wd4068>")
  target_include_directories("${target}" PUBLIC "$<BUILD_INTERFACE:${dir}>")
  if(TARGET wfac_host_programs)
    add_dependencies("${target}" wfac_host_programs)
  endif()
endfunction()
