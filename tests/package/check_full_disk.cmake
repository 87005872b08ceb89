# Runs the build step on a file system that fills up: on a 64 KiB tmpfs
# (mounted as root; skipped otherwise) a run that finds no room for the
# table, and one that finds room for the table but not for its header,
# must each fail with the system's reason and leave no file, not even the
# earlier run's; with room again, the next run writes the right table.
#   WFAC_SOURCE, PROGRAM_DIR, WORK, EXE.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

set(disk "${WORK}/disk")
execute_process(COMMAND umount "${disk}" OUTPUT_QUIET ERROR_QUIET)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${disk}")
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
run(mount -t tmpfs -o size=64k,mode=0755 tmpfs "${disk}")
if(NOT uid STREQUAL "0" OR NOT status EQUAL 0)
  message("skipped: a tmpfs cannot be mounted here (user ${uid}): ${output}")
  return()
endif()

# Unmounts the disk before failing, so that no mount outlives the test.
function(fail_test text)
  execute_process(COMMAND umount "${disk}")
  message(FATAL_ERROR "${text}")
endfunction()

set(program "${PROGRAM_DIR}/wfac_hw_gen${EXE}")
set(step "${CMAKE_COMMAND}" "-DPROGRAM=${program}" -DSIZE=16 "-DOUTPUT=${disk}/t.c")
set(write_table -P "${WFAC_SOURCE}/cmake/WfacWriteTable.cmake")
# Fills <pages> of the 16 pages of 4096 bytes.
function(fill pages)
  file(REMOVE "${disk}/fill")
  math(EXPR size "${pages} * 4096")
  string(REPEAT "x" ${size} text)
  file(WRITE "${disk}/fill" "${text}")
endfunction()

run(${step} ${write_table})
if(NOT status EQUAL 0)
  fail_test("the first run failed:\n${output}")
endif()
# The first run's three files take 3 pages; the runs that fail leave 0 and
# then 1 free, room for a small table but not for its header.
foreach(case "13;Unable to write twiddle factors: No space left on device"
        "15;temporary file of ${disk}/t.c (No space left on device")
  list(POP_FRONT case pages)
  fill(${pages})
  run(${step} -DSCALE=1000 ${write_table})
  string(FIND "${flat}" "${case}" at)
  if(status EQUAL 0 OR at EQUAL -1)
    fail_test("with ${pages} pages filled the run should fail with \"${case}\" (${status}):\n${output}")
  endif()
  # The lock of the first run stays beside the table.
  file(GLOB left LIST_DIRECTORIES true "${disk}/*")
  list(FILTER left EXCLUDE REGEX "/\\.wfac-[0-9a-f]+\\.lock$")
  if(NOT left STREQUAL "${disk}/fill")
    fail_test("with ${pages} pages filled the run left ${left}")
  endif()
endforeach()

file(REMOVE "${disk}/fill")
run(${step} -DSCALE=1000 ${write_table})
if(NOT status EQUAL 0)
  fail_test("the run with room again failed:\n${output}")
endif()
execute_process(COMMAND "${program}" -s 1000 16 OUTPUT_FILE "${WORK}/direct.c")
run("${CMAKE_COMMAND}" -E compare_files "${disk}/t.c" "${WORK}/direct.c")
if(NOT status EQUAL 0)
  fail_test("the table written with room again is not what the program writes")
endif()
execute_process(COMMAND umount "${disk}")
