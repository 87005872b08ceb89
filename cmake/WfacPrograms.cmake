# The programs that write tables, and the facts that set each apart: the
# one list that the build, the install, the packages, the man pages, the
# PROGRAM check of both routes, the tests and the benchmarks read. Each
# program's entry point (programs/<name>.cpp) holds the same facts in its
# ToolProfile, and its build checks them against its row here
# (programs/program_list.hpp).
#
# A row is the program's name, then
#   ENTRY_WIDTH         the bits of a signed entry: 16 or 32
#   LAYOUT              the entries of one group: 6 (one butterfly) or 12
#                       (a pair of butterflies)
#   DEFAULT_SCALE       the default scale, as the usage text writes it
#   SCALE_BOUND         the largest scale accepted, as a decimal
#   ROUTINES            the FFT routines that its texts name
#   POWER_OF_4_ROUTINE  a routine named too when N is a power of 4 (optional)
# The rows stand in the order that messages name the programs.

# The function keeps these policies whatever the including project or
# script sets.
cmake_policy(PUSH)
cmake_policy(VERSION 3.22...4.3)

macro(_wfac_program_rows var)
  set(${var}
    "wfac_hw_gen ENTRY_WIDTH 16 LAYOUT 6 DEFAULT_SCALE 32767.5 SCALE_BOUND 32767.6 \
     ROUTINES QRV_fft_hw_a QRV_ifft_hw_a"
    "wfac_ww_gen ENTRY_WIDTH 32 LAYOUT 6 DEFAULT_SCALE 2147483647.5 SCALE_BOUND 2147483647.6 \
     ROUTINES QRV_fft_ww_a QRV_fft_ww_ab QRV_ifft_ww_a"
    "wfac_hh_gen ENTRY_WIDTH 16 LAYOUT 12 DEFAULT_SCALE 32767.5 SCALE_BOUND 32767.6 \
     ROUTINES QRV_fft_hh_pa QRV_fft_hh_pb POWER_OF_4_ROUTINE QRV_fft")
endmacro()

# Sets var to the names of the programs, in the order of their rows.
function(_wfac_programs var)
  _wfac_program_rows(rows)
  set(names "")
  foreach(row IN LISTS rows)
    string(REGEX MATCH "^[^ ]+" name "${row}")
    list(APPEND names "${name}")
  endforeach()
  set(${var} "${names}" PARENT_SCOPE)
endfunction()

# Sets <prefix>_ENTRY_WIDTH, <prefix>_LAYOUT, <prefix>_DEFAULT_SCALE,
# <prefix>_SCALE_BOUND, <prefix>_ROUTINES (a list) and
# <prefix>_POWER_OF_4_ROUTINE (empty when there is none) to the facts of
# program, which must be a listed one.
function(_wfac_program_facts program prefix)
  _wfac_program_rows(rows)
  set(one ENTRY_WIDTH LAYOUT DEFAULT_SCALE SCALE_BOUND POWER_OF_4_ROUTINE)
  foreach(row IN LISTS rows)
    separate_arguments(fields UNIX_COMMAND "${row}")
    list(POP_FRONT fields name)
    if(name STREQUAL program)
      cmake_parse_arguments(fact "" "${one}" ROUTINES ${fields})
      foreach(key IN LISTS one ITEMS ROUTINES)
        set(${prefix}_${key} "${fact_${key}}" PARENT_SCOPE)
      endforeach()
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "wfac: ${program} is not a program of ${CMAKE_CURRENT_FUNCTION_LIST_FILE}")
endfunction()

cmake_policy(POP)
