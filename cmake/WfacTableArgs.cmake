# The checks and defaults of a table's arguments, the same for
# wfac_add_table() and for its build step: what is accepted gives the right
# table, what is refused gets one message naming the argument and what it
# may be.

# The function keeps these policies whatever the including project or
# script sets.
cmake_policy(PUSH)
cmake_policy(VERSION 3.22...4.3)

# The arguments of a table: the keywords of wfac_add_table() and the -D
# definitions of the writer alike. A new argument is an entry here, a
# check in _wfac_table_error() and its use in the writer.
# The programs that write tables, in the order messages name them.
include("${CMAKE_CURRENT_LIST_DIR}/WfacPrograms.cmake")
macro(_wfac_table_programs var)
  _wfac_programs(${var})
endmacro()

# The sizes the programs take.
macro(_wfac_table_sizes var)
  set(${var} 16 32 64 128 256 512 1024 2048 4096 8192 16384 32768)
endmacro()

macro(_wfac_table_keywords var)
  set(${var} PROGRAM SIZE SCALE NAME OUTPUT ALIGN SECTION)
endmacro()

# In the caller's table_* variables: an empty NAME, OUTPUT or SCALE is one
# not given (an empty ALIGN or SECTION is refused by the checks).
macro(_wfac_table_forget_empty)
  foreach(_wfac_keyword NAME OUTPUT SCALE)
    if(DEFINED table_${_wfac_keyword} AND "${table_${_wfac_keyword}}" STREQUAL "")
      unset(table_${_wfac_keyword})
    endif()
  endforeach()
endmacro()

# Sets var to the -D definitions that hand the writer the arguments that
# the caller's table_* variables give, and its WRAPPER; not PROGRAM, which
# the caller gives as a path.
function(_wfac_table_definitions var)
  _wfac_table_keywords(keywords)
  list(REMOVE_ITEM keywords PROGRAM)
  set(definitions "")
  foreach(keyword IN LISTS keywords ITEMS WRAPPER)
    if(DEFINED table_${keyword})
      list(APPEND definitions "-D${keyword}=${table_${keyword}}")
    endif()
  endforeach()
  set(${var} "${definitions}" PARENT_SCOPE)
endfunction()

