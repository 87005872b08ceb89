# Builds tests/consumer against wfac and checks what it generated and printed.
#   MODE: installed (cmake --install, then find_package), subdirectory
#         (add_subdirectory of the source tree), bad_calls (each wrong call
#         must stop the configure step with its message) or bad_scale (a
#         build after a good one must fail with the program's message and
#         leave no table) or killed (the build after a stopped one
#         puts everything right) or shared_output (two builds of one
#         OUTPUT).
#   WFAC_BUILD, WFAC_SOURCE, WORK, GENERATOR, C_COMPILER, CXX_COMPILER, EXE,
#   CONFIG; PREFIX, in mode installed, a wfac installed there before.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
set(prefix "${WORK}/prefix")
set(configure "${CMAKE_COMMAND}" -S "${WFAC_SOURCE}/tests/consumer" -B "${build}" -G "${GENERATOR}"
    "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
    "-DCMAKE_BUILD_TYPE=${CONFIG}")
set(build_it "${CMAKE_COMMAND}" --build "${build}" --config "${CONFIG}")

if(MODE STREQUAL "subdirectory")
  list(APPEND configure "-DWFAC_SOURCE_DIR=${WFAC_SOURCE}")
  set(bin "${build}/wfac")
elseif(DEFINED PREFIX)
  set(prefix "${PREFIX}")
  list(APPEND configure "-DCMAKE_PREFIX_PATH=${prefix}")
  set(bin "${prefix}/bin")
else()
  install_wfac("${prefix}")
  list(APPEND configure "-DCMAKE_PREFIX_PATH=${prefix}")
  set(bin "${prefix}/bin")
endif()

