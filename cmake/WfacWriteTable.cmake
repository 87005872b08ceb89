# Writes a twiddle-factor table, the header that declares it and the
# wrapper to compile in its place: the build step of wfac_add_table(), and
# the same for a build that does not use CMake, for example
#
#   cmake -DPROGRAM=wfac_hw_gen -DSIZE=256 -DNAME=w_hw256 -DOUTPUT=tables/w_hw256.c \
#         -P /usr/local/lib/cmake/wfac/WfacWriteTable.cmake
#
# with the other arguments of a table (_wfac_table_arguments() in
# WfacTableArgs.cmake) as further -D definitions. The arguments, defaults
# and checks are wfac_add_table()'s. PROGRAM is a program's name, looked for
# in the bin/ folder of the install that holds this file and then on the
# PATH, or the path of one. OUTPUT, the table, byte for byte what the
# program writes, defaults to <symbol>.c with NAME and <program>_<N>.c
# without, and a relative one is taken from the current folder. Beside it
# go <stem>.h, which declares the array (aligned to ALIGN bytes, default 8,
# and in section SECTION on GCC and Clang) and gives the offsets of the
# smaller tables within it, and <stem>.wfac.c, the source to compile, which
# quiets the table's pragma itself and stops when the header beside it was
# written for other arguments (by another build that shares the OUTPUT).
# The C text of both comes from the templates WfacTable*.in beside this
# file. A build that reads the version from the install passes
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

# What a failure ends with, set by the run as it goes on:
#   CALL <call>         the call that its message names first
#   FILES <file>...     the table, header and wrapper, removed when this
#                       writer wrote them
#   PARTIALS <file>...  the run's temporary files, removed
function(on_failure)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "CALL" "FILES;PARTIALS")
  set_property(GLOBAL PROPERTY wfac_write_call "${arg_CALL}")
  set_property(GLOBAL PROPERTY wfac_write_files "${arg_FILES}")
  set_property(GLOBAL PROPERTY wfac_write_partials "${arg_PARTIALS}")
endfunction()

# Ends the run after a failure: removes what on_failure() names, and says
# what went wrong, the arguments joined.
function(fail)
  set(message "")
  math(EXPR last "${ARGC} - 1")
  foreach(index RANGE ${last})
    string(APPEND message "${ARGV${index}}")
  endforeach()
  get_property(call GLOBAL PROPERTY wfac_write_call)
  get_property(files GLOBAL PROPERTY wfac_write_files)
  get_property(remove GLOBAL PROPERTY wfac_write_partials)
  foreach(file IN LISTS files)
    if(EXISTS "${file}")
      _wfac_written_by_wfac("${file}" written)
      if(written)
        list(APPEND remove "${file}")
      endif()
    endif()
  endforeach()
  if(remove)
    file(REMOVE ${remove})
  endif()
  message(FATAL_ERROR "${call}: ${message}")
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

# Creates file, one of the temporary files of the table output, empty, or
# ends the run with the system's reason. Opening the table's file apart
# from the program tells a folder that cannot be written from a program
# that failed.
function(create_checked file output)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E true OUTPUT_FILE "${file}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("cannot write ${file}, the temporary file of ${output} (${status})")
  endif()
endfunction()

# Writes text to file, a temporary file of output, and reads it back:
# CMake's file(WRITE) does not report a write that the file system cut short
# (a full disk). Copying model, a file of the same folder, onto it then
# gives the system's reason.
function(write_checked file text output model)
  create_checked("${file}" "${output}")
  file(WRITE "${file}" "${text}")
  file(READ "${file}" written)
  if(NOT written STREQUAL text)
    file(COPY_FILE "${model}" "${file}" RESULT reason)
    if(reason STREQUAL "0")
      set(reason "the file system wrote it short")
    endif()
    fail("cannot write ${file}, the temporary file of ${output} (${reason})")
  endif()
endfunction()

