# Renders each man page in PAGES with man --warnings; any warning fails, and
# so does a page that does not name wfac VERSION.
find_program(MAN man)
if(NOT MAN)
  message(FATAL_ERROR "man is not installed (Debian package man-db)")
endif()
foreach(page ${PAGES})
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env MANWIDTH=80 MANPAGER=cat
                  "${MAN}" --warnings -l "${page}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE warnings)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "" OR text STREQUAL "")
    message(FATAL_ERROR "${page} (${status}):\n${warnings}")
  endif()
  string(FIND "${text}" "wfac ${VERSION}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${page} does not name wfac ${VERSION}:\n${text}")
  endif()
endforeach()