if(MODE STREQUAL "bad_calls")
  set(user_file "/* the user's own */\nint util_magic;\n")
  # The sizes at both ends configure; each wrong call stops with its message.
  foreach(size 16 32768)
    run(${configure} -DHW_SIZE=${size})
    expect_ok("configure with SIZE ${size}")
  endforeach()
  foreach(case
      "HW_SIZE=48;wfac_add_table(print_hw): SIZE must be a power of 2 from 16 to 32768, not '48'"
      "HW_SIZE=65536;SIZE must be a power of 2 from 16 to 32768, not '65536'"
      "BAD=symbol;wfac_add_table(print_hw): the array 'w' is already defined by wfac_add_table(print_hw)"
      "BAD=interface;wfac_add_table(headers): 'headers' is a target of type INTERFACE_LIBRARY, which compiles no sources"
      "BAD=section;wfac_add_table(print_ww): SECTION must be a linker section name of letters, digits, '_', '.' and '$', not starting with a digit, such as .wfac_tables, not ''"
      "BAD_ARGS=PROGRAM|wfac_hw_gen|SIZE|16|NAME|w_o|OUT_VAR;wfac_add_table(print_ww): OUT_VAR must name the variable that takes the table's files")
    list(POP_FRONT case setting)
    run(${configure} -DHW_SIZE=64 -DBAD= -DBAD_ARGS= -D${setting})
    expect_failure("configure with ${setting}" "${case}")
  endforeach()

  # Wrong arguments, each refused with the same message by wfac_add_table()
  # and by the build step run on its own, which leaves no file behind.
  # Fields are split at |, the last is the message, and <semicolon> stands for ;.
  set(write_table "${prefix}/lib/cmake/wfac/WfacWriteTable.cmake")
  set(by_hand "${WORK}/by_hand")
  set(name_it "which cannot name the array<semicolon> choose another NAME")
  set(align_it "ALIGN must be a power of 2 from 8 to 268435456 (bytes, the most GCC takes for an object on ELF), such as 8, 16 or 32, not")
  set(section_it "SECTION must be a linker section name of letters, digits, '_', '.' and '$', not starting with a digit, such as .wfac_tables, not")
  set(taken "which compilers, linkers or start-up code take for")
  set(path_it "OUTPUT must be a path without double quotes, semicolons, '#', '??', '$<' or line breaks, not")
  set(scale_it "SCALE must be a decimal number of at least 1 (digits, an optional fraction and an optional exponent, such as 16384, 1000.5 or 1e6), not")
  # The programs of cmake/WfacPrograms.cmake, in its order: "a, b or c".
  _wfac_programs(programs)
  list(POP_BACK programs last)
  list(JOIN programs ", " programs)
  set(program_it "PROGRAM must be ${programs} or ${last}, not")
  foreach(case
      "PROGRAM|xwfac_hw_gen|${program_it} 'xwfac_hw_gen'"
      "NAME|9lives|NAME must be a C identifier (letters, digits and underscores, not starting with a digit), not '9lives'"
      "NAME|int|NAME 'int' is a keyword of C or C++, ${name_it}"
      "NAME|__w|NAME '__w' is reserved for the compiler and its library (two leading underscores, or an underscore and a capital letter), ${name_it}"
      "NAME|_Table|NAME '_Table' is reserved for the compiler"
      "NAME|linux|NAME 'linux' is a macro that GCC or Clang predefine in their GNU modes, ${name_it}"
      "NAME|unix|NAME 'unix' is a macro"
      "NAME|main|NAME 'main' is the program's entry point, ${name_it}"
      "ALIGN|12|${align_it} '12'"
      "ALIGN|536870912|${align_it} '536870912'"
      "SECTION|tab#x|${section_it} 'tab#x'"
      "SECTION|tab@x|${section_it} 'tab@x'"
      "SECTION|it's|${section_it} 'it's'"
      "SECTION|.data,x|${section_it} '.data,x'"
      "SECTION|9x|${section_it} '9x'"
      "SECTION|.x$<CONFIG>|${section_it} '.x$<CONFIG>'"
      "SCALE|1,5|${scale_it} '1,5'"
      "SCALE|1 000|${scale_it} '1 000'"
      "SCALE|500abc|${scale_it} '500abc'"
      "SCALE|0.5|${scale_it} '0.5'"
      "SCALE|1e-320|${scale_it} '1e-320'"
      "SCALE|-1000|${scale_it} '-1000'"
      "OUTPUT|t.h|OUTPUT must not end in .h, which is the name of the table's header beside it, not 't.h'"
      "OUTPUT|.|OUTPUT must name the table's file, not the folder '.'"
      "OUTPUT|sub/|OUTPUT must name the table's file, not the folder 'sub/'"
      "OUTPUT|a\"b.c|${path_it} 'a\"b.c'"
      "OUTPUT|a#b.c|${path_it} 'a#b.c'"
      "OUTPUT|a??=.c|${path_it} 'a??=.c'"
      "OUTPUT|$<CONFIG>.c|${path_it} '$<CONFIG>.c'"
      "OUTPUT|util.c|OUTPUT and NAME give the file <dir>/util.h, which wfac did not write and will not replace<semicolon> choose another OUTPUT or NAME"
      "NAME|qsort|NAME 'qsort' is a function or object of the C library (ISO C or POSIX), which the table would replace at link time<semicolon> choose another NAME"
      "NAME|sin|NAME 'sin' is a function or object of the C library"
      "NAME|environ|NAME 'environ' is a function or object of the C library"
      "SECTION|.comment|SECTION '.comment' matches .comment*, ${taken} notes for tools"
      "SECTION|.comment.x|SECTION '.comment.x' matches .comment*, ${taken} notes for tools, which are merged, stripped or left out of the image<semicolon> choose another SECTION, such as .wfac_tables"
      "SECTION|.init|SECTION '.init' matches .init, ${taken} code or constructors"
      "SECTION|.init_array|SECTION '.init_array' matches .init_array*, ${taken} code or constructors"
      "SECTION|.init_array.x|SECTION '.init_array.x' matches .init_array*,"
      "SECTION|.bss_wfac|SECTION '.bss_wfac' matches .bss*, ${taken} data without bytes in the image"
      "SECTION|.bss_x|SECTION '.bss_x' matches .bss*, ${taken} data without bytes in the image, cleared or left as it is at start-up, or of each thread<semicolon> choose another SECTION, such as .data.<name> for a table that start-up code copies to RAM, or .wfac_tables"
      "SECTION|.noinit|SECTION '.noinit' matches .noinit*,"
      "SECTION|.noinit_x|SECTION '.noinit_x' matches .noinit*,"
      "SECTION|.persistent|SECTION '.persistent' matches .persistent*,"
      "SECTION|COMMON|SECTION 'COMMON' matches COMMON, ${taken} data without bytes"
      "SECTION|.ARM.exidx|SECTION '.ARM.exidx' matches .ARM.*, ${taken} the linker's"
      "SECTION|.stack|SECTION '.stack' matches .stack, ${taken} the stack or the heap"
      "SECTION|.heap.x|SECTION '.heap.x' matches .heap.*,"
      "SECTION|.data|SECTION '.data' matches .data, ${taken} the compiler's own section for data, whose attributes the assembler keeps (\"ignoring changed section attributes for .data\", an error under -Wa,--fatal-warnings)<semicolon> choose .data.<name> instead, such as .data.wfac"
      "SECTION|.text|SECTION '.text' matches .text, ${taken} the compiler's own section for code")
    string(REPLACE "|" ";" case "${case}")
    list(POP_BACK case message)
    string(REPLACE "<semicolon>" ";" message "${message}")
    # PROGRAM wfac_hw_gen, SIZE 16, NAME w_bad and an OUTPUT in folders
    # that a refused run must not create, unless the case gives them.
    set(args ${case})
    foreach(default "PROGRAM;wfac_hw_gen" "SIZE;16" "NAME;w_bad" "OUTPUT;new/dir/w_bad.c")
      list(GET default 0 keyword)
      if(NOT keyword IN_LIST case)
        list(PREPEND args ${default})
      endif()
    endforeach()
    string(REPLACE ";" "|" bad_args "${args}")
    # A file of the user's beside each table, which no run may replace.
    file(WRITE "${build}/util.h" "${user_file}")
    run(${configure} -DHW_SIZE=64 -DBAD= "-DBAD_ARGS=${bad_args}")
    string(REPLACE "<dir>" "${build}" want "${message}")
    expect_failure("configure with ${case}" "wfac_add_table(print_ww): ${want}")
    set(defines "")
    while(args)
      list(POP_FRONT args keyword value)
      list(APPEND defines "-D${keyword}=${value}")
    endwhile()
    file(REMOVE_RECURSE "${by_hand}")
    file(WRITE "${by_hand}/util.h" "${user_file}")
    run("${CMAKE_COMMAND}" ${defines} -P "${write_table}" WORKING_DIRECTORY "${by_hand}")
    string(REPLACE "<dir>" "${by_hand}" want "${message}")
    expect_failure("the build step with ${case}" "WfacWriteTable: ${want}")
    file(GLOB_RECURSE left LIST_DIRECTORIES true RELATIVE "${by_hand}" "${by_hand}/*")
    file(READ "${by_hand}/util.h" kept)
    if(NOT left STREQUAL "util.h" OR NOT kept STREQUAL user_file)
      message(FATAL_ERROR "the build step with ${case} left ${left}, or changed util.h")
    endif()
  endforeach()
  file(READ "${build}/util.h" kept)
  if(NOT kept STREQUAL user_file)
    message(FATAL_ERROR "a configure changed the user's util.h")
  endif()

  # Section names that users pick for memories of their own, and those of
  # SDKs that no pattern takes (NXP's RAM banks, the RP2040's), pass
  # through both routes; one with a '$' is built.
  foreach(section .ccmram .ExtFlashSection .rodata.wfac .dtcm_data .sram2 .text.wfac
          .progmem.data .qspi .wfac_tables .data.wfac .initialized_data .heap_tables
          .stack_tables .scratch_x.w .time_critical.w $x .data.$RAM2)
    run("${CMAKE_COMMAND}" -DPROGRAM=wfac_hw_gen -DSIZE=16 -DSECTION=${section}
        -DOUTPUT=sections/t.c -P "${write_table}" WORKING_DIRECTORY "${by_hand}")
    expect_ok("the build step with SECTION ${section}")
    run(${configure} -DHW_SIZE=64 -DBAD= "-DBAD_ARGS=PROGRAM|wfac_hw_gen|SIZE|16|NAME|w_sec|SECTION|${section}")
    expect_ok("configure with SECTION ${section}")
  endforeach()
  run(${build_it})
  expect_ok("the build with SECTION .data.$RAM2")
  file(READ "${build}/print_ww_wfac/w_sec.h" header)
  string(FIND "${header}" "\nextern const short w_sec[2 * 12] __attribute__((aligned(8), section(\".data.$RAM2\")));\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the build with SECTION .data.$RAM2 wrote the header:\n${header}")
  endif()

  # Nothing is created or changed outside the table's and the wrapper's
  # folders: not at the name an earlier writer locked in the temporary
  # folder, where another user may plant a link, nor anywhere else.
  set(tmp "${WORK}/tmp")
  file(REMOVE_RECURSE "${by_hand}" "${tmp}")
  file(MAKE_DIRECTORY "${by_hand}/tables" "${tmp}")
  file(WRITE "${WORK}/victim.txt" "${user_file}")
  file(REAL_PATH "${by_hand}/tables" real_tables)
  string(SHA1 old_lock "${real_tables}/w.c")
  file(CREATE_LINK "${WORK}/victim.txt" "${tmp}/wfac-${old_lock}.lock" SYMBOLIC)
  run("${CMAKE_COMMAND}" -E env "TMPDIR=${tmp}" "TMP=${tmp}" "TEMP=${tmp}"
      "${CMAKE_COMMAND}" -DPROGRAM=wfac_hw_gen -DSIZE=16 -DOUTPUT=tables/w.c
      "-DWRAPPER=${by_hand}/wrappers/w.wfac.c" -P "${write_table}" WORKING_DIRECTORY "${by_hand}")
  expect_ok("the build step with a link planted in TMPDIR")
  file(READ "${WORK}/victim.txt" kept)
  file(GLOB in_tmp RELATIVE "${tmp}" "${tmp}/*")
  file(GLOB_RECURSE in_work LIST_DIRECTORIES true RELATIVE "${by_hand}" "${by_hand}/*")
  list(FILTER in_work EXCLUDE REGEX "^(tables|wrappers)/")
  if(NOT kept STREQUAL user_file OR NOT in_tmp STREQUAL "wfac-${old_lock}.lock"
     OR NOT in_work STREQUAL "tables;wrappers")
    message(FATAL_ERROR "the build step changed the planted link's target, or created files "
                        "outside the table's folders: TMPDIR holds ${in_tmp}, the current "
                        "folder ${in_work}")
  endif()
  file(REMOVE_RECURSE "${by_hand}")
  file(MAKE_DIRECTORY "${by_hand}")
  # A refused argument removes what an earlier run wrote to the same files.
  set(step "${CMAKE_COMMAND}" -DPROGRAM=wfac_hw_gen -DSIZE=16 -DOUTPUT=sub/t.c)
  run(${step} -P "${write_table}" WORKING_DIRECTORY "${by_hand}")
  expect_ok("the build step")
  run(${step} "-DSCALE=1,5" -P "${write_table}" WORKING_DIRECTORY "${by_hand}")
  expect_failure("the build step with SCALE 1,5" "WfacWriteTable: ${scale_it} '1,5'")
  # A file of that name that the writer did not write is the user's.
  file(WRITE "${by_hand}/sub/u.c" "int u;\n")
  run("${CMAKE_COMMAND}" -DPROGRAM=wfac_hw_gen -DSIZE=16 -DOUTPUT=sub/u.c "-DSCALE=1,5"
      -P "${write_table}" WORKING_DIRECTORY "${by_hand}")
  expect_failure("the build step with SCALE 1,5" "WfacWriteTable: ${scale_it} '1,5'")
  file(GLOB left RELATIVE "${by_hand}/sub" "${by_hand}/sub/*")
  list(FILTER left EXCLUDE REGEX "^\\.wfac-[0-9a-f]+\\.lock$")
  if(NOT left STREQUAL "u.c")
    message(FATAL_ERROR "a refused SCALE left the earlier run's files, or removed the user's "
                        "u.c: ${left}")
  endif()
  return()