# fill(<var> <template> [<name> <value>]...) sets var to the text of
# template, a file beside this one, with each @<name>@ in it filled from
# the pairs that follow; every name in the template must be given.
function(fill)
  file(READ "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${ARGV1}" _wfac_text)
  string(REGEX MATCHALL "@[A-Za-z_][A-Za-z0-9_]*@" _wfac_missing "${_wfac_text}")
  math(EXPR _wfac_last "${ARGC} - 1")
  foreach(_wfac_index RANGE 2 ${_wfac_last} 2)
    math(EXPR _wfac_next "${_wfac_index} + 1")
    set(_wfac_name "${ARGV${_wfac_index}}")
    set("${_wfac_name}" "${ARGV${_wfac_next}}")
    list(REMOVE_ITEM _wfac_missing "@${_wfac_name}@")
  endforeach()
  if(_wfac_missing)
    message(FATAL_ERROR "${ARGV1} uses ${_wfac_missing}, which fill() is not given")
  endif()
  string(CONFIGURE "${_wfac_text}" _wfac_text @ONLY)
  set(${ARGV0} "${_wfac_text}" PARENT_SCOPE)
endfunction()

# Makes the folders of the table output and of its wrapper, takes the lock
# beside the table (held until the run ends), and sets partials_var to the
# temporary files of the table, the header and the wrapper, with what a
# killed run left there removed.
function(lock_table partials_var output wrapper)
  cmake_path(GET output PARENT_PATH dir)
  cmake_path(GET output FILENAME table_file)
  cmake_path(GET wrapper PARENT_PATH wrapper_dir)
  run_checked("cannot make the folder ${dir}" "${CMAKE_COMMAND}" -E make_directory "${dir}")
  run_checked("cannot make the folder ${wrapper_dir}"
              "${CMAKE_COMMAND}" -E make_directory "${wrapper_dir}")
  # The lock and the temporary files lie beside the table, in a folder of
  # the user's, which runs from any TMPDIR, host or container share. They
  # are named by the table's real path, which every route to it shares; the
  # names are short, so that a long NAME still fits, and the same in every
  # run, so that each run clears what a killed one left.
  file(REAL_PATH "${dir}" real_dir)
  string(SHA1 id "${real_dir}/${table_file}")
  string(SUBSTRING "${id}" 0 12 id)
  set(lock "${dir}/.wfac-${id}.lock")
  # A process holds the lock until it ends.
  file(LOCK "${lock}" GUARD PROCESS RESULT_VARIABLE status TIMEOUT 1)
  if(status STREQUAL "Timeout reached")
    get_property(call GLOBAL PROPERTY wfac_write_call)
    message(NOTICE "${call}: waiting for another run that writes ${output} (it holds ${lock})")
    file(LOCK "${lock}" GUARD PROCESS RESULT_VARIABLE status TIMEOUT 600)
  endif()
  if(NOT status EQUAL 0)
    get_property(call GLOBAL PROPERTY wfac_write_call)
    # Nothing is removed: the files may be another run's.
    on_failure(CALL "${call}")
    fail("cannot lock ${lock}, which keeps two runs from writing ${output} at once (${status})")
  endif()
  set(partials "${dir}/.wfac-${id}.c.tmp" "${dir}/.wfac-${id}.h.tmp"
               "${wrapper_dir}/.wfac-${id}.w.tmp")
  file(REMOVE ${partials})
  set(${partials_var} "${partials}" PARENT_SCOPE)
endfunction()

