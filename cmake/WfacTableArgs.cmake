# The arguments of a table, their checks and defaults, the same for
# wfac_add_table() and for its build step (WfacWriteTable.cmake): what is
# accepted gives the right table, what is refused gets one message naming
# the argument and what it may be.

# The functions keep these policies whatever the including project or
# script sets.
cmake_policy(PUSH)
cmake_policy(VERSION 3.22...4.3)

# The programs that write tables, in the order messages name them.
include("${CMAKE_CURRENT_LIST_DIR}/WfacPrograms.cmake")
macro(_wfac_table_programs var)
  _wfac_programs(${var})
endmacro()

# The sizes the programs take.
macro(_wfac_table_sizes var)
  set(${var} 16 32 64 128 256 512 1024 2048 4096 8192 16384 32768)
endmacro()

# The arguments of a table: the keywords of wfac_add_table() and the -D
# definitions of the writer alike, in the order they are checked (a message
# names the first bad one). Each row: the keyword, the function that checks
# it, and what the writer makes of it:
#   command  an argument of the program's command line
#   file     the table's file
#   -        a use of the writer's own (NAME: the array's name)
#   <file>   an attribute of the array's declaration, from that template
#            beside this file; ALIGN's comes first (image/table_files.cpp
#            reads "__attribute__((aligned(") and every other begins with
#            ", "
# Every argument that is neither on the command line nor the file joins the
# text by which the header names its arguments (the guard of an OUTPUT that
# two builds share).
macro(_wfac_table_arguments var)
  set(${var}
    "PROGRAM  _wfac_check_program  command"
    "SIZE     _wfac_check_size     command"
    "NAME     _wfac_check_name     -"
    "ALIGN    _wfac_check_align    WfacTableAligned.h.in"
    "SECTION  _wfac_check_section  WfacTableSection.h.in"
    "SCALE    _wfac_check_scale    command"
    "OUTPUT   _wfac_check_output   file")
endmacro()

# The keywords of the rows above.
macro(_wfac_table_keywords var)
  _wfac_table_arguments(${var})
  list(TRANSFORM ${var} REPLACE " .*" "")
endmacro()

# Section names that compilers, linkers or start-up code treat specially,
# as the globs by which linker scripts take input sections (a trailing *
# stands for any text, else the name is exact): those of GNU ld's default
# scripts (ld --verbose of arm-none-eabi, riscv64-unknown-elf and x86-64
# Linux), and the start-up conventions of vendors' scripts, which take
# *(.bss*), *(.noinit*) and *(.init_array*). Each row: what toolchains take
# the names for | what to choose instead | the globs. wfac(7) lists them
# from here.
macro(_wfac_special_sections var)
  set(${var}
    # GNU as, for a const table: "Warning: ignoring changed section
    # attributes for .data" (arm-none-eabi-gcc 12; gcc and
    # riscv64-unknown-elf-gcc alike, and for .text), an error under
    # -Wa,--fatal-warnings.
    [[the compiler's own section for data, whose attributes the assembler keeps
      ("ignoring changed section attributes for .data", an error under -Wa,--fatal-warnings)
      | .data.<name> instead, such as .data.wfac
      | .data]]
    [[the compiler's own section for code, whose attributes the assembler keeps
      ("ignoring changed section attributes for .text", an error under -Wa,--fatal-warnings)
      | .text.<name> or .rodata.<name> instead, such as .rodata.wfac
      | .text]]
    [[notes for tools, which are merged, stripped or left out of the image
      | another SECTION, such as .wfac_tables
      | .comment* .note* .debug* .zdebug* .line .stab* .symtab .strtab .shstrtab
        .gnu_debuglink .llvm*]]
    [[code or constructors that start-up and exit code run
      | another SECTION, such as .wfac_tables
      | .init .init_array* .fini .fini_array* .preinit_array* .ctors* .dtors* .jcr
        .tm_clone_table]]
    [[data without bytes in the image, cleared or left as it is at start-up, or of each thread
      | another SECTION, such as .data.<name> for a table that start-up code copies to RAM,
        or .wfac_tables
      | .bss* .sbss* .lbss* .tbss* .tdata* .noinit* .persistent* .dynbss .dynsbss .dynlbss
        COMMON .scommon .tcommon LARGE_COMMON]]
    [[the linker's, the loader's or the unwinder's own data
      | another SECTION, such as .wfac_tables
      | .got* .igot* .plt* .iplt .dynamic .dynsym .dynstr .interp .hash .gnu.* .rel.* .rela.*
        .relr.dyn .eh_frame* .gcc_except_table* .exception_ranges* .sframe* .ARM.* .gnu_extab*]]
    [[the stack or the heap, which the program overwrites
      | another SECTION, such as .wfac_tables
      | .stack .stack.* .heap .heap.*]])
