# Build step of wfac_add_table: runs PROGRAM with [-s SCALE] SIZE and moves
# its standard output to OUTPUT only after the program exited with status 0.
# The table is written to a temporary file beside OUTPUT first, so a failed
# run never leaves a partial table and no build reads a file being written;
# a failed run also removes the table of an earlier run.

set(args "${SIZE}")
if(NOT SCALE STREQUAL "")
  set(args -s "${SCALE}" "${SIZE}")
endif()

get_filename_component(dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
string(RANDOM LENGTH 8 tag)
set(partial "${OUTPUT}.${tag}.tmp")

# The program's standard error passes straight through to the build's.
execute_process(COMMAND "${PROGRAM}" ${args} OUTPUT_FILE "${partial}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${partial}" "${OUTPUT}")
  message(FATAL_ERROR "wfac_add_table: ${PROGRAM} failed (${status}); ${OUTPUT} not written")
endif()
file(RENAME "${partial}" "${OUTPUT}")