endif()

if(MODE STREQUAL "killed")
  # A build step stopped before its last rename leaves the new header and
  # wrapper beside the old table, and its temporary files: the next build
  # must make the table again and clear them.
  run(${configure})
  expect_ok("configure")
  run(${build_it})
  expect_ok("build")
  run(${configure} -DWW_ALIGN=16)
  expect_ok("configure with ALIGN 16")
  set(table "${build}/tables/w_ww.c")
  file(READ "${build}/tables/w_ww.h" header)
  string(REPLACE "aligned(8)" "aligned(16)" header "${header}")
  file(WRITE "${build}/tables/w_ww.h" "${header}/* stopped */\n")
  file(REAL_PATH "${build}/tables" real_tables)
  string(SHA1 id "${real_tables}/w_ww.c")
  string(SUBSTRING "${id}" 0 12 id)
  foreach(stale "tables/.wfac-${id}.c.tmp" "tables/.wfac-${id}.h.tmp"
          "print_ww_wfac/.wfac-${id}.w.tmp")
    file(WRITE "${build}/${stale}" "half a table")
  endforeach()
  run(${build_it})
  expect_ok("the build after a stopped one")
  if(NOT output MATCHES "Generating [^\n]*w_ww\\.c")
    message(FATAL_ERROR "the build after a stopped one did not make the table again:\n${output}")
  endif()
  file(READ "${build}/tables/w_ww.h" header)
  if(header MATCHES "stopped" OR NOT header MATCHES "aligned\\(16\\)")
    message(FATAL_ERROR "the header is not the one of ALIGN 16:\n${header}")
  endif()
  file(GLOB_RECURSE left "${build}/*.tmp")
  if(left)
    message(FATAL_ERROR "the temporary files of the stopped build are still there: ${left}")
  endif()
  expect_prints("${build}" print_ww${EXE} "60: 0 1000000 0 1000000 0 1000000 195090 980785")
  return()