# Works out the files of the arguments that the caller holds in its
# table_* variables: a relative OUTPUT is taken from table_BASE_DIR, the
# default one lies in table_DEFAULT_DIR, and the wrapper is table_WRAPPER
# when defined, else <stem>.wfac.c beside the table. Sets in the caller:
#   table_name     the array's name (default w)
#   table_output   the table's absolute path, table_header its header's and
#   table_wrapper  its wrapper's: all three empty when the arguments do not
#                  name them (a bad OUTPUT, or no OUTPUT and no stem)
#   table_output_error  what is wrong with OUTPUT as a path, or empty
# The writer needs them after a refusal too, to clear an earlier run's.
function(_wfac_table_files)
  _wfac_table_programs(programs)
  _wfac_table_sizes(sizes)
  set(name w)
  set(stem "")
  if(DEFINED table_NAME)
    set(name "${table_NAME}")
    if(table_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      set(stem "${table_NAME}")
    endif()
  elseif("${table_PROGRAM}" IN_LIST programs AND "${table_SIZE}" IN_LIST sizes)
    set(stem "${table_PROGRAM}_${table_SIZE}")
  endif()

  set(output "")
  set(output_error "")
  if(DEFINED table_OUTPUT)
    set(output "${table_OUTPUT}")
    cmake_path(ABSOLUTE_PATH output BASE_DIRECTORY "${table_BASE_DIR}" NORMALIZE)
    string(REGEX REPLACE "\r?\n" "\\\\n" shown "${table_OUTPUT}")
    if(output MATCHES "[\";#\r\n]|\\?\\?|\\$<")
      # The path stands in the wrapper's #include, where ?? may start a
      # trigraph, in the build's lists, in generator expressions and in
      # makefiles, where # starts a comment.
      string(CONCAT output_error "OUTPUT must be a path without double quotes, semicolons, "
                    "'#', '??', '$<' or line breaks, not '${shown}'")
    elseif(table_OUTPUT MATCHES "(^|[/\\\\])\\.?\\.?$" OR IS_DIRECTORY "${output}")
      set(output_error "OUTPUT must name the table's file, not the folder '${shown}'")
    elseif(output MATCHES "\\.[hH]$")
      string(CONCAT output_error "OUTPUT must not end in .h, which is the name of the "
                    "table's header beside it, not '${shown}'")
    endif()
    if(output_error)
      set(output "")
    endif()
  elseif(stem)
    set(output "${table_DEFAULT_DIR}/${stem}.c")
  endif()

  set(header "")
  set(wrapper "")
  if(output)
    cmake_path(GET output PARENT_PATH dir)
    cmake_path(GET output STEM LAST_ONLY file_stem)
    set(header "${dir}/${file_stem}.h")
    set(wrapper "${dir}/${file_stem}.wfac.c")
    if(DEFINED table_WRAPPER)
      set(wrapper "${table_WRAPPER}")
    endif()
    string(TOLOWER "${output}" lower_output)
    string(TOLOWER "${wrapper}" lower_wrapper)
    if(lower_output STREQUAL lower_wrapper)
      string(CONCAT output_error "OUTPUT must not be the name of the wrapper that compiles the "
                    "table, not '${table_OUTPUT}'")
      set(output "")
      set(header "")
      set(wrapper "")
    endif()
  endif()
  set(table_name "${name}" PARENT_SCOPE)
  set(table_output "${output}" PARENT_SCOPE)
  set(table_header "${header}" PARENT_SCOPE)
  set(table_wrapper "${wrapper}" PARENT_SCOPE)
  set(table_output_error "${output_error}" PARENT_SCOPE)
endfunction()

# Checks the arguments that the caller holds in table_PROGRAM (a program's
# name), table_SIZE, table_SCALE, table_NAME, table_OUTPUT, table_ALIGN and
# table_SECTION (each defined when given; SECTION and ALIGN if only as
# empty), with the files that _wfac_table_files() worked out, in the order
# of the arguments. Sets in the caller:
#   table_error    what is wrong with the first bad argument, or empty
#   table_align    the array's alignment in bytes (default 8)
function(_wfac_table_error)
  # Keywords of C (C89 to C23) and C++ (to C++20), which cannot name an array.
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
  # Section names that compilers, linkers or start-up code treat by their
  # start, as linker scripts match them (*(.bss*) takes .bss_x too), each
  # list after what they are taken for.
  set(special_sections
    "notes for tools, which are merged, stripped or left out of the image: .comment .note .debug .zdebug .stab .symtab .strtab .shstrtab .llvm"
    "code or constructors that start-up and exit code run: .init .fini .preinit_array .ctors .dtors .jcr .tm_clone_table"
    "data without bytes in the image, cleared at start-up, or of each thread: .bss .sbss .tbss .tdata .noinit"
    "the linker's, the loader's or the unwinder's own data, or the stack or heap: .got .plt .dynamic .dynsym .dynstr .interp .hash .gnu. .rel. .rela. .eh_frame .gcc_except_table .ARM. .stack .heap")

  # The largest alignment GCC takes for an object in an ELF file, 2^28 bytes
  # (Clang takes at least as much). These stand in the function, which sees
  # the variables of its caller, not of this file.
  set(max_align 268435456)
  set(error "")
  _wfac_table_sizes(sizes)
  _wfac_table_programs(programs)
  if(NOT "${table_PROGRAM}" IN_LIST programs)
    list(POP_BACK programs last)
    list(JOIN programs ", " programs)
    set(error "PROGRAM must be ${programs} or ${last}, not '${table_PROGRAM}'")
  elseif(NOT DEFINED table_SIZE)
    set(error "SIZE is missing")
  elseif(NOT table_SIZE IN_LIST sizes)
    set(error "SIZE must be a power of 2 from 16 to 32768, not '${table_SIZE}'")
  endif()

  if(DEFINED table_NAME)
    set(name_error "")
    set(choose "which cannot name the array; choose another NAME")
    if(NOT table_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      string(CONCAT name_error "NAME must be a C identifier (letters, digits and "
                    "underscores, not starting with a digit), not '${table_NAME}'")
    elseif(table_NAME IN_LIST c_keywords)
      set(name_error "NAME '${table_NAME}' is a keyword of C or C++, ${choose}")
    elseif(table_NAME MATCHES "^(__|_[A-Z])")
      string(CONCAT name_error "NAME '${table_NAME}' is reserved for the compiler and its "
                    "library (two leading underscores, or an underscore and a capital "
                    "letter), ${choose}")
    elseif(table_NAME IN_LIST predefined_macros)
      string(CONCAT name_error "NAME '${table_NAME}' is a macro that GCC or Clang predefine "
                    "in their GNU modes, ${choose}")
    elseif(table_NAME STREQUAL "main")
      set(name_error "NAME 'main' is the program's entry point, ${choose}")
    elseif(table_NAME IN_LIST library_names)
      string(CONCAT name_error "NAME '${table_NAME}' is a function or object of the C library "
                    "(ISO C or POSIX), which the table would replace at link time; choose "
                    "another NAME")
    endif()
    if(NOT error)
      set(error "${name_error}")
    endif()
  endif()

  # The table's comment asks for 8 bytes; wider suits wide vector loads.
  set(align 8)
  if(DEFINED table_ALIGN)
    set(align 0)
    if(table_ALIGN MATCHES "^0*[1-9][0-9]*$")
      string(REGEX REPLACE "^0+" "" digits "${table_ALIGN}")
      string(LENGTH "${digits}" length)
      if(length LESS 10)
        math(EXPR align "${digits}")
        math(EXPR spare "${align} & (${align} - 1)")
        if(NOT spare EQUAL 0 OR align GREATER max_align)
          set(align 0)
        endif()
      endif()
    endif()
    if(align LESS 8 AND NOT error)
      string(CONCAT error "ALIGN must be a power of 2 from 8 to ${max_align} (bytes, "
                   "the most GCC takes for an object on ELF), such as 8, 16 or 32, not "
                   "'${table_ALIGN}'")
    endif()
  endif()

  # The name stands as given in the assembler's .section directive: any
  # other character may start a comment there (# on x86, @ on Arm), end the
  # name or be changed by the compiler.
  if(DEFINED table_SECTION AND NOT table_SECTION MATCHES "^[A-Za-z_.][A-Za-z0-9_.]*$"
     AND NOT error)
    string(CONCAT error "SECTION must be a linker section name of letters, digits, '_' and "
                 "'.', not starting with a digit, such as .wfac_tables, not "
                 "'${table_SECTION}'")
  endif()
  if(DEFINED table_SECTION AND NOT error)
    foreach(group IN LISTS special_sections)
      string(REGEX MATCH "^(.*): (.*)$" _ "${group}")
      set(what "${CMAKE_MATCH_1}")
      string(REPLACE " " ";" prefixes "${CMAKE_MATCH_2}")
      foreach(prefix IN LISTS prefixes)
        string(FIND "${table_SECTION}" "${prefix}" at)
        if(at EQUAL 0 AND NOT error)
          string(CONCAT error "SECTION '${table_SECTION}' begins with ${prefix}, which compilers, "
                       "linkers or start-up code take for ${what}; choose another SECTION, "
                       "such as .wfac_tables")
        endif()
      endforeach()
    endforeach()
  endif()

  # The programs read the leading number of their argument and ignore the
  # rest, so the whole text is checked here; below 1 every entry is 0.
  if(DEFINED table_SCALE AND NOT error)
    set(scale_ok FALSE)
    if(table_SCALE MATCHES "^([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?$")
      if(NOT table_SCALE LESS 1)
        set(scale_ok TRUE)
      endif()
    endif()
    if(NOT scale_ok)
      string(CONCAT error "SCALE must be a decimal number of at least 1 (digits, an optional "
                   "fraction and an optional exponent, such as 16384, 1000.5 or 1e6), not "
                   "'${table_SCALE}'")
    endif()
  endif()

  if(table_output_error AND NOT error)
    set(error "${table_output_error}")
  endif()
  set(output "${table_output}")
  set(header "${table_header}")
  set(wrapper "${table_wrapper}")

  # The writer keeps its lock and temporary files beside the table, under
  # names fixed for it: in a folder where every user may add files (/tmp),
  # another user could plant a link at one of them.
  if(output AND NOT error AND CMAKE_HOST_UNIX)
    cmake_path(GET output PARENT_PATH output_dir)
    cmake_path(GET wrapper PARENT_PATH wrapper_dir)
    foreach(folder IN ITEMS "${output_dir}" "${wrapper_dir}")
      _wfac_shared_folder("${folder}" shared)
      if(shared AND NOT error)
        string(CONCAT error "OUTPUT must lie in a folder of your own, not in ${shared}, where "
                     "every user may add files and so plant a link at a name the writer "
                     "uses, not '${table_OUTPUT}'")
      endif()
    endforeach()
  endif()
  # wfac replaces only files that it wrote.
  if(output AND NOT error)
    foreach(file IN ITEMS "${output}" "${header}" "${wrapper}")
      if(EXISTS "${file}")
        _wfac_written_by_wfac("${file}" ours)
        if(NOT ours AND NOT error)
          string(CONCAT error "OUTPUT and NAME give the file ${file}, which wfac did not write "
                       "and will not replace; choose another OUTPUT or NAME")
        endif()
      endif()
    endforeach()
  endif()

  set(table_error "${error}" PARENT_SCOPE)
  set(table_align "${align}" PARENT_SCOPE)
endfunction()

# Works out the files and checks the arguments: _wfac_table_files() and
# _wfac_table_error(), which set table_name, table_output, table_header,
# table_wrapper, table_error and table_align in the caller.
macro(_wfac_check_table_args)
  _wfac_table_files()
  _wfac_table_error()
endmacro()

# Sets var to true when file is a table, header or wrapper that wfac wrote,
# as its first line shows.
function(_wfac_written_by_wfac file var)
  set(ours FALSE)
  if(NOT IS_DIRECTORY "${file}")
    file(READ "${file}" head LIMIT 160)
    if(head MATCHES "^/\\* " AND head MATCHES
       "Automatically generated twiddle-factor array|^/\\* [^\n]*: written by wfac |^/\\* Compiles the table ")
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
