# Writes a table of each program with the build step of wfac_add_table()
# and compiles what a project compiles of it: the wrapper, with the flag
# that wfac_add_table() gives it, and a source of the project's that
# includes the headers.
#   MODE: flags (every C and C++ standard from C89 and C++98 under the strict
#         warnings projects use, with each of gcc, clang, arm-none-eabi-gcc
#         and their C++ compilers found; with Clang also -Weverything) or
#         avr (a target with a 16-bit int: the 16-bit tables compile to
#         their full size, and every compile that includes the 32-bit
#         table's header stops with its message).
#   WFAC_SOURCE, PROGRAM_DIR, WORK, EXE.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
set(tables "${WORK}/tables")
set(wrappers "${WORK}/wrappers")
# program size name stem, then more arguments: one table keeps the default
# name w, one has a wider alignment and a section of its own, with a '$'.
foreach(table "wfac_hh_gen;64;w_hh64;w_hh64;-DALIGN=32;-DSECTION=.data.$RAM2"
        "wfac_hw_gen;32;w;wfac_hw_gen_32;-DALIGN=8" "wfac_ww_gen;16;w_ww16;w_ww16;-DALIGN=8")
  list(POP_FRONT table program size name stem)
  run("${CMAKE_COMMAND}" "-DPROGRAM=${PROGRAM_DIR}/${program}${EXE}" -DSIZE=${size} -DSCALE=
      -DNAME=${name} "-DOUTPUT=${tables}/${stem}.c" "-DWRAPPER=${wrappers}/${name}.wfac.c"
      ${table} -DCALL=test -P "${WFAC_SOURCE}/cmake/WfacWriteTable.cmake")
  expect_ok("the build step for ${program}")
endforeach()
# What the header and the wrapper say, worked out by hand: 2 * K entries
# (6 for each butterfly of each stage: N/4 + N/16 + ... of them), the
# offsets 2N - 2M, the attributes, the arguments that the guard of a shared
# OUTPUT names, the int check of the 32-bit table, the rename of an array
# not named w and the real path of a table in another folder. Each case:
# the file | a line it holds (!: a line it must not hold).
file(REAL_PATH "${tables}" real_tables)
foreach(case
    "tables/w_hh64.h|extern const short w_hh64[2 * 60] __attribute__((aligned(32), section(\".data.$RAM2\")));"
    "tables/w_hh64.h|#define W_HH64_OFFSET_64 0"
    "tables/w_hh64.h|#define W_HH64_OFFSET_16 96"
    "tables/w_hh64.h|#error \"w_hh64.c holds the table of wfac_hh_gen 64, NAME w_hh64, ALIGN 32, SECTION .data.$RAM2, which another build that shares it wrote\""
    "wrappers/w_hh64.wfac.c|#define w w_hh64"
    "wrappers/w_hh64.wfac.c|#include \"${real_tables}/w_hh64.c\""
    "tables/wfac_hw_gen_32.h|extern const short w[2 * 30] __attribute__((aligned(8)));"
    "tables/wfac_hw_gen_32.h|#define W_OFFSET_32 0"
    "wrappers/w.wfac.c|!#define w w"
    "tables/w_ww16.h|extern const int w_ww16[2 * 12] __attribute__((aligned(8)));"
    "tables/w_ww16.h|#error \"w_ww16 holds 32-bit entries as int, but this target's int is narrower than 32 bits\""
    "wrappers/w_ww16.wfac.c|#error \"this build wants w_ww16.c to hold the table of wfac_ww_gen 16, NAME w_ww16, ALIGN 8; give each build that writes it an OUTPUT of its own\"")
  string(FIND "${case}" "|" bar)
  string(SUBSTRING "${case}" 0 ${bar} file)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${case}" ${bar} -1 line)
  set(want TRUE)
  if(line MATCHES "^!(.*)")
    set(want FALSE)
    set(line "${CMAKE_MATCH_1}")
  endif()
  file(READ "${WORK}/${file}" text)
  string(FIND "\n${text}" "\n${line}\n" at)
  set(held TRUE)
  if(at EQUAL -1)
    set(held FALSE)
  endif()
  if(NOT held STREQUAL want)
    message(FATAL_ERROR "${file}: holding \"${line}\" is ${held}, should be ${want}:\n${text}")
  endif()
endforeach()