endif()

if(MODE STREQUAL "shared_output")
  # Two builds share an OUTPUT outside both, with other scales. Neither
  # reruns its step when the other rewrites the table, so the compile of a
  # table written for the other build's arguments must stop, naming both.
  set(shared "-DWW_OUTPUT=${WORK}/shared/w_ww.c")
  foreach(scale 1000 2000)
    string(REPLACE "${build}" "${WORK}/${scale}" configure_it "${configure}")
    run(${configure_it} "${shared}" -DWW_SCALE=${scale})
    expect_ok("configure with scale ${scale}")
    set(build_${scale} "${CMAKE_COMMAND}" --build "${WORK}/${scale}" --config "${CONFIG}")
  endforeach()
  foreach(scale 1000 2000)
    run(${build_${scale}})
    expect_ok("the build with scale ${scale}")
  endforeach()
  run(${build_1000})
  expect_failure("the build with scale 1000 after the one with 2000"
                 "w_ww.c holds the table of wfac_ww_gen -s 2000 32, NAME w_ww, ALIGN 8, which another build that shares it wrote")
  expect_failure("the build with scale 1000 after the one with 2000"
                 "this build wants w_ww.c to hold the table of wfac_ww_gen -s 1000 32, NAME w_ww, ALIGN 8")
  return()
