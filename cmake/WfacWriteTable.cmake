# Build step of wfac_add_table(): the one writer of a table's three files.
#   PROGRAM  the program to run (a path)
#   SIZE     N;  SCALE  the scale, or empty for the program's default
#   NAME     the array's name
#   OUTPUT   the table, byte for byte what the program writes; beside it
#            <stem>.h, the header that declares the array
#   WRAPPER  the source compiled in the table's place
#   ALIGN    the array's alignment in bytes on GCC and Clang
#   SECTION  the array's linker section on GCC and Clang, when defined
#   CALL     the wfac_add_table() call, named in the message of a failure
#
# Each file is written to a temporary file beside it first, and all three
# are moved into place only after the program exited with status 0, so no
# build ever reads a partial file. A failed run removes what an earlier run
# left under those names, so that no build can go on with an old table.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/WfacVersion.cmake")

cmake_path(GET OUTPUT PARENT_PATH dir)
cmake_path(GET OUTPUT FILENAME table_file)
cmake_path(GET OUTPUT STEM LAST_ONLY stem)
set(header "${dir}/${stem}.h")
cmake_path(GET PROGRAM STEM program_name)
set(args "${SIZE}")
if(NOT SCALE STREQUAL "")
  set(args -s "${SCALE}" "${SIZE}")
endif()
string(REPLACE ";" " " command "${program_name};${args}")

string(RANDOM LENGTH 8 tag)
set(files "${OUTPUT}" "${header}" "${WRAPPER}")
set(partials "")
foreach(file IN LISTS files)
  list(APPEND partials "${file}.${tag}.tmp")
endforeach()
list(GET partials 0 partial_table)
list(GET partials 1 partial_header)
list(GET partials 2 partial_wrapper)

file(MAKE_DIRECTORY "${dir}")
# The program's standard error passes straight through to the build's.
execute_process(COMMAND "${PROGRAM}" ${args} OUTPUT_FILE "${partial_table}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${partials} ${files})
  message(FATAL_ERROR "${CALL}: '${command}' failed (${status}), so ${OUTPUT} and its header "
                      "and wrapper are not written")
endif()

# The declaration as the table itself gives it.
file(STRINGS "${partial_table}" declaration REGEX "^const (short|int) w\\[2 \\* [0-9]+\\] =$")
if(NOT declaration MATCHES "^const (short|int) w\\[2 \\* ([0-9]+)\\] =$")
  file(REMOVE ${partials} ${files})
  message(FATAL_ERROR "${CALL}: ${PROGRAM} wrote no table declaration; is it a wfac program?")
endif()
set(element "${CMAKE_MATCH_1}")
set(declared "${NAME}[2 * ${CMAKE_MATCH_2}]")

string(MAKE_C_IDENTIFIER "WFAC_${stem}_H" guard)
string(TOUPPER "${guard}" guard)
# The table of N/4 is the end of the table of N: its stages are those of N
# from stride 4 on, at the same angles. So the table of N holds those of N,
# N/4, N/16, ... down to 16, the one of M from index 2N - 2M on (count(N) -
# count(M), as both sizes are powers of 4 or neither is).
string(TOUPPER "${NAME}" symbol)
set(offsets "")
set(size ${SIZE})
while(size GREATER_EQUAL 16)
  math(EXPR offset "2 * ${SIZE} - 2 * ${size}")
  string(APPEND offsets "#define ${symbol}_OFFSET_${size} ${offset}\n")
  math(EXPR size "${size} / 4")
endwhile()
# 32-bit entries as int need an int of 32 bits; on a target with a 16-bit
# int every entry would be cut to its low 16 bits.
set(int_check "")
if(element STREQUAL "int")
  set(int_check "#include <limits.h>
#if INT_MAX < 2147483647
#error \"${NAME} holds 32-bit entries as int, but this target's int is narrower than 32 bits\"
#endif
")
endif()
# GCC and Clang ignore the table's DATA_ALIGN pragma; the definition takes
# its alignment, and its section, from this, the array's only declaration.
set(attributes "aligned(${ALIGN})")
if(DEFINED SECTION)
  string(APPEND attributes ", section(\"${SECTION}\")")
endif()
# The first line says what wrote the table, and nothing that changes from
# one build to the next: no date, no path.
file(WRITE "${partial_header}"
"/* ${table_file}: written by wfac ${WFAC_VERSION}, ${command} */
#ifndef ${guard}
#define ${guard}
${int_check}/* The table of size M starts at index ${symbol}_OFFSET_<M>. */
${offsets}#ifdef __cplusplus
extern \"C\" {
#endif
#ifdef __GNUC__
extern const ${element} ${declared} __attribute__((${attributes}));
#else
extern const ${element} ${declared};
#endif
#ifdef __cplusplus
}
#endif
#endif
")

# The wrapper reaches the header and the table by their paths from its own
# folder, so that no file of the same name on an include path stands in.
cmake_path(GET WRAPPER PARENT_PATH wrapper_dir)
foreach(file header OUTPUT)
  cmake_path(RELATIVE_PATH ${file} BASE_DIRECTORY "${wrapper_dir}" OUTPUT_VARIABLE ${file}_path)
  if(IS_ABSOLUTE "${${file}_path}" OR "${${file}_path}" STREQUAL "")
    set(${file}_path "${${file}}")
  endif()
endforeach()
set(rename "")
if(NOT NAME STREQUAL "w")
  set(rename "#define w ${NAME}\n")
endif()
file(WRITE "${partial_wrapper}"
"/* Compiles the table ${table_file} as the array ${NAME}. */
#include \"${header_path}\"
${rename}#include \"${OUTPUT_path}\"
")

foreach(partial file IN ZIP_LISTS partials files)
  file(RENAME "${partial}" "${file}")
endforeach()
