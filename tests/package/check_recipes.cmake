# Builds the Cortex-M4 firmware of tests/make with make and wfac.mk, or of
# tests/meson with Meson and wfac.pc, from an installed wfac, which checks
# the image itself, and checks its two tables in the image: each defined
# once, 8-byte aligned and holding exactly the entries that the program
# prints. Then a refused scale must fail the build and leave no file of
# that table behind.
#   MODE: make or meson. WFAC_BUILD, WFAC_SOURCE, WORK, EXE, CONFIG, NM,
#   READELF, and MAKE or MESON.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
install_wfac("${prefix}")
set(build "${WORK}/build")
if(MODE STREQUAL "make")
  file(COPY "${WFAC_SOURCE}/tests/make/" DESTINATION "${build}")
  set(build_it "${MAKE}" -C "${build}" "WFAC=${prefix}" "CMAKE=${CMAKE_COMMAND}")
  set(refuse ${build_it} w_ww64_SCALE=3e9)
  set(tables "${build}/tables")
else()
  run("${MESON}" setup "${build}" "${WFAC_SOURCE}/tests/meson"
      --cross-file "${WFAC_SOURCE}/tests/meson/cortex-m4.ini"
      "-Dbuild.pkg_config_path=${prefix}/lib/pkgconfig")
  expect_ok("meson setup")
  set(build_it "${MESON}" compile -C "${build}")
  set(tables "${build}")
endif()
run(${build_it})
expect_ok("the build")

read_image("${build}/firmware.elf")
check_image_table(w_hw256 16 8 any "${prefix}/bin/wfac_hw_gen${EXE}" 256)
check_image_table(w_ww64 32 8 any "${prefix}/bin/wfac_ww_gen${EXE}" -s 1000000 64)

if(MODE STREQUAL "meson")
  run("${MESON}" configure "${build}" -Dww_scale=3e9)
  expect_ok("meson configure")
  set(refuse ${build_it})
endif()
foreach(attempt first second)
  run(${refuse})
  expect_failure("the ${attempt} build with scale 3e9" "ERROR: Scale factor out of range.")
  file(GLOB left "${tables}/w_ww64.*c" "${tables}/w_ww64.h" "${tables}/*.tmp")
  if(left)
    message(FATAL_ERROR "the ${attempt} build with scale 3e9 left files behind: ${left}")
  endif()
endforeach()
