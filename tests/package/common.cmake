# Helpers of the packaging checks.
cmake_minimum_required(VERSION 3.22...4.3)
# The table programs: _wfac_programs(<var>) and _wfac_program_facts().
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/WfacPrograms.cmake")

# Runs a command; sets status, output (standard output and error) and flat
# (the output with each run of white space as one space, so that a message
# CMake wrapped over lines still matches).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX REPLACE "[ \t\r\n]+" " " flat "${out}${err}")
  set(status "${status}" PARENT_SCOPE)
  set(output "${out}${err}" PARENT_SCOPE)
  set(flat "${flat}" PARENT_SCOPE)
endfunction()

function(expect_ok what)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${output}")
  endif()
endfunction()

# Expects the last run to have failed with text (a literal) in its output.
function(expect_failure what text)
  string(FIND "${flat}" "${text}" at)
  if(status EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "${what} should fail with \"${text}\" (${status}):\n${output}")
  endif()
endfunction()

# Installs the wfac build WFAC_BUILD into prefix and checks what it holds:
# each program and its man page, among others; EXE is the programs' file
# suffix, CONFIG the build's configuration.
function(install_wfac prefix)
  run("${CMAKE_COMMAND}" --install "${WFAC_BUILD}" --prefix "${prefix}" --config "${CONFIG}")
  expect_ok("cmake --install")
  _wfac_programs(programs)
  set(files "")
  foreach(program IN LISTS programs ITEMS wfac_check_image)
    list(APPEND files bin/${program}${EXE} share/man/man1/${program}.1)
  endforeach()
  foreach(file ${files} share/man/man7/wfac.7 share/doc/wfac/README.md
          lib/cmake/wfac/wfacConfig.cmake lib/cmake/wfac/wfacConfigVersion.cmake
          lib/cmake/wfac/WfacPrograms.cmake lib/pkgconfig/wfac.pc share/wfac/wfac.mk)
    if(NOT EXISTS "${prefix}/${file}")
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
endfunction()

# Sets var to the file built in dir (file may name a subfolder of dir): in
# its folder itself, or in that folder's folder of configuration CONFIG with
# a multi-config generator.
function(find_built var dir file)
  cmake_path(GET file PARENT_PATH sub)
  cmake_path(GET file FILENAME name)
  set(in_config "${dir}/${sub}/${CONFIG}/${name}")
  cmake_path(NORMAL_PATH in_config)
  set(${var} "${dir}/${file}" PARENT_SCOPE)
  if(NOT EXISTS "${dir}/${file}" AND EXISTS "${in_config}")
    set(${var} "${in_config}" PARENT_SCOPE)
  endif()
endfunction()

# Sets var to the entries of the table that program (a path) writes for the
# arguments that follow, as signed decimal numbers, read by PRINT_ENTRIES
# (the test tool wfac_print_entries).
function(program_entries var program)
  if(NOT EXISTS "${PRINT_ENTRIES}")
    message(FATAL_ERROR "PRINT_ENTRIES, the built wfac_print_entries, is '${PRINT_ENTRIES}'")
  endif()
  execute_process(COMMAND "${program}" ${ARGN} COMMAND "${PRINT_ENTRIES}"
                  RESULTS_VARIABLE statuses OUTPUT_VARIABLE text ERROR_VARIABLE err)
  if(NOT statuses STREQUAL "0;0")
    message(FATAL_ERROR "${program} ${ARGN} | wfac_print_entries failed (${statuses}):\n${err}")
  endif()
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" entries "${text}")
  set(${var} "${entries}" PARENT_SCOPE)
endfunction()

# Runs the program built in dir as file (see find_built) and expects it to
# print want and a newline, and nothing else.
function(expect_prints dir file want)
  find_built(program "${dir}" "${file}")
  run("${program}")
  expect_ok("${program}")
  if(NOT output STREQUAL "${want}\n")
    message(FATAL_ERROR "${program} printed\n${output}\nnot\n${want}")
  endif()
endfunction()

# Reads the symbols (NM) and sections (READELF) of the ELF image elf, for
# image_bytes and check_image_table.
function(read_image elf)
  run("${NM}" -S --defined-only "${elf}")
  expect_ok("nm")
  set(image_symbols "${output}" PARENT_SCOPE)
  run("${READELF}" -S -W "${elf}")
  expect_ok("readelf")
  set(image_sections "${output}" PARENT_SCOPE)
  set(image_elf "${elf}" PARENT_SCOPE)
