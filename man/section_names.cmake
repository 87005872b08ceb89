# The section names that SECTION refuses, as wfac(7) lists them:
# wfac_section_names_roff(<var>) sets var to each row of
# _wfac_special_sections() (cmake/WfacTableArgs.cmake) as a paragraph of
# roff, its globs in bold, then what they are taken for.
function(wfac_section_names_roff var)
  _wfac_special_sections(rows)
  set(roff "")
  foreach(row IN LISTS rows)
    _wfac_special_sections_row("${row}" what instead globs)
    string(APPEND roff ".IP \\(bu 2\n")
    list(POP_BACK globs last)
    foreach(glob IN LISTS globs)
      string(APPEND roff ".BR ${glob} ,\n")
    endforeach()
    string(APPEND roff ".BR ${last} :\n${what}; choose ${instead}.\n")
  endforeach()
  string(REPLACE "-" "\\-" roff "${roff}")
  string(REGEX REPLACE "\n$" "" roff "${roff}")
  set(${var} "${roff}" PARENT_SCOPE)
endfunction()
