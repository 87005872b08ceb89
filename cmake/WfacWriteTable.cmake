# Writes a twiddle-factor table, the header that declares it and the
# wrapper to compile in its place: the build step of wfac_add_table(), and
# the same for a build that does not use CMake, for example
#
#   cmake -DPROGRAM=wfac_hw_gen -DSIZE=256 -DNAME=w_hw256 -DOUTPUT=tables/w_hw256.c \
#         -P /usr/local/lib/cmake/wfac/WfacWriteTable.cmake
#
# with SCALE, ALIGN and SECTION as further -D arguments. The arguments,
# defaults and checks are wfac_add_table()'s. PROGRAM is a program's name,
# looked for in the bin/ folder of the install that holds this file and
# then on the PATH, or the path of one. OUTPUT, the table, byte for byte
# what the program writes, defaults to <symbol>.c with NAME and
# <program>_<N>.c without, and a relative one is taken from the current
# folder. Beside it go <stem>.h, which declares the array (aligned to ALIGN
# bytes, default 8, and in section SECTION on GCC and Clang) and gives the
# offsets of the smaller tables within it, and <stem>.wfac.c, the source to
# compile, which quiets the table's pragma itself and stops when the header
# beside it was written for other arguments (by another build that shares
# the OUTPUT). A build that reads the version from the install passes
#   VERSION  the version it read; a writer of another version refuses
# and wfac_add_table() also gives
#   WRAPPER  where the wrapper goes instead
#   CALL     the call that a message names first
#
# A refused argument ends the run before anything is created. Runs on one
# OUTPUT take turns (a lock, .wfac-<id>.lock, beside the table). Each file
# is written to a temporary file beside it (.wfac-<id>.*.tmp), every
# write is read back, and the files are moved into place only after
# everything succeeded, the table last: make and Ninja key on it, so a run
# killed at any point leaves the step out of date, and the next run
# removes the killed run's temporary files. A file under one of the three
# names that this writer did not write is never replaced. Any failure removes
# what an earlier run left under those names (never a file this writer did
# not write), so that no build can go on with an old table, and ends with
# one message and a status other than 0.
cmake_minimum_required(VERSION 3.22...4.3)
include("${CMAKE_CURRENT_LIST_DIR}/WfacVersion.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/WfacTableArgs.cmake")

if(NOT DEFINED CALL)
  set(CALL "WfacWriteTable")
endif()
_wfac_table_keywords(keywords)
foreach(argument IN LISTS keywords ITEMS WRAPPER)
  if(DEFINED ${argument})
    set(table_${argument} "${${argument}}")
  endif()
endforeach()
_wfac_table_forget_empty()
# PROGRAM may be a path; the checks take its name.
if(PROGRAM MATCHES "[/\\\\]")
  cmake_path(GET PROGRAM STEM table_PROGRAM)