# Sets var to the program to run: program when it is a path (name is then
# its name), else the program name from the bin/ folder of the install
# that holds this file, which holds the package in lib/cmake/wfac, or from
# the PATH.
function(find_table_program var program name)
  if(NOT "${program}" STREQUAL "${name}")
    set(${var} "${program}" PARENT_SCOPE)
    return()
  endif()
  set(install_bin "")
  unset(found)
  if(CMAKE_CURRENT_FUNCTION_LIST_DIR MATCHES "/lib/cmake/wfac$")
    cmake_path(GET CMAKE_CURRENT_FUNCTION_LIST_DIR PARENT_PATH install_bin)
    cmake_path(GET install_bin PARENT_PATH install_bin)
    cmake_path(GET install_bin PARENT_PATH install_bin)
    cmake_path(APPEND install_bin bin)
    find_program(found ${name} PATHS "${install_bin}" NO_DEFAULT_PATH NO_CACHE)
  endif()
  if(NOT found)
    find_program(found ${name} NO_CACHE)
  endif()
  if(NOT found AND install_bin)
    fail("PROGRAM ${name} is neither in ${install_bin} nor on the PATH. Give its path.")
  elseif(NOT found)
    fail("PROGRAM ${name} is not on the PATH. Give its path.")
  endif()
  set(${var} "${found}" PARENT_SCOPE)
endfunction()