file(WRITE "${WORK}/use_16.c" "#include \"w_hh64.h\"
#include \"wfac_hw_gen_32.h\"
int use_16(void);
int use_16(void) { return w_hh64[1] + w[1]; }
")
file(WRITE "${WORK}/use_32.c" "#include \"w_ww16.h\"
int use_32(void);
int use_32(void) { return w_ww16[1] / 2; }
")
set(sources_16 "${WORK}/use_16.c" "${wrappers}/w_hh64.wfac.c" "${wrappers}/w.wfac.c")
set(sources_32 "${WORK}/use_32.c" "${wrappers}/w_ww16.wfac.c")

# Compiles the sources (the arguments that do not start with "-") in one
# run of the compiler with the flags (those that do), as C++ when the
# compiler's name says so. A C wrapper quiets the table's pragma itself; a
# C++ one gets the -Wno-unknown-pragmas of wfac_add_table() (the other
# sources hold no pragma).
function(compile compiler mode)
  set(flags "${ARGN}")
  list(FILTER flags INCLUDE REGEX "^-")
  set(sources "${ARGN}")
  list(FILTER sources EXCLUDE REGEX "^-")
  if(compiler MATCHES "\\+\\+$")
    list(PREPEND flags -x c++ -Wno-unknown-pragmas)
  endif()
  # clang-cl reads an absolute path (/work/...) as one of its /options.
  if(compiler MATCHES "clang-cl[^/]*$")
    list(PREPEND sources --)
  endif()
  run("${CMAKE_COMMAND}" -E chdir "${WORK}" "${compiler}" ${flags} "-I${tables}" ${mode}
      ${sources})
  set(status "${status}" PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
  set(flat "${flat}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "avr")
  find_program(avr_nm avr-nm REQUIRED)
  foreach(compiler avr-gcc avr-g++)
    unset(path)
    find_program(path ${compiler} NO_CACHE REQUIRED)
    set(standard -std=c99)
    if(compiler STREQUAL "avr-g++")
      set(standard -std=c++98)
    endif()
    set(flags -mmcu=atmega2560 ${standard} -Wall -Wextra -Werror -pedantic)
    compile("${path}" -c ${flags} ${sources_16})
    expect_ok("${compiler} of the 16-bit tables")
    # A 16-bit table keeps all of its entries: 120 of 2 bytes for N = 64, 60
    # for N = 32.
    foreach(object w_hh64.wfac.o w.wfac.o)
      run("${avr_nm}" -S --defined-only "${WORK}/${object}")
      if(NOT output MATCHES " 0*(f0|78) [A-Za-z] w(_hh64)?\n")
        message(FATAL_ERROR "${compiler}: the 16-bit table has the wrong size:\n${output}")
      endif()
    endforeach()
    foreach(source IN LISTS sources_32)
      compile("${path}" -fsyntax-only ${flags} "${source}")
      expect_failure("${compiler} ${source}"
                     "w_ww16 holds 32-bit entries as int, but this target's int is narrower than 32 bits")
    endforeach()
  endforeach()
  return()
endif()

set(warnings -Wall -Wextra -Werror -pedantic -Wredundant-decls -Wconversion -Wsign-conversion
    -Wshadow -Wundef -Wcast-align -Wmissing-declarations)
set(compiled 0)
foreach(compiler gcc g++ clang clang++ arm-none-eabi-gcc arm-none-eabi-g++)
  unset(path)
  find_program(path ${compiler} NO_CACHE)
  if(NOT path)
    continue()
  endif()
  set(standards c89 c99 c11 c17)
  if(compiler MATCHES "\\+\\+$")
    set(standards c++98 c++11 c++14 c++17 c++20)
  endif()
  set(target "")
  if(compiler MATCHES "^arm-none-eabi")
    set(target -mcpu=cortex-m4 -mthumb)
  endif()
  # -Weverything only adds warnings, so one run covers both sets.
  set(flags ${warnings})
  if(compiler MATCHES "^clang")
    list(APPEND flags -Weverything)
  endif()
  foreach(standard IN LISTS standards)
    compile("${path}" -fsyntax-only -std=${standard} ${target} ${flags} ${sources_16} ${sources_32})
    expect_ok("${compiler} -std=${standard} ${flags}")
    math(EXPR compiled "${compiled} + 1")
  endforeach()
endforeach()
if(compiled EQUAL 0)
  message(FATAL_ERROR "none of gcc, g++, clang, clang++ or arm-none-eabi-gcc was found")
endif()
# clang-cl, Clang with MSVC's driver, defines no __GNUC__.
find_program(clang_cl NAMES clang-cl clang-cl-14 clang-cl-15 clang-cl-16 NO_CACHE)
if(clang_cl)
  compile("${clang_cl}" -Zs -W4 -WX -Wunknown-pragmas ${sources_16} ${sources_32})
  expect_ok("clang-cl /W4 /WX")
endif()