endif()

if(MODE STREQUAL "bad_scale")
  run(${configure})
  expect_ok("configure")
  run(${build_it})
  expect_ok("build with a good scale")
  # A scale above the program's bound: the program itself refuses it.
  run(${configure} -DWW_SCALE=3e9)
  expect_ok("configure with scale 3e9")
  run(${build_it})
  expect_failure("the build with scale 3e9" "ERROR: Scale factor out of range.")
  # The failure names the call to fix.
  expect_failure("the build with scale 3e9"
                 "wfac_add_table(print_ww) in ${WFAC_SOURCE}/tests/consumer/CMakeLists.txt: 'wfac_ww_gen -s 3e9 32' failed (1), so ${build}/tables/w_ww.c and its header and wrapper are not written")
  foreach(file tables/w_ww.c tables/w_ww.h print_ww_wfac/w_ww.wfac.c)
    if(EXISTS "${build}/${file}")
      message(FATAL_ERROR "a failed run left the earlier ${file} behind")
    endif()
  endforeach()
  file(GLOB left "${build}/tables/*.tmp" "${build}/print_ww_wfac/*.tmp")
  if(left)
    message(FATAL_ERROR "a failed run left files behind: ${left}")
  endif()
  return()
endif()

run(${configure})
expect_ok("configure")
run(${build_it})
expect_ok("build")
if(MODE STREQUAL "subdirectory")
  # The checks hold in a project that adds wfac, whose folder is not the
  # caller's.
  run(${configure} "-DBAD_ARGS=PROGRAM|wfac_hw_gen|SIZE|16|NAME|int")
  expect_failure("configure with NAME int" "wfac_add_table(print_ww): NAME 'int' is a keyword")
  run(${configure} -DBAD_ARGS=)
  expect_ok("configure")
  # Installing the project installs nothing of wfac's.
  run("${CMAKE_COMMAND}" --install "${build}" --prefix "${WORK}/consumer" --config "${CONFIG}")
  expect_ok("cmake --install of the project")
  file(GLOB_RECURSE installed "${WORK}/consumer/*")
  if(installed)
    message(FATAL_ERROR "installing the project installed wfac's files: ${installed}")
  endif()