endmacro()

# Sets what_var, instead_var and globs_var to the three fields of row, a row
# of _wfac_special_sections(), the globs as a list.
function(_wfac_special_sections_row row what_var instead_var globs_var)
  string(REGEX REPLACE "[ \n]+" " " row "${row}")
  string(REGEX REPLACE " ?[|] ?" ";" fields "${row}")
  list(POP_FRONT fields what instead globs)
  string(REPLACE " " ";" globs "${globs}")
  set(${what_var} "${what}" PARENT_SCOPE)
  set(${instead_var} "${instead}" PARENT_SCOPE)
  set(${globs_var} "${globs}" PARENT_SCOPE)
endfunction()

# Sets glob_var to the first glob of _wfac_special_sections() that section
# matches, and what_var and instead_var to its row's texts; all three to ""
# when none matches.
function(_wfac_special_section section glob_var what_var instead_var)
  _wfac_special_sections(rows)
  foreach(row IN LISTS rows)
    _wfac_special_sections_row("${row}" what instead globs)
    foreach(glob IN LISTS globs)
      string(REGEX REPLACE "\\*$" "" start "${glob}")
      string(FIND "${section}" "${start}" at)
      if(section STREQUAL glob OR (NOT start STREQUAL glob AND at EQUAL 0))
        set(${glob_var} "${glob}" PARENT_SCOPE)
        set(${what_var} "${what}" PARENT_SCOPE)
        set(${instead_var} "${instead}" PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endforeach()
  set(${glob_var} "" PARENT_SCOPE)
  set(${what_var} "" PARENT_SCOPE)
  set(${instead_var} "" PARENT_SCOPE)
endfunction()

# The checks of the rows of _wfac_table_arguments(). Each takes
# (<given> <value> <error_var> <use_var> <base_dir>): whether the argument
# was given, its value as given, the names of the variables it sets to what
# is wrong with it ("" when nothing) and to the value the table uses (""
# for none), and the folder a relative path is taken from.

function(_wfac_check_program given value error_var use_var)
  _wfac_table_programs(programs)
  set(error "")
  if(NOT "${value}" IN_LIST programs)
    list(POP_BACK programs last)
    list(JOIN programs ", " programs)
    set(error "PROGRAM must be ${programs} or ${last}, not '${value}'")
  endif()
  set(${error_var} "${error}" PARENT_SCOPE)
  set(${use_var} "${value}" PARENT_SCOPE)
endfunction()

function(_wfac_check_size given value error_var use_var)
  _wfac_table_sizes(sizes)
  set(error "")
  if(NOT given)
    set(error "SIZE is missing")
  elseif(NOT "${value}" IN_LIST sizes)
    set(error "SIZE must be a power of 2 from 16 to 32768, not '${value}'")
  endif()
  set(${error_var} "${error}" PARENT_SCOPE)
  set(${use_var} "${value}" PARENT_SCOPE)
endfunction()

# The array's name, default w.
function(_wfac_check_name given value error_var use_var)
  set(error "")
  set(name w)
  if(given)
    set(name "${value}")
    # Keywords of C (C89 to C23) and C++ (to C++20), which cannot name an
    # array.
    set(c_keywords
      alignas alignof and and_eq asm auto bitand bitor bool break case catch char char8_t
      char16_t char32_t class co_await co_return co_yield compl concept const const_cast
      consteval constexpr constinit continue decltype default delete do double dynamic_cast
      else enum explicit export extern false float for friend goto if inline int long mutable
      namespace new noexcept not not_eq nullptr operator or or_eq private protected public
      register reinterpret_cast requires restrict return short signed sizeof static
      static_assert static_cast struct switch template this thread_local throw true try
      typedef typeid typename typeof typeof_unqual union unsigned using virtual void volatile
      wchar_t while xor xor_eq _Alignas _Alignof _Atomic _BitInt _Bool _Complex _Decimal128
      _Decimal32 _Decimal64 _Generic _Imaginary _Noreturn _Static_assert _Thread_local)
    # Macros that GCC or Clang predefine for some target in their GNU modes
    # (the default ones): an array of such a name would be compiled under
    # another name, or not at all.
    set(predefined_macros
      linux unix i386 mips MIPSEB MIPSEL R3000 R4000 sparc sun m68k mc68000 mc68010 mc68020
      vax hppa hp9000s800 bfin BFIN AVR MSP430 WIN32 WIN64 WINNT)
    include("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacLibraryNames.cmake")
    set(choose "which cannot name the array; choose another NAME")
    if(NOT value MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      string(CONCAT error "NAME must be a C identifier (letters, digits and underscores, not "
                    "starting with a digit), not '${value}'")
    elseif(value IN_LIST c_keywords)
      set(error "NAME '${value}' is a keyword of C or C++, ${choose}")
    elseif(value MATCHES "^(__|_[A-Z])")
      string(CONCAT error "NAME '${value}' is reserved for the compiler and its library (two "
                    "leading underscores, or an underscore and a capital letter), ${choose}")
    elseif(value IN_LIST predefined_macros)
      string(CONCAT error "NAME '${value}' is a macro that GCC or Clang predefine in their GNU "
                    "modes, ${choose}")
    elseif(value STREQUAL "main")
      set(error "NAME 'main' is the program's entry point, ${choose}")
    elseif(value IN_LIST library_names)
      string(CONCAT error "NAME '${value}' is a function or object of the C library (ISO C or "
                    "POSIX), which the table would replace at link time; choose another NAME")
    endif()
  endif()
  set(${error_var} "${error}" PARENT_SCOPE)
  set(${use_var} "${name}" PARENT_SCOPE)
endfunction()

# The array's alignment in bytes, default 8: the table's comment asks for
# 8, wider suits wide vector loads.
function(_wfac_check_align given value error_var use_var)
  # The largest alignment GCC takes for an object in an ELF file, 2^28
  # bytes (Clang takes at least as much).
  set(max_align 268435456)
  set(error "")
  set(align 8)
  if(given)
    set(align 0)
    if(value MATCHES "^0*[1-9][0-9]*$")
      string(REGEX REPLACE "^0+" "" digits "${value}")
      string(LENGTH "${digits}" length)
      if(length LESS 10)
        math(EXPR align "${digits}")
        math(EXPR spare "${align} & (${align} - 1)")
        if(NOT spare EQUAL 0 OR align GREATER max_align)
          set(align 0)
        endif()
      endif()
    endif()
    if(align LESS 8)
      string(CONCAT error "ALIGN must be a power of 2 from 8 to ${max_align} (bytes, the most "
                   "GCC takes for an object on ELF), such as 8, 16 or 32, not '${value}'")
    endif()
  endif()
  set(${error_var} "${error}" PARENT_SCOPE)
  set(${use_var} "${align}" PARENT_SCOPE)
endfunction()

# The linker section, none by default.
function(_wfac_check_section given value error_var use_var)
  set(error "")
  # The name stands as given in the assembler's .section directive: any
  # other character may start a comment there (# on x86, @ on Arm), end the
  # name or be changed by the compiler. '$' is in the RAM banks of NXP's
  # scripts (*(.data.$RAM2*)).
  if(given AND NOT value MATCHES "^[A-Za-z_.$][A-Za-z0-9_.$]*$")
    string(CONCAT error "SECTION must be a linker section name of letters, digits, '_', '.' "
                 "and '$', not starting with a digit, such as .wfac_tables, not '${value}'")
  elseif(given)
    _wfac_special_section("${value}" glob what instead)
    if(glob)
      string(CONCAT error "SECTION '${value}' matches ${glob}, which compilers, linkers or "
                   "start-up code take for ${what}; choose ${instead}")
    endif()
  endif()
  set(${error_var} "${error}" PARENT_SCOPE)
  set(${use_var} "${value}" PARENT_SCOPE)
endfunction()

# The programs read the leading number of their argument and ignore the
# rest, so the whole text is checked here; below 1 every entry is 0.
function(_wfac_check_scale given value error_var use_var)
  set(error "")
  if(given AND NOT (value MATCHES "^([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?$"
                    AND NOT value LESS 1))
    string(CONCAT error "SCALE must be a decimal number of at least 1 (digits, an optional "
                 "fraction and an optional exponent, such as 16384, 1000.5 or 1e6), not "
                 "'${value}'")
  endif()
  set(${error_var} "${error}" PARENT_SCOPE)
  set(${use_var} "${value}" PARENT_SCOPE)
endfunction()

# The table's file as an absolute path, taken from base_dir; "" when not
# given or refused.
function(_wfac_check_output given value error_var use_var base_dir)
  set(error "")
  set(output "")
  if(given)
    set(output "${value}")
    cmake_path(ABSOLUTE_PATH output BASE_DIRECTORY "${base_dir}" NORMALIZE)
    string(REGEX REPLACE "\r?\n" "\\\\n" shown "${value}")
    if(output MATCHES "[\";#\r\n]|\\?\\?|\\$<")
      # The path stands in the wrapper's #include, where ?? may start a
      # trigraph, in the build's lists, in generator expressions and in
      # makefiles, where # starts a comment.
      string(CONCAT error "OUTPUT must be a path without double quotes, semicolons, '#', "
                    "'??', '$<' or line breaks, not '${shown}'")
    elseif(value MATCHES "(^|[/\\\\])\\.?\\.?$" OR IS_DIRECTORY "${output}")
      set(error "OUTPUT must name the table's file, not the folder '${shown}'")
    elseif(output MATCHES "\\.[hH]$")
      string(CONCAT error "OUTPUT must not end in .h, which is the name of the table's header "
                    "beside it, not '${shown}'")
    endif()
    if(error)
      set(output "")
    endif()
  endif()
  set(${error_var} "${error}" PARENT_SCOPE)
  set(${use_var} "${output}" PARENT_SCOPE)
endfunction()

# In the caller's variables <prefix>_<KEYWORD>: an empty NAME, OUTPUT or
# SCALE is one not given (an empty ALIGN or SECTION is refused).
macro(_wfac_table_forget_empty prefix)
  foreach(_wfac_keyword NAME OUTPUT SCALE)
    if(DEFINED ${prefix}_${_wfac_keyword} AND "${${prefix}_${_wfac_keyword}}" STREQUAL "")
      unset(${prefix}_${_wfac_keyword})
    endif()
  endforeach()
endmacro()

# Sets var to the -D definitions that hand the writer the arguments given in
# the caller's variables <prefix>_<KEYWORD>, but PROGRAM, which the caller
# gives as a path.
function(_wfac_table_definitions var prefix)
  _wfac_table_keywords(keywords)
  list(REMOVE_ITEM keywords PROGRAM)
  set(definitions "")
  foreach(keyword IN LISTS keywords)
    if(DEFINED ${prefix}_${keyword})
      list(APPEND definitions "-D${keyword}=${${prefix}_${keyword}}")
    endif()
  endforeach()
  set(${var} "${definitions}" PARENT_SCOPE)
endfunction()

# Checks the arguments of a table and works out its files:
#   ARGUMENTS <prefix>   the arguments as given, in the caller's variables
#                        <prefix>_<KEYWORD>, each defined when given (as
#                        cmake_parse_arguments() leaves them)
#   BASE_DIR <dir>       the folder a relative OUTPUT is taken from
#   DEFAULT_DIR <dir>    the table's folder without OUTPUT
#   WRAPPER <file>       the wrapper, if not <stem>.wfac.c beside the table
# Sets in the caller
#   OUT_ERROR <var>      what is wrong with the first bad argument, or ""
#   OUT_FILES <var>      the table, its header and its wrapper, or "" when
#                        the arguments name none (a bad OUTPUT, or no OUTPUT
#                        and no stem); after a refusal too, since the writer
#                        then removes what an earlier run wrote there
#   OUT_VALUES <prefix>  <prefix>_<KEYWORD>, the value the table uses of each
#                        argument ("" for none), when given
function(_wfac_table_check)
  cmake_parse_arguments(PARSE_ARGV 0 arg ""
    "ARGUMENTS;BASE_DIR;DEFAULT_DIR;WRAPPER;OUT_ERROR;OUT_FILES;OUT_VALUES" "")
  set(given_as "${arg_ARGUMENTS}")
  _wfac_table_arguments(rows)
  set(error "")
  foreach(row IN LISTS rows)
    string(REGEX MATCHALL "[^ ]+" fields "${row}")
    list(GET fields 0 keyword)
    list(GET fields 1 check)
    set(given FALSE)
    set(value "")
    if(DEFINED ${given_as}_${keyword})
      set(given TRUE)
      set(value "${${given_as}_${keyword}}")
    endif()
    cmake_language(CALL ${check} ${given} "${value}" problem use "${arg_BASE_DIR}")
    if(NOT error)
      set(error "${problem}")
    endif()
    set(use_${keyword} "${use}")
    if(DEFINED arg_OUT_VALUES)
      set(${arg_OUT_VALUES}_${keyword} "${use}" PARENT_SCOPE)
    endif()
  endforeach()

  set(output "${use_OUTPUT}")
  if(NOT DEFINED ${given_as}_OUTPUT)
    _wfac_default_stem(stem "${${given_as}_NAME}" "${${given_as}_PROGRAM}" "${${given_as}_SIZE}")
    if(stem)
      set(output "${arg_DEFAULT_DIR}/${stem}.c")
    endif()
  endif()
  _wfac_table_files(files problem "${output}" "${arg_WRAPPER}" "${${given_as}_OUTPUT}")
  if(NOT error)
    set(error "${problem}")
  endif()
  if(files AND NOT error)
    _wfac_check_files(error "${files}" "${${given_as}_OUTPUT}")
  endif()
  set(${arg_OUT_ERROR} "${error}" PARENT_SCOPE)
  set(${arg_OUT_FILES} "${files}" PARENT_SCOPE)
endfunction()

# Sets var to the stem of the table's file without OUTPUT: NAME when it is a
# C identifier, <program>_<N> without NAME, else "".
function(_wfac_default_stem var name program size)
  _wfac_table_programs(programs)
  _wfac_table_sizes(sizes)
  set(stem "")
  if(NOT name STREQUAL "")
    if(name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      set(stem "${name}")
    endif()
  elseif("${program}" IN_LIST programs AND "${size}" IN_LIST sizes)
    set(stem "${program}_${size}")
  endif()
  set(${var} "${stem}" PARENT_SCOPE)
endfunction()

# Sets files_var to the table output, its header <stem>.h beside it and its
# wrapper (wrapper, or <stem>.wfac.c beside the table), or to "" when output
# is ""; and error_var to what is wrong with them, or "". given_output is
# OUTPUT as given, for the message.
function(_wfac_table_files files_var error_var output wrapper given_output)
  set(files "")
  set(error "")
  if(output)
    cmake_path(GET output PARENT_PATH dir)
    cmake_path(GET output STEM LAST_ONLY file_stem)
    if(wrapper STREQUAL "")
      set(wrapper "${dir}/${file_stem}.wfac.c")
    endif()
    set(files "${output}" "${dir}/${file_stem}.h" "${wrapper}")
    string(TOLOWER "${output}" lower_output)
    string(TOLOWER "${wrapper}" lower_wrapper)
    if(lower_output STREQUAL lower_wrapper)
      string(CONCAT error "OUTPUT must not be the name of the wrapper that compiles the "
                    "table, not '${given_output}'")
      set(files "")
    endif()
  endif()
  set(${files_var} "${files}" PARENT_SCOPE)
  set(${error_var} "${error}" PARENT_SCOPE)
endfunction()

# Sets error_var to what is wrong with the places of files (the table, its
# header and its wrapper), or leaves it alone; given_output is OUTPUT as
# given, for the message.
function(_wfac_check_files error_var files given_output)
  list(GET files 0 output)
  list(GET files 2 wrapper)
  set(error "")
  # The writer keeps its lock and temporary files beside the table, under
  # names fixed for it: in a folder where every user may add files (/tmp),
  # another user could plant a link at one of them.
  if(CMAKE_HOST_UNIX)
    cmake_path(GET output PARENT_PATH output_dir)
    cmake_path(GET wrapper PARENT_PATH wrapper_dir)
    foreach(folder IN ITEMS "${output_dir}" "${wrapper_dir}")
      _wfac_shared_folder("${folder}" shared)
      if(shared AND NOT error)
        string(CONCAT error "OUTPUT must lie in a folder of your own, not in ${shared}, where "
                     "every user may add files and so plant a link at a name the writer "
                     "uses, not '${given_output}'")
      endif()
    endforeach()
  endif()
  # wfac replaces only files that it wrote.
  foreach(file IN LISTS files)
    if(EXISTS "${file}" AND NOT error)
      _wfac_written_by_wfac("${file}" ours)
      if(NOT ours)
        string(CONCAT error "OUTPUT and NAME give the file ${file}, which wfac did not write "
                     "and will not replace; choose another OUTPUT or NAME")
      endif()
    endif()
  endforeach()
  if(error)
    set(${error_var} "${error}" PARENT_SCOPE)
  endif()
endfunction()

# The texts by which wfac knows the files it wrote, and so replaces no other
# file: the table's, in the first comment that the program writes
# (frame/emit_table.cpp); the header's, in its first line after the table's
# file name; the wrapper's, which begins it. The templates take theirs from
# here; image/table_files.cpp looks for the first two.
macro(_wfac_written_marks table_var header_var wrapper_var)
  set(${table_var} "Automatically generated twiddle-factor array")
  set(${header_var} ": written by wfac ")
  set(${wrapper_var} "/* Compiles the table ")
endmacro()

# Sets var to true when file is a table, header or wrapper that wfac wrote,
# as its first lines show.
function(_wfac_written_by_wfac file var)
  set(ours FALSE)
  if(NOT IS_DIRECTORY "${file}")
    _wfac_written_marks(table_mark header_mark wrapper_mark)
    file(READ "${file}" head LIMIT 160)
    string(REGEX MATCH "^[^\n]*" first_line "${head}")
    string(FIND "${head}" "${table_mark}" table_at)
    string(FIND "${first_line}" "${header_mark}" header_at)
    string(FIND "${head}" "${wrapper_mark}" wrapper_at)
    if(head MATCHES "^/\\* " AND (table_at GREATER -1 OR header_at GREATER -1
                                  OR wrapper_at EQUAL 0))
      set(ours TRUE)
    endif()
  endif()
  set(${var} ${ours} PARENT_SCOPE)
endfunction()

# Sets var to the folder in which the writer would create folder, or an
# entry of it, when every user may add files there and only their owner
# remove them (a folder like /tmp: written by all, sticky); else to "".
function(_wfac_shared_folder folder var)
  while(NOT EXISTS "${folder}")
    cmake_path(GET folder PARENT_PATH parent)
    if(parent STREQUAL folder)
      break()
    endif()
    set(folder "${parent}")
  endwhile()
  execute_process(COMMAND ls -ld "${folder}" OUTPUT_VARIABLE mode ERROR_QUIET)
  if(mode MATCHES "^d.......w[tT]")
    set(${var} "${folder}" PARENT_SCOPE)
  else()
    set(${var} "" PARENT_SCOPE)
  endif()
endfunction()

cmake_policy(POP)
