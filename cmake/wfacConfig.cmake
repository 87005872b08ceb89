# The installed wfac package: the programs as imported executables
# wfac::wfac_hw_gen, wfac::wfac_ww_gen and wfac::wfac_hh_gen, and the
# function wfac_add_table().
include("${CMAKE_CURRENT_LIST_DIR}/wfacTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/WfacAddTable.cmake")