endif()

# OUT_VAR gives the table, its header and its wrapper.
file(READ "${build}/ww_files.txt" files)
if(NOT files STREQUAL "${build}/tables/w_ww.c;${build}/tables/w_ww.h;${build}/print_ww_wfac/w_ww.wfac.c")
  message(FATAL_ERROR "OUT_VAR gave ${files}")
endif()

# The entries the programs must give: trunc(scale * sin, cos) of 0 and 2*pi/N;
# the 32-bit table's header declares 2 * 30 entries for N = 32.
foreach(check "print_hw;0 32767 0 32767 0 32767 3211 32609"
        "print_ww;60: 0 1000000 0 1000000 0 1000000 195090 980785")
  list(GET check 0 program)
  list(GET check 1 want)
  expect_prints("${build}" ${program}${EXE} "${want}")
endforeach()

# The generated files are byte for byte what the programs write.
foreach(check "print_hw_wfac/wfac_hw_gen_64.c;wfac_hw_gen;64" "tables/w_ww.c;wfac_ww_gen;-s;1000000;32")
  list(POP_FRONT check file program)
  find_built(program "${bin}" ${program}${EXE})
  execute_process(COMMAND "${program}" ${check} OUTPUT_FILE "${WORK}/direct.c"
                  RESULT_VARIABLE status)
  expect_ok("${program}")
  run("${CMAKE_COMMAND}" -E compare_files "${build}/${file}" "${WORK}/direct.c")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${file} differs from what ${program} writes")
  endif()
endforeach()

# Nothing changed, so nothing is generated again.
run(${build_it})
expect_ok("second build")
if(output MATCHES "Generating")
  message(FATAL_ERROR "a build with nothing changed generated a table again:\n${output}")
endif()
# A new scale generates the 32-bit table again.
run(${configure} -DWW_SCALE=2000000)
expect_ok("configure with a new scale")
run(${build_it})
expect_ok("build with a new scale")
if(NOT output MATCHES "Generating [^\n]*w_ww\\.c" OR output MATCHES "Generating [^\n]*wfac_hw_gen_64")
  message(FATAL_ERROR "a new scale should regenerate only the 32-bit table:\n${output}")
endif()