endif()
set(table_BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
set(table_DEFAULT_DIR "${CMAKE_CURRENT_BINARY_DIR}")
_wfac_check_table_args()
set(output "${table_output}")
set(header "${table_header}")
set(wrapper "${table_wrapper}")
set(files "")
if(output)
  set(files "${output}" "${header}" "${wrapper}")
endif()
# The temporary files, known once the lock is held.
set(partials "")

# Ends the run after a failure: removes the files of this and any earlier
# run, and says what went wrong, the arguments joined. A file under one of
# the names that is not one this writer wrote is left alone.
function(fail)
  set(message "")
  math(EXPR last "${ARGC} - 1")
  foreach(index RANGE ${last})
    string(APPEND message "${ARGV${index}}")
  endforeach()
  set(ours ${partials})
  foreach(file IN LISTS files)
    if(EXISTS "${file}")
      _wfac_written_by_wfac("${file}" written)
      if(written)
        list(APPEND ours "${file}")
      endif()
    endif()
  endforeach()
  if(ours)
    file(REMOVE ${ours})
  endif()
  message(FATAL_ERROR "${CALL}: ${message}")
endfunction()

# Runs a command for its status alone; a failure ends the run with
# "<what> (<the system's reason>)".
function(run_checked what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE reason)
  if(NOT status EQUAL 0)
    string(STRIP "${reason}" reason)
    if(reason STREQUAL "")
      set(reason "${status}")
    endif()
    fail("${what} (${reason})")
  endif()
endfunction()

# A refused run creates nothing, not even a folder or a lock.
if(table_error)
  fail("${table_error}")
endif()
# A build that passes the version it read from the install (make, Meson)
# was set up for this writer's.
if(DEFINED VERSION AND NOT VERSION STREQUAL WFAC_VERSION)
  fail("VERSION is '${VERSION}', the wfac that the build was set up with, but this writer "
       "is wfac ${WFAC_VERSION}; set the build up again (meson setup --reconfigure)")
endif()

cmake_path(GET output PARENT_PATH dir)
cmake_path(GET output FILENAME table_file)
cmake_path(GET wrapper PARENT_PATH wrapper_dir)
run_checked("cannot make the folder ${dir}" "${CMAKE_COMMAND}" -E make_directory "${dir}")
run_checked("cannot make the folder ${wrapper_dir}"
            "${CMAKE_COMMAND}" -E make_directory "${wrapper_dir}")
# The lock and the temporary files lie beside the table, in a folder of the
# user's, which runs from any TMPDIR, host or container share. They are
# named by the table's real path, which every route to it shares; the names
# are short, so that a long NAME still fits, and the same in every run, so
# that each run clears what a killed one left.
file(REAL_PATH "${dir}" real_dir)
file(REAL_PATH "${wrapper_dir}" real_wrapper_dir)
string(SHA1 id "${real_dir}/${table_file}")
string(SUBSTRING "${id}" 0 12 id)
set(lock "${dir}/.wfac-${id}.lock")
# A process holds the lock until it ends.
file(LOCK "${lock}" GUARD PROCESS RESULT_VARIABLE status TIMEOUT 1)
if(status STREQUAL "Timeout reached")
  message(NOTICE "${CALL}: waiting for another run that writes ${output} (it holds ${lock})")
  file(LOCK "${lock}" GUARD PROCESS RESULT_VARIABLE status TIMEOUT 600)
endif()
if(NOT status EQUAL 0)
  # Nothing is removed: the files may be another run's.
  set(files "")
  fail("cannot lock ${lock}, which keeps two runs from writing ${output} at once (${status})")
endif()
set(partial_table "${dir}/.wfac-${id}.c.tmp")
set(partial_header "${dir}/.wfac-${id}.h.tmp")
set(partial_wrapper "${wrapper_dir}/.wfac-${id}.w.tmp")
set(partials "${partial_table}" "${partial_header}" "${partial_wrapper}")
file(REMOVE ${partials})

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
if(DEFINED table_SCALE)
  set(args -s "${table_SCALE}" "${SIZE}")
endif()
string(REPLACE ";" " " command "${table_PROGRAM};${args}")

# Creates file, empty, or ends the run with the system's reason. Opening
# the table's file apart from the program tells a folder that cannot be
# written from a program that failed.
function(create_checked file)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E true OUTPUT_FILE "${file}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("cannot write ${file}, the temporary file of ${output} (${status})")
  endif()
endfunction()
create_checked("${partial_table}")
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

# Writes text to file and reads it back: CMake's file(WRITE) does not
# report a write that the file system cut short (a full disk).
function(write_checked file text)
  create_checked("${file}")
  file(WRITE "${file}" "${text}")
  file(READ "${file}" written)
  if(NOT written STREQUAL text)
    # Copying a file of the same folder gives the system's reason.
    file(COPY_FILE "${partial_table}" "${file}" RESULT reason)
    if(reason STREQUAL "0")
      set(reason "the file system wrote it short")
    endif()
    fail("cannot write ${file}, the temporary file of ${output} (${reason})")
  endif()
endfunction()

cmake_path(GET output STEM LAST_ONLY stem)
string(MAKE_C_IDENTIFIER "WFAC_${stem}" prefix)
string(TOUPPER "${prefix}" prefix)
set(guard "${prefix}_H")
# Two builds (say Debug and Release, or two boards) may share an OUTPUT
# outside both, and neither reruns its step when the other rewrites the
# table. The header names its arguments by a number that fits #if; each
# build's wrapper says which it wants, and a compile of a table written for
# other arguments stops there, naming both.
set(arguments "${command}, NAME ${table_name}, ALIGN ${table_align}")
if(DEFINED table_SECTION)
  string(APPEND arguments ", SECTION ${table_SECTION}")
endif()
string(SHA1 arguments_id "${arguments}")
string(SUBSTRING "${arguments_id}" 0 7 arguments_id)
set(arguments_id "0x${arguments_id}")
string(REPLACE "\\" "\\\\" shown_file "${table_file}")
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
if(DEFINED table_SECTION)
  string(APPEND attributes ", section(\"${table_SECTION}\")")
endif()
# The header and the wrapper, from templates that read as the C they
# give. The header's first line says what wrote the table, and nothing
# that changes from one build to the next: no date, no path.
file(READ "${CMAKE_CURRENT_LIST_DIR}/WfacTableHeader.h.in" template)
string(CONFIGURE "${template}" text @ONLY)
write_checked("${partial_header}" "${text}")

# The wrapper includes the header and the table by their names when they
# lie in its own folder, where the compiler looks first, and else by their
# real paths: a relative path would be followed from the physical folder,
# which a symbolic link makes another one, and a bare name could find a
# file of that name on the include path.
cmake_path(GET header FILENAME header_path)
set(output_path "${table_file}")
if(NOT real_dir STREQUAL real_wrapper_dir)
  set(header_path "${real_dir}/${header_path}")
  set(output_path "${real_dir}/${table_file}")
endif()
set(rename "")
if(NOT table_name STREQUAL "w")
  set(rename "#define w ${table_name}\n")
endif()
# The table's DATA_ALIGN pragma is for compilers that know it; the others
# would warn of an unknown pragma, an error under -Werror. Clang takes the
# GCC form with either driver (clang-cl defines no __GNUC__). g++ before
# 13 ignores this for C++, where wfac_add_table() turns the warning off
# for the file.
file(READ "${CMAKE_CURRENT_LIST_DIR}/WfacTableWrapper.c.in" template)
string(CONFIGURE "${template}" text @ONLY)
write_checked("${partial_wrapper}" "${text}")

# The table last: with it still old, a run stopped before this point
# leaves the step to be run again.
foreach(partial file IN ZIP_LISTS partials files)
  if(file STREQUAL output)
    continue()
  endif()
  file(RENAME "${partial}" "${file}" RESULT status)
  if(NOT status EQUAL 0)
    fail("cannot replace ${file} (${status})")
  endif()
endforeach()
file(RENAME "${partial_table}" "${output}" RESULT status)
if(NOT status EQUAL 0)
  fail("cannot replace ${output} (${status})")
endif()
