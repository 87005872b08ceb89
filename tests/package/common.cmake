# Helpers of the packaging checks.

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

# Installs the wfac build WFAC_BUILD into prefix and checks what it holds;
# EXE is the programs' file suffix, CONFIG the build's configuration.
function(install_wfac prefix)
  run("${CMAKE_COMMAND}" --install "${WFAC_BUILD}" --prefix "${prefix}" --config "${CONFIG}")
  expect_ok("cmake --install")
  foreach(file bin/wfac_hw_gen${EXE} bin/wfac_ww_gen${EXE} bin/wfac_hh_gen${EXE}
          share/man/man1/wfac_hw_gen.1 share/man/man1/wfac_ww_gen.1 share/man/man1/wfac_hh_gen.1
          lib/cmake/wfac/wfacConfig.cmake lib/cmake/wfac/wfacConfigVersion.cmake)
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
# arguments that follow, as signed decimal numbers.
function(program_entries var program)
  execute_process(COMMAND "${program}" ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE text)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} ${ARGN} failed (${status})")
  endif()
  string(FIND "${text}" "{" at)
  string(SUBSTRING "${text}" ${at} -1 body)
  string(REGEX MATCHALL "[ -]0x[0-9A-F]+" found "${body}")
  set(entries "")
  foreach(entry IN LISTS found)
    string(SUBSTRING "${entry}" 1 -1 magnitude)
    if(entry MATCHES "^-")
      math(EXPR value "-${magnitude}")
    else()
      math(EXPR value "${magnitude}")
    endif()
    list(APPEND entries ${value})
  endforeach()
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
