# Writes a twiddle-factor table, the header that declares it and the
# wrapper to compile in its place: the build step of wfac_add_table(), and
# the same for a build that does not use CMake, run as
#
#   cmake -DPROGRAM=wfac_hw_gen -DSIZE=256 [-DSCALE=<scale>] [-DNAME=<symbol>]
#         [-DOUTPUT=<file>] [-DALIGN=<bytes>] [-DSECTION=<name>] -P WfacWriteTable.cmake
#
# The arguments, defaults and checks are wfac_add_table()'s. PROGRAM is a
# program's name, looked for in the bin/ folder of the install that holds
# this file and then on the PATH, or the path of one. OUTPUT, the table,
# byte for byte what the program writes, defaults to <symbol>.c with NAME
# and <program>_<N>.c without, and a relative one is taken from the current
# folder. Beside it go <stem>.h, which declares the array (aligned to ALIGN
# bytes, default 8, and in section SECTION on GCC and Clang) and gives the
# offsets of the smaller tables within it, and <stem>.wfac.c, the source to
# compile with the unknown-pragma warning off. wfac_add_table() also gives
#   WRAPPER  where the wrapper goes instead
#   CALL     the call that a message names first
#
# Each file is written to a temporary file beside it first, and all three
# are moved into place only after everything succeeded, so no build ever
# reads a partial file. Any failure removes what an earlier run left under
# those names, so that no build can go on with an old table, and ends with
# one message and a status other than 0.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/WfacVersion.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/WfacTableArgs.cmake")

if(NOT DEFINED CALL)
  set(CALL "WfacWriteTable")
endif()
# PROGRAM may be a path; the checks take its name.
set(table_PROGRAM "${PROGRAM}")
if(PROGRAM MATCHES "[/\\\\]")
  cmake_path(GET PROGRAM STEM table_PROGRAM)
endif()
foreach(argument SIZE ALIGN SECTION)
  if(DEFINED ${argument})
    set(table_${argument} "${${argument}}")
  endif()
endforeach()
# An empty NAME, OUTPUT or SCALE is one not given, as with wfac_add_table().
if(NOT "${NAME}" STREQUAL "")
  set(table_NAME "${NAME}")
endif()
_wfac_check_table_args()

# The files, as far as the arguments name them.
set(files "")
if(NOT "${OUTPUT}" STREQUAL "")
  set(output "${OUTPUT}")
elseif(table_stem)
  set(output "${table_stem}.c")
endif()
if(DEFINED output)
  cmake_path(ABSOLUTE_PATH output BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" NORMALIZE)
  cmake_path(GET output PARENT_PATH dir)
  cmake_path(GET output FILENAME table_file)
  cmake_path(GET output STEM LAST_ONLY stem)
  set(header "${dir}/${stem}.h")
  set(wrapper "${dir}/${stem}.wfac.c")
  if(DEFINED WRAPPER)
    set(wrapper "${WRAPPER}")
  endif()
  set(files "${output}" "${header}" "${wrapper}")
endif()

# Ends the run after a failure: removes the files of this and any earlier
# run, and says what went wrong.
macro(fail)
  if(partials OR files)
    file(REMOVE ${partials} ${files})
  endif()
  string(CONCAT message ${ARGN})
  message(FATAL_ERROR "${CALL}: ${message}")
endmacro()
set(partials "")

if(table_error)
  fail("${table_error}")
elseif(NOT files)
  fail("OUTPUT is missing")
endif()

if(NOT "${PROGRAM}" STREQUAL "${table_PROGRAM}")
  set(program "${PROGRAM}")
else()
  # The install that holds this file in lib/cmake/wfac holds the programs
  # in bin/.
  set(install_bin "")
  if(CMAKE_CURRENT_LIST_DIR MATCHES "/lib/cmake/wfac$")
    cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH install_bin)
    cmake_path(GET install_bin PARENT_PATH install_bin)
    cmake_path(GET install_bin PARENT_PATH install_bin)
    cmake_path(APPEND install_bin bin)
    find_program(program ${PROGRAM} PATHS "${install_bin}" NO_DEFAULT_PATH NO_CACHE)
  endif()
  if(NOT program)
    find_program(program ${PROGRAM} NO_CACHE)
  endif()
  if(NOT program AND install_bin)
    fail("PROGRAM ${PROGRAM} is neither in ${install_bin} nor on the PATH. Give its path.")
  elseif(NOT program)
    fail("PROGRAM ${PROGRAM} is not on the PATH. Give its path.")
  endif()
endif()
set(args "${SIZE}")
if(NOT "${SCALE}" STREQUAL "")
  set(args -s "${SCALE}" "${SIZE}")
endif()
string(REPLACE ";" " " command "${table_PROGRAM};${args}")

string(RANDOM LENGTH 8 tag)
foreach(file IN LISTS files)
  list(APPEND partials "${file}.${tag}.tmp")
endforeach()
list(GET partials 0 partial_table)
list(GET partials 1 partial_header)
list(GET partials 2 partial_wrapper)

file(MAKE_DIRECTORY "${dir}")
cmake_path(GET wrapper PARENT_PATH wrapper_dir)
file(MAKE_DIRECTORY "${wrapper_dir}")
# The program's standard error passes straight through.
execute_process(COMMAND "${program}" ${args} OUTPUT_FILE "${partial_table}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("'${command}' failed (${status}), so ${output} and its header and wrapper are not "
       "written")
endif()

# The declaration as the table itself gives it.
file(STRINGS "${partial_table}" declaration REGEX "^const (short|int) w\\[2 \\* [0-9]+\\] =$")
if(NOT declaration MATCHES "^const (short|int) w\\[2 \\* ([0-9]+)\\] =$")
  fail("${program} wrote no table declaration; is it a wfac program?")
endif()
set(element "${CMAKE_MATCH_1}")
set(declared "${table_name}[2 * ${CMAKE_MATCH_2}]")

string(MAKE_C_IDENTIFIER "WFAC_${stem}_H" guard)
string(TOUPPER "${guard}" guard)
# The table of N/4 is the end of the table of N: its stages are those of N
# from stride 4 on, at the same angles. So the table of N holds those of N,
# N/4, N/16, ... down to 16, the one of M from index 2N - 2M on (count(N) -
# count(M), as both sizes are powers of 4 or neither is).
string(TOUPPER "${table_name}" symbol)
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
#error \"${table_name} holds 32-bit entries as int, but this target's int is narrower than 32 bits\"
#endif
")
endif()
# GCC and Clang ignore the table's DATA_ALIGN pragma; the definition takes
# its alignment, and its section, from this, the array's only declaration.
set(attributes "aligned(${table_align})")
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
foreach(file header output)
  cmake_path(RELATIVE_PATH ${file} BASE_DIRECTORY "${wrapper_dir}" OUTPUT_VARIABLE ${file}_path)
  if(IS_ABSOLUTE "${${file}_path}" OR "${${file}_path}" STREQUAL "")
    set(${file}_path "${${file}}")
  endif()
endforeach()
set(rename "")
if(NOT table_name STREQUAL "w")
  set(rename "#define w ${table_name}\n")
endif()
file(WRITE "${partial_wrapper}"
"/* Compiles the table ${table_file} as the array ${table_name}. */
#include \"${header_path}\"
${rename}#include \"${output_path}\"
")

foreach(partial file IN ZIP_LISTS partials files)
  file(RENAME "${partial}" "${file}")
endforeach()
