# Prints the table programs of cmake/WfacPrograms.cmake, one a line: the
# name, the entry width, the layout, the default scale and the scale bound,
# for the scripts of bench/. Usage: cmake -P bench/programs.cmake
cmake_minimum_required(VERSION 3.22...4.3)
include("${CMAKE_CURRENT_LIST_DIR}/../cmake/WfacPrograms.cmake")
_wfac_programs(programs)
foreach(program IN LISTS programs)
  _wfac_program_facts(${program} fact)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${program} ${fact_ENTRY_WIDTH} \
${fact_LAYOUT} ${fact_DEFAULT_SCALE} ${fact_SCALE_BOUND}")
endforeach()
