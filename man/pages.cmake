# What sets each table program's man page apart, filled into
# wfac_program.1.in from the program's row in cmake/WfacPrograms.cmake:
# wfac_page(<program>) sets the PAGE_* variables that the template reads.

# Sets var to the words (two or more) as troff lines in bold, a comma after
# each but the last two and conjunction between those: ".BR a ,", ".B b",
# "and", ".B c".
function(_wfac_page_words var conjunction)
  set(words ${ARGN})
  list(POP_BACK words last)
  set(text "")
  if(words)
    list(POP_BACK words second_last)
    foreach(word IN LISTS words)
      string(APPEND text ".BR ${word} ,\n")
    endforeach()
    string(APPEND text ".B ${second_last}\n${conjunction}\n")
  endif()
  set(${var} "${text}.B ${last}" PARENT_SCOPE)
endfunction()

# Sets var to a reference to each of the pages that follow, of section 1:
# ".BR <page> (1)", each but the last followed by separator.
function(_wfac_page_refs var separator)
  set(refs ${ARGN})
  list(TRANSFORM refs PREPEND ".BR ")
  list(TRANSFORM refs APPEND " (1)")
  list(JOIN refs "${separator}" text)
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# What the other pages (wfac.7, wfac_check_image.1) say of all the table
# programs: PAGE_PROGRAMS ("a (1), b (1) and c (1)", by name),
# PAGE_PROGRAM_CHOICES ("a, b or c.", in the order messages name them) and
# PAGE_PROGRAMS_SEE_ALSO (one reference a line, by name).
function(wfac_page_program_lists)
  _wfac_programs(programs)
  _wfac_page_words(choices or ${programs})
  string(REGEX REPLACE "\\.B ([^\n]+)$" ".BR \\1 ." choices "${choices}")
  set(PAGE_PROGRAM_CHOICES "${choices}" PARENT_SCOPE)
  list(SORT programs)
  set(first ${programs})
  list(POP_BACK first last)
  list(POP_BACK first second_last)
  set(refs "")
  foreach(program IN LISTS first)
    string(APPEND refs ".BR ${program} (1),\n")
  endforeach()
  set(PAGE_PROGRAMS "${refs}.BR ${second_last} (1)\nand\n.BR ${last} (1)" PARENT_SCOPE)
  _wfac_page_refs(see_also ",\n" ${programs})
  set(PAGE_PROGRAMS_SEE_ALSO "${see_also}" PARENT_SCOPE)
endfunction()

function(wfac_page program)
  _wfac_program_facts(${program} fact)
  set(bits ${fact_ENTRY_WIDTH})
  math(EXPR largest "(1 << (${bits} - 1)) - 1")
  math(EXPR smallest "1 << (${bits} - 1)")
  math(EXPR hex "${largest}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${hex}" 2 -1 hex)
  string(TOUPPER "${hex}" hex)
  math(EXPR half "1 << (${bits} - 2)")
  set(PAGE_RANGE "\\-${smallest}..${largest}.")
  set(PAGE_LARGEST "0x${hex}")
  set(PAGE_HALF "${half}")
  set(PAGE_BOUND "${fact_SCALE_BOUND}")
  set(PAGE_DEFAULT "${fact_DEFAULT_SCALE}")
  # The example of a negative entry: the sine of -pi/4 at the default scale.
  if(bits EQUAL 16)
    set(PAGE_TYPE "short")
    set(PAGE_PER_LINE "eight")
    set(PAGE_NEGATIVE "0x5A82")
  else()
    set(PAGE_TYPE "int")
    set(PAGE_PER_LINE "four")
    set(PAGE_NEGATIVE "0x5A827999")
  endif()
  string(REGEX REPLACE "^wfac_(.*)_gen$" "w_\\1" PAGE_STEM "${program}")

  _wfac_page_words(routines and ${fact_ROUTINES})
  set(power_of_4 "${fact_POWER_OF_4_ROUTINE}")
  if(power_of_4)
    set(PAGE_ROUTINES "${routines}\n(and\n.B ${power_of_4}\nwhen\n.I N\nis a power of 4) need for an")
    set(PAGE_OUTPUT_ROUTINES [[the scale and the routines (naming
.B POWER_OF_4
too when
.I N
is a power of 4; with more than one size on the command line, the last
decides), the line]])
    string(REPLACE "POWER_OF_4" "${power_of_4}" PAGE_OUTPUT_ROUTINES "${PAGE_OUTPUT_ROUTINES}")
  else()
    set(PAGE_ROUTINES "${routines}\nneed for an")
    set(PAGE_OUTPUT_ROUTINES "the scale and the routines, the line")
  endif()

  if(fact_LAYOUT EQUAL 12)
    set(PAGE_WHAT "${bits}-bit twelve-entry radix-4")
    set(PAGE_LAYOUT [[the butterflies
.I i
and
.IR i + j ,
for
.I i
= 0,
.RI 2 j ,
.RI 4 j ,
\&... below
.IR N /4,
share a group of twelve BITS-bit entries: the sine and the cosine of
.RI 2\(*p i / N ,
then of
.RI 2\(*p( i + j )/ N ,
then the same for 4\(*p and for 6\(*p.]])
  else()
    set(PAGE_WHAT "${bits}-bit six-entry")
    set(PAGE_LAYOUT [[and each butterfly
.I i
= 0,
.IR j ,
.RI 2 j ,
\&... below
.IR N /4,
the table holds six BITS-bit entries: the sine and the cosine of
.RI 2\(*p i / N ,
.RI 4\(*p i / N
and
.RI 6\(*p i / N ,
in that order.]])
  endif()
  string(REPLACE "BITS" "${bits}" PAGE_LAYOUT "${PAGE_LAYOUT}")

  string(TOUPPER "${program}" title)
  _wfac_programs(others)
  list(SORT others)
  list(REMOVE_ITEM others "${program}")
  _wfac_page_refs(see_also ",\n" ${others})
  set(PAGE_TITLE "${title}" PARENT_SCOPE)
  set(PAGE_PROGRAM "${program}" PARENT_SCOPE)
  set(PAGE_SEE_ALSO "${see_also}" PARENT_SCOPE)
  foreach(name WHAT ROUTINES LAYOUT RANGE BOUND DEFAULT OUTPUT_ROUTINES TYPE PER_LINE LARGEST
          NEGATIVE STEM HALF)
    set(PAGE_${name} "${PAGE_${name}}" PARENT_SCOPE)
  endforeach()
endfunction()