endfunction()

# Sets var to the entries that program (a path) prints for the arguments
# that follow, as the little-endian bytes of the target's two's complement
# entries of <bits> bits, in lower-case hex.
function(program_bytes var bits program)
  program_entries(entries "${program}" ${ARGN})
  math(EXPR digits "${bits} / 4")
  set(bytes "")
  foreach(value IN LISTS entries)
    if(value LESS 0)
      math(EXPR value "(1 << ${bits}) + ${value}" OUTPUT_FORMAT HEXADECIMAL)
    else()
      math(EXPR value "${value}" OUTPUT_FORMAT HEXADECIMAL)
    endif()
    string(SUBSTRING "${value}" 2 -1 value)
    string(PREPEND value "0000000")
    string(LENGTH "${value}" length)
    math(EXPR start "${length} - ${digits}")
    string(SUBSTRING "${value}" ${start} ${digits} value)
    foreach(byte RANGE 1 ${digits} 2)
      math(EXPR from "${digits} - ${byte} - 1")
      string(SUBSTRING "${value}" ${from} 2 pair)
      string(APPEND bytes "${pair}")
    endforeach()
  endforeach()
  string(TOLOWER "${bytes}" bytes)
  set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

# Sets var to the <size> bytes of the image at <address>, in hex, read from
# the file section that holds them, and section to that section's name.
function(image_bytes var section address size)
  string(REGEX MATCHALL "[^ ]+ +PROGBITS +[0-9a-f]+ [0-9a-f]+ [0-9a-f]+" rows "${image_sections}")
  foreach(row IN LISTS rows)
    string(REGEX MATCH "([^ ]+) +PROGBITS +([0-9a-f]+) ([0-9a-f]+) ([0-9a-f]+)" _ "${row}")
    math(EXPR section_address "0x${CMAKE_MATCH_2}")
    math(EXPR section_end "0x${CMAKE_MATCH_2} + 0x${CMAKE_MATCH_4}")
    if(address GREATER_EQUAL section_address AND address LESS section_end)
      math(EXPR offset "0x${CMAKE_MATCH_3} + ${address} - ${section_address}")
      file(READ "${image_elf}" bytes OFFSET ${offset} LIMIT ${size} HEX)
      set(${var} "${bytes}" PARENT_SCOPE)
      set(${section} "${CMAKE_MATCH_1}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "no section holds address ${address}:\n${image_sections}")
endfunction()

# Checks the table <name> of the image that read_image read: defined once,
# at a multiple of <align>, in section <section> (unless that is "any"),
# and holding exactly the entries of <bits> bits that program (a path)
# prints for the arguments that follow. Sets address_<name>.
function(check_image_table name bits align want_section program)
  program_bytes(want ${bits} "${program}" ${ARGN})
  string(LENGTH "${want}" want_length)
  math(EXPR want_size "${want_length} / 2")
  string(REGEX MATCHALL "[0-9a-f]+ [0-9a-f]+ [A-Za-z] ${name}\n" found "${image_symbols}")
  list(LENGTH found times)
  if(NOT times EQUAL 1)
    message(FATAL_ERROR "${name} is defined ${times} times in the image:\n${image_symbols}")
  endif()
  string(REGEX MATCH "^([0-9a-f]+) ([0-9a-f]+)" _ "${found}")
  math(EXPR address "0x${CMAKE_MATCH_1}")
  math(EXPR size "0x${CMAKE_MATCH_2}")
  math(EXPR misalignment "${address} % ${align}")
  if(NOT misalignment EQUAL 0 OR NOT size EQUAL want_size)
    message(FATAL_ERROR "${name}: ${size} bytes at ${address}, which is ${misalignment} past "
                        "a multiple of ${align}; want ${want_size} bytes at a multiple of ${align}")
  endif()
  image_bytes(bytes section ${address} ${size})
  if(NOT bytes STREQUAL want)
    message(FATAL_ERROR "${name} in the image:\n${bytes}\nis not what the program prints:\n${want}")
  endif()
  if(NOT want_section STREQUAL "any" AND NOT section STREQUAL want_section)
    message(FATAL_ERROR "${name} lies in section ${section}, not in ${want_section}")
  endif()
  set(address_${name} ${address} PARENT_SCOPE)
endfunction()
