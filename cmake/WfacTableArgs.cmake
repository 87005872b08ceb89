# The checks and defaults of a table's arguments, the same for
# wfac_add_table() and for its build step.

# The function keeps these policies whatever the including project or
# script sets.
cmake_policy(PUSH)
cmake_policy(VERSION 3.25)

# Keywords of C (C89 to C23) and C++ (to C++20), which cannot name an array.
set(_wfac_keywords
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

# Checks the arguments that the caller holds in table_PROGRAM (a program's
# name), table_SIZE, table_NAME, table_ALIGN and table_SECTION (each
# defined when given, if only as empty). The scale is left to the program,
# which refuses a bad one with its own message. Sets in the caller:
#   table_error  what is wrong with the first bad argument, or empty
#   table_name   the array's name (default w)
#   table_stem   the table file's default stem: NAME, or <program>_<N>;
#                empty when NAME, PROGRAM or SIZE is bad
#   table_align  the array's alignment in bytes (default 8)
function(_wfac_check_table_args)
  set(error "")
  set(sizes 16 32 64 128 256 512 1024 2048 4096 8192 16384 32768)
  if(NOT table_PROGRAM MATCHES "^(wfac_hw_gen|wfac_ww_gen|wfac_hh_gen)$")
    set(error "PROGRAM must be wfac_hw_gen, wfac_ww_gen or wfac_hh_gen, not '${table_PROGRAM}'")
  elseif(NOT DEFINED table_SIZE)
    set(error "SIZE is missing")
  elseif(NOT table_SIZE IN_LIST sizes)
    set(error "SIZE must be a power of 2 from 16 to 32768, not '${table_SIZE}'")
  else()
    set(stem "${table_PROGRAM}_${table_SIZE}")
  endif()
  set(name w)
  if(DEFINED table_NAME)
    set(stem "")
    if(NOT table_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      string(CONCAT name_error "NAME must be a C identifier (letters, digits and "
                    "underscores, not starting with a digit), not '${table_NAME}'")
    elseif(table_NAME IN_LIST _wfac_keywords)
      string(CONCAT name_error "NAME '${table_NAME}' is a keyword of C or C++, which cannot "
                    "name the array; choose another NAME")
    else()
      set(name "${table_NAME}")
      set(stem "${table_NAME}")
    endif()
    if(NOT error AND name_error)
      set(error "${name_error}")
    endif()
  endif()
  # The table's comment asks for 8 bytes; wider suits wide vector loads.
  set(align 8)
  if(DEFINED table_ALIGN)
    set(align 0)
    string(LENGTH "${table_ALIGN}" digits)
    if(table_ALIGN MATCHES "^[0-9]+$" AND digits LESS 19)
      math(EXPR align "${table_ALIGN}")
      math(EXPR spare "${align} & (${align} - 1)")
      if(NOT spare EQUAL 0)
        set(align 0)
      endif()
    endif()
    if(align LESS 8 AND NOT error)
      string(CONCAT error "ALIGN must be a power of 2 of at least 8 (bytes), such as 8, 16 "
                   "or 32, not '${table_ALIGN}'")
    endif()
  endif()
  # The name stands in a C string in the header, and in the build's command
  # lines and lists.
  if(DEFINED table_SECTION AND (table_SECTION STREQUAL "" OR table_SECTION MATCHES "[\"\\; \t\r\n]")
     AND NOT error)
    string(CONCAT error "SECTION must be a linker section name, not empty and without double "
                 "quotes, backslashes, semicolons or white space, not '${table_SECTION}'")
  endif()
  set(table_error "${error}" PARENT_SCOPE)
  set(table_name "${name}" PARENT_SCOPE)
  set(table_stem "${stem}" PARENT_SCOPE)
  set(table_align "${align}" PARENT_SCOPE)
endfunction()

cmake_policy(POP)
