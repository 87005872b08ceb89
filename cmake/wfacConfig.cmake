# The installed wfac package: the programs as imported executables
# wfac::<program> (those of WfacPrograms.cmake, wfac::wfac_hw_gen, ...,
# and wfac::wfac_check_image), and the functions wfac_add_table() and
# wfac_check_image().
if(CMAKE_VERSION VERSION_LESS 3.22)
  set(wfac_FOUND FALSE)
  set(wfac_NOT_FOUND_MESSAGE "wfac needs CMake 3.22 or newer, and this is CMake ${CMAKE_VERSION}")
  return()
endif()
include("${CMAKE_CURRENT_LIST_DIR}/wfacTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/WfacAddTable.cmake")
