# What sets each table program's man page apart, filled into
# wfac_program.1.in: wfac_page(<program>) sets the PAGE_* variables that
# the template reads. The 16-bit values and the six-entry layout come
# first; each program changes what differs.
function(wfac_page program)
  set(bits 16)
  set(PAGE_RANGE [[\-32768..32767.]])
  set(PAGE_BOUND "32767.6")
  set(PAGE_DEFAULT "32767.5")
  set(PAGE_TYPE "short")
  set(PAGE_PER_LINE "eight")
  set(PAGE_LARGEST "0x7FFF")
  set(PAGE_NEGATIVE "0x5A82")
  set(PAGE_HALF "16384")
  set(PAGE_OUTPUT_ROUTINES "the scale and the routines, the line")
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
  if(program STREQUAL "wfac_hh_gen")
    set(PAGE_WHAT "16-bit twelve-entry radix-4")
    set(PAGE_ROUTINES [[.B QRV_fft_hh_pa
and
.B QRV_fft_hh_pb
(and
.B QRV_fft
when
.I N
is a power of 4) need for an]])
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
share a group of twelve 16-bit entries: the sine and the cosine of
.RI 2\(*p i / N ,
then of
.RI 2\(*p( i + j )/ N ,
then the same for 4\(*p and for 6\(*p.]])
    set(PAGE_OUTPUT_ROUTINES [[the scale and the routines (naming
.B QRV_fft
too when
.I N
is a power of 4; with more than one size on the command line, the last
decides), the line]])
    set(PAGE_STEM "w_hh")
  elseif(program STREQUAL "wfac_hw_gen")
    set(PAGE_WHAT "16-bit six-entry")
    set(PAGE_ROUTINES [[.B QRV_fft_hw_a
and
.B QRV_ifft_hw_a
need for an]])
    set(PAGE_STEM "w_hw")
  elseif(program STREQUAL "wfac_ww_gen")
    set(bits 32)
    set(PAGE_WHAT "32-bit six-entry")
    set(PAGE_ROUTINES [[.BR QRV_fft_ww_a ,
.B QRV_fft_ww_ab
and
.B QRV_ifft_ww_a
need for an]])
    set(PAGE_RANGE [[\-2147483648..2147483647.]])
    set(PAGE_BOUND "2147483647.6")
    set(PAGE_DEFAULT "2147483647.5")
    set(PAGE_TYPE "int")
    set(PAGE_PER_LINE "four")
    set(PAGE_LARGEST "0x7FFFFFFF")
    set(PAGE_NEGATIVE "0x5A827999")
    set(PAGE_STEM "w_ww")
    set(PAGE_HALF "1073741824")
  endif()
  string(REPLACE "BITS" "${bits}" PAGE_LAYOUT "${PAGE_LAYOUT}")
  string(TOUPPER "${program}" title)
  _wfac_table_programs(others)
  list(SORT others)
  list(REMOVE_ITEM others "${program}")
  list(TRANSFORM others APPEND " (1)")
  list(TRANSFORM others PREPEND ".BR ")
  list(JOIN others ",\n" see_also)
  set(PAGE_TITLE "${title}" PARENT_SCOPE)
  set(PAGE_PROGRAM "${program}" PARENT_SCOPE)
  set(PAGE_SEE_ALSO "${see_also}" PARENT_SCOPE)
  foreach(name WHAT ROUTINES LAYOUT RANGE BOUND DEFAULT OUTPUT_ROUTINES TYPE PER_LINE LARGEST
          NEGATIVE STEM HALF)
    set(PAGE_${name} "${PAGE_${name}}" PARENT_SCOPE)
  endforeach()
endfunction()