# Runs program with the arguments that follow, its standard output into
# partial, the temporary file of the table output; command is its command
# line for messages. Sets element_var to the type of the entries (short or
# int) and pairs_var to K, as the table declares them: w[2 * K].
function(run_table_program element_var pairs_var program command partial output)
  create_checked("${partial}" "${output}")
  # The program's standard error passes straight through.
  execute_process(COMMAND "${program}" ${ARGN} OUTPUT_FILE "${partial}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("'${command}' failed (${status}), so ${output} and its header and wrapper are not "
         "written")
  endif()
  file(STRINGS "${partial}" declaration REGEX "^const (short|int) w\\[2 \\* [0-9]+\\] =$")
  if(NOT declaration MATCHES "^const (short|int) w\\[2 \\* ([0-9]+)\\] =$")
    fail("${program} wrote no table declaration; is it a wfac program?")
  endif()
  set(${element_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(${pairs_var} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()

# Sets var to the text by which the header names the table's arguments: the
# program's command line, then every argument that is neither on it nor the
# table's file and has a value, as ", <KEYWORD> <value>", with the values
# that the caller's variables <values>_<KEYWORD> hold.
function(arguments_text var command values)
  set(text "${command}")
  _wfac_table_arguments(rows)
  foreach(row IN LISTS rows)
    string(REGEX MATCHALL "[^ ]+" fields "${row}")
    list(GET fields 0 keyword)
    list(GET fields 2 use)
    if(NOT use MATCHES "^(command|file)$" AND NOT "${${values}_${keyword}}" STREQUAL "")
      string(APPEND text ", ${keyword} ${${values}_${keyword}}")
    endif()
  endforeach()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# Sets var to the attributes of the array's declaration: the template of each
# argument that gives one and has a value, in the order of the arguments,
# with the values that the caller's variables <values>_<KEYWORD> hold.
function(attributes_text var values)
  set(text "")
  _wfac_table_arguments(rows)
  foreach(row IN LISTS rows)
    string(REGEX MATCHALL "[^ ]+" fields "${row}")
    list(GET fields 0 keyword)
    list(GET fields 2 template)
    if(template MATCHES "\\.in$" AND NOT "${${values}_${keyword}}" STREQUAL "")
      fill(attribute "${template}" value "${${values}_${keyword}}")
      string(REGEX REPLACE "\n$" "" attribute "${attribute}")
      string(APPEND text "${attribute}")
    endif()
  endforeach()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# Sets var to the header's text. Its first line says what wrote the table,
# and nothing that changes from one build to the next: no date, no path.
function(header_text var)
  cmake_parse_arguments(PARSE_ARGV 1 arg ""
    "VERSION;FILE;COMMAND;PREFIX;ID;SHOWN;ARGUMENTS;ELEMENT;NAME;PAIRS;SIZE;ATTRIBUTES" "")
  _wfac_written_marks(table_mark header_mark wrapper_mark)
  # 32-bit entries as int need an int of 32 bits; on a target with a 16-bit
  # int every entry would be cut to its low 16 bits.
  set(int_check "")
  if(arg_ELEMENT STREQUAL "int")
    fill(int_check WfacTableIntCheck.h.in table_name "${arg_NAME}")
  endif()
  # The table of N/4 is the end of the table of N: its stages are those of N
  # from stride 4 on, at the same angles. So the table of N holds those of
  # N, N/4, N/16, ... down to 16, the one of M from index 2N - 2M on
  # (count(N) - count(M), as both sizes are powers of 4 or neither is).
  string(TOUPPER "${arg_NAME}" symbol)
  set(offsets "")
  set(size ${arg_SIZE})
  while(size GREATER_EQUAL 16)
    math(EXPR offset "2 * ${arg_SIZE} - 2 * ${size}")
    fill(line WfacTableOffset.h.in symbol "${symbol}" size "${size}" offset "${offset}")
    string(APPEND offsets "${line}")
    math(EXPR size "${size} / 4")
  endwhile()
  # GCC and Clang ignore the table's DATA_ALIGN pragma; the definition takes
  # its alignment, and its section, from the attributes of this, the array's
  # only declaration.
  fill(text WfacTableHeader.h.in table_file "${arg_FILE}" header_mark "${header_mark}"
       WFAC_VERSION "${arg_VERSION}" command "${arg_COMMAND}" prefix "${arg_PREFIX}"
       arguments_id "${arg_ID}" shown_file "${arg_SHOWN}" arguments "${arg_ARGUMENTS}"
       int_check "${int_check}" symbol "${symbol}" offsets "${offsets}"
       element "${arg_ELEMENT}" table_name "${arg_NAME}" pairs "${arg_PAIRS}"
       attributes "${arg_ATTRIBUTES}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# Sets var to the wrapper's text. It includes the header and the table by
# their names when they lie in its own folder, where the compiler looks
# first, and else by their real paths: a relative path would be followed
# from the physical folder, which a symbolic link makes another one, and a
# bare name could find a file of that name on the include path.
function(wrapper_text var)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FILES;PREFIX;ID;SHOWN;ARGUMENTS;NAME" "")
  list(GET arg_FILES 0 output)
  list(GET arg_FILES 1 header)
  list(GET arg_FILES 2 wrapper)
  _wfac_written_marks(table_mark header_mark wrapper_mark)
  cmake_path(GET output FILENAME table_file)
  cmake_path(GET header FILENAME header_path)
  set(output_path "${table_file}")
  cmake_path(GET output PARENT_PATH dir)
  cmake_path(GET wrapper PARENT_PATH wrapper_dir)
  file(REAL_PATH "${dir}" real_dir)
  file(REAL_PATH "${wrapper_dir}" real_wrapper_dir)
  if(NOT real_dir STREQUAL real_wrapper_dir)
    set(header_path "${real_dir}/${header_path}")
    set(output_path "${real_dir}/${table_file}")
  endif()
  set(rename "")
  if(NOT arg_NAME STREQUAL "w")
    fill(rename WfacTableRename.c.in table_name "${arg_NAME}")
  endif()
  # The table's DATA_ALIGN pragma is for compilers that know it; the others
  # would warn of an unknown pragma, an error under -Werror. Clang takes the
  # GCC form with either driver (clang-cl defines no __GNUC__). g++ before
  # 13 ignores this for C++, where wfac_add_table() turns the warning off
  # for the file.
  fill(text WfacTableWrapper.c.in wrapper_mark "${wrapper_mark}" table_file "${table_file}"
       table_name "${arg_NAME}" prefix "${arg_PREFIX}" arguments_id "${arg_ID}"
       header_path "${header_path}" shown_file "${arg_SHOWN}" arguments "${arg_ARGUMENTS}"
       rename "${rename}" output_path "${output_path}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# Moves the temporary files partials into place as files, the table output
# last: with it still old, a run stopped before this point leaves the step
# to be run again.
function(commit partials files output)
  foreach(partial file IN ZIP_LISTS partials files)
    if(file STREQUAL output)
      set(partial_table "${partial}")
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
endfunction()

# The run. The arguments as given: the -D definition of each argument of a
# table.
if(NOT DEFINED CALL)
  set(CALL "WfacWriteTable")
endif()
_wfac_table_keywords(keywords)
foreach(keyword IN LISTS keywords)
  if(DEFINED ${keyword})
    set(table_${keyword} "${${keyword}}")
  endif()
endforeach()
_wfac_table_forget_empty(table)
# PROGRAM may be a path; the checks take its name.
if(PROGRAM MATCHES "[/\\\\]")
  cmake_path(GET PROGRAM STEM table_PROGRAM)
endif()
_wfac_table_check(ARGUMENTS table BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}"
  DEFAULT_DIR "${CMAKE_CURRENT_BINARY_DIR}" WRAPPER "${WRAPPER}"
  OUT_ERROR error OUT_FILES files OUT_VALUES value)
on_failure(CALL "${CALL}" FILES ${files})
# A refused run creates nothing, not even a folder or a lock.
if(error)
  fail("${error}")
endif()
# A build that passes the version it read from the install (make, Meson)
# was set up for this writer's.
if(DEFINED VERSION AND NOT VERSION STREQUAL WFAC_VERSION)
  fail("VERSION is '${VERSION}', the wfac that the build was set up with, but this writer "
       "is wfac ${WFAC_VERSION}; set the build up again (with Meson: meson configure --clearcache)")
endif()
list(GET files 0 output)
list(GET files 2 wrapper)
lock_table(partials "${output}" "${wrapper}")
on_failure(CALL "${CALL}" FILES ${files} PARTIALS ${partials})
list(GET partials 0 partial_table)
list(GET partials 1 partial_header)
list(GET partials 2 partial_wrapper)

find_table_program(program "${PROGRAM}" "${table_PROGRAM}")
set(args "${SIZE}")
if(DEFINED table_SCALE)
  set(args -s "${table_SCALE}" "${SIZE}")
endif()
string(REPLACE ";" " " command "${table_PROGRAM};${args}")
run_table_program(element pairs "${program}" "${command}" "${partial_table}" "${output}" ${args})

# Two builds (say Debug and Release, or two boards) may share an OUTPUT
# outside both, and neither reruns its step when the other rewrites the
# table. The header names its arguments by a number that fits #if; each
# build's wrapper says which it wants, and a compile of a table written for
# other arguments stops there, naming both.
arguments_text(arguments "${command}" value)
string(SHA1 arguments_id "${arguments}")
string(SUBSTRING "${arguments_id}" 0 7 arguments_id)
cmake_path(GET output FILENAME table_file)
cmake_path(GET output STEM LAST_ONLY stem)
string(MAKE_C_IDENTIFIER "WFAC_${stem}" prefix)
string(TOUPPER "${prefix}" prefix)
string(REPLACE "\\" "\\\\" shown_file "${table_file}")
attributes_text(attributes value)
header_text(text VERSION "${WFAC_VERSION}" FILE "${table_file}" COMMAND "${command}"
  PREFIX "${prefix}" ID "${arguments_id}" SHOWN "${shown_file}" ARGUMENTS "${arguments}"
  ELEMENT "${element}" NAME "${value_NAME}" PAIRS "${pairs}" SIZE "${SIZE}"
  ATTRIBUTES "${attributes}")
write_checked("${partial_header}" "${text}" "${output}" "${partial_table}")
wrapper_text(text FILES "${files}" PREFIX "${prefix}" ID "${arguments_id}"
  SHOWN "${shown_file}" ARGUMENTS "${arguments}" NAME "${value_NAME}")
write_checked("${partial_wrapper}" "${text}" "${output}" "${partial_table}")
commit("${partials}" "${files}" "${output}")
