# The start-up emulator on the fixtures of tests/firmware/startup: per
# image and options, what a table's range holds when the run reaches main
# (or the --until symbol) in both runs, against the table's own file (the
# program's output, parsed here): the table, the pattern of each run
# (start-up code left the memory alone), or zeros; or how a run that does
# not arrive ends.
#   PROBE (wfac_startup_probe), ARM_GCC, RISCV_GCC, PROGRAM_DIR, EXE, WORK.
include("${CMAKE_CURRENT_LIST_DIR}/../package/common.cmake")

set(fixtures "${WORK}/fixtures")
run("${CMAKE_COMMAND}" "-DOUT=${fixtures}" "-DPROGRAM_DIR=${PROGRAM_DIR}" "-DEXE=${EXE}"
    "-DARM_GCC=${ARM_GCC}" "-DRISCV_GCC=${RISCV_GCC}"
    -P "${CMAKE_CURRENT_LIST_DIR}/../firmware/startup/build.cmake")
expect_ok("building the fixtures")

# image | probe options (comma-separated) | object | expected: table, pattern, zeros, or a
# regular expression that each run's line matches.
set(cases
  "vendor_data|--profile,M|w_data|table"
  "vendor_data|--profile,M|w_ram|pattern"
  # Told to be Cortex-M by its Thumb entry point in the vector table.
  "vendor_data||w_ram|pattern"
  "vendor_data|--until,SystemInit|w_data|table"
  "vendor_ccmram|--profile,M|w_ram|table"
  "cmsis_zero|--profile,M|w_ram|zeros"
  "cmsis_zero|--profile,M|w_data|table"
  "spin_clock|--profile,M|w_ram|^it spins in SystemInit at 0x080000[0-9a-f][0-9a-f], reading 0x40023808$"
  "spin_clock|--profile,M,--skip,SystemInit|w_ram|table"
  "vendor_data|--profile,M,--skip,Reset_Handler|w_ram|^it jumps to 0xfffffffe, where the image holds no code$"
  "fpu_init|--profile,M|w_ram|table"
  "riscv_data||w_ram|pattern"
  "riscv_data||w_data|table")

# The bytes of a table file's entries, little-endian, as the probe prints
# them (" 00 7f ...").
function(table_bytes file var)
  file(READ "${file}" text)
  string(REGEX MATCH "const (short|int) " type "${text}")
  set(width 2)
  if(type MATCHES "int")
    set(width 4)
  endif()
  string(REGEX MATCH "{[^}]*}" body "${text}")
  string(REGEX MATCHALL "-?0x[0-9A-F]+" entries "${body}")
  set(bytes "")
  foreach(entry IN LISTS entries)
    math(EXPR bits "(${entry}) & ((1 << (8 * ${width})) - 1)")
    foreach(byte RANGE 1 ${width})
      math(EXPR value "(${bits} >> (8 * (${byte} - 1))) & 0xFF" OUTPUT_FORMAT HEXADECIMAL)
      string(SUBSTRING "${value}" 2 -1 digits)
      string(LENGTH "${digits}" length)
      if(length EQUAL 1)
        set(digits "0${digits}")
      endif()
      string(TOLOWER "${digits}" digits)
      string(APPEND bytes " ${digits}")
    endforeach()
  endforeach()
  set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

file(STRINGS "${fixtures}/images.txt" built)
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 image)
  list(GET fields 1 options)
  list(GET fields 2 object)
  list(GET fields 3 expected)
  string(REPLACE ";" " " shown "${image} ${options} ${object}")
  if(NOT image IN_LIST built)
    message(FATAL_ERROR "the fixture ${image} was not built")
  endif()
  string(REPLACE "," ";" options "${options}")
  run("${PROBE}" ${options} "${fixtures}/${image}.elf" ${object})
  if(output MATCHES "^cannot run")
    message("skipped: this build has no start-up emulator (${output})")
    return()
  endif()
  expect_ok("the probe on ${shown}")
  set(arch arm)
  if(image MATCHES "^riscv")
    set(arch riscv)
  endif()
  table_bytes("${fixtures}/${arch}/${object}.c" table)
  string(LENGTH "${table}" length)
  math(EXPR count "${length} / 3")
  string(REPEAT " 00" ${count} zeros)
  foreach(pattern a5 5a)
    if(expected STREQUAL "table")
      set(want "run ${pattern}: arrived\n${object}:${table}")
    elseif(expected STREQUAL "zeros")
      set(want "run ${pattern}: arrived\n${object}:${zeros}")
    elseif(expected STREQUAL "pattern")
      string(REPEAT " ${pattern}" ${count} fill)
      set(want "run ${pattern}: arrived\n${object}:${fill}")
    endif()
    string(REGEX MATCH "run ${pattern}: [^\n]*(\n${object}:[^\n]*)?" got "${output}")
    if(expected MATCHES "^(table|zeros|pattern)$")
      if(NOT got STREQUAL want)
        string(APPEND failures "${shown} (${pattern}): expected\n  ${want}\ngot\n  ${got}\n")
      endif()
    else()
      string(REPLACE "run ${pattern}: " "" line "${got}")
      if(NOT line MATCHES "${expected}")
        string(APPEND failures "${shown} (${pattern}): expected a line matching\n  ${expected}\ngot\n  ${got}\n")
      endif()
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
