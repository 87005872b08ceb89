# Makes the release packages with cpack and checks that each, unpacked
# anywhere, holds the programs, man pages and CMake package: a program runs
# from it and gives the build's output, its wfac.pc and wfac.mk name its
# files, and tests/consumer builds against it (check_consumer.cmake, mode
# installed). The .deb is unpacked with dpkg-deb -x, where there is one,
# and must satisfy lintian where it is.
#   WFAC_BUILD, WFAC_SOURCE, WORK, GENERATOR, C_COMPILER, CXX_COMPILER, EXE,
#   CONFIG, CPACK, VERSION; PKG_CONFIG and MAKE where found.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
run("${CPACK}" --config "${WFAC_BUILD}/CPackConfig.cmake" -C "${CONFIG}" -B "${WORK}/packages")
expect_ok("cpack")

# Each package's folder of the install prefix once unpacked.
set(prefixes "")
file(GLOB archives "${WORK}/packages/wfac-*.tar.gz")
foreach(archive IN LISTS archives)
  file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${WORK}/tgz")
  file(GLOB prefix LIST_DIRECTORIES true "${WORK}/tgz/wfac-*")
  list(APPEND prefixes "${prefix}")
endforeach()
find_program(DPKG_DEB dpkg-deb)
file(GLOB debs "${WORK}/packages/wfac_*.deb")
if(DPKG_DEB AND NOT debs)
  message(FATAL_ERROR "dpkg-deb is here, but cpack made no .deb")
endif()
# Debian's checker finds nothing in the .deb but that a first upload to
# Debian's archive closes no bug of it, which means nothing outside it.
find_program(LINTIAN lintian)
set(ci "$ENV{CI}")
if(debs AND NOT LINTIAN AND ci)
  message(FATAL_ERROR "lintian is not installed, which CI's script installs")
endif()
foreach(deb IN LISTS debs)
  run("${DPKG_DEB}" -x "${deb}" "${WORK}/deb")
  expect_ok("dpkg-deb -x")
  list(APPEND prefixes "${WORK}/deb/usr")
  if(LINTIAN)
    run("${LINTIAN}" --tag-display-limit 0 "${deb}")
    string(REGEX MATCHALL "(^|\n)[EW]: [^\n]+" tags "${output}")
    list(FILTER tags EXCLUDE REGEX ": initial-upload-closes-no-bugs ")
    if(tags)
      message(FATAL_ERROR "lintian on ${deb}:\n${output}")
    endif()
  endif()
endforeach()
if(NOT prefixes)
  message(FATAL_ERROR "cpack made no .tar.gz")
endif()

find_built(built "${WFAC_BUILD}" wfac_hw_gen${EXE})
execute_process(COMMAND "${built}" -s 1000 32 OUTPUT_VARIABLE want)
_wfac_programs(programs)
set(index 0)
foreach(prefix IN LISTS prefixes)
  # The .deb has Debian's copyright file, compressed man pages and
  # wfac.pc in share/pkgconfig.
  set(licence share/doc/wfac/LICENSE)
  set(page_suffix "")
  set(pc_dir lib/pkgconfig)
  if(prefix MATCHES "/deb/usr$")
    set(licence share/doc/wfac/copyright)
    set(page_suffix .gz)
    set(pc_dir share/pkgconfig)
  endif()
  set(files "")
  foreach(program IN LISTS programs ITEMS wfac_check_image)
    list(APPEND files bin/${program}${EXE} share/man/man1/${program}.1${page_suffix})
  endforeach()
  foreach(file ${files} ${licence} lib/cmake/wfac/WfacWriteTable.cmake
          lib/cmake/wfac/WfacPrograms.cmake)
    if(NOT EXISTS "${prefix}/${file}")
      message(FATAL_ERROR "the package unpacked in ${prefix} holds no ${file}")
    endif()
  endforeach()
  run("${prefix}/bin/wfac_hw_gen${EXE}" -s 1000 32)
  if(NOT output STREQUAL want)
    message(FATAL_ERROR "${prefix}/bin/wfac_hw_gen printed\n${output}\nnot\n${want}")
  endif()
  math(EXPR index "${index} + 1")

  # Its pkg-config file and its make fragment name its version and files,
  # wherever it was unpacked.
  file(REAL_PATH "${prefix}" real)
  set(paths "${real}/bin" "${real}/lib/cmake/wfac/WfacWriteTable.cmake"
      "${real}/bin/wfac_check_image${EXE}")
  if(PKG_CONFIG)
    set(found "")
    foreach(query --modversion --variable=bindir --variable=writer --variable=check_image)
      run("${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${prefix}/${pc_dir}"
          "${PKG_CONFIG}" ${query} wfac)
      expect_ok("pkg-config ${query} wfac")
      string(STRIP "${output}" value)
      if(NOT query STREQUAL "--modversion")
        file(REAL_PATH "${value}" value)
      endif()
      list(APPEND found "${value}")
    endforeach()
    if(NOT found STREQUAL "${VERSION};${paths}")
      message(FATAL_ERROR "wfac.pc in ${prefix} gives ${found}, not ${VERSION};${paths}")
    endif()
  elseif(ci)
    message(FATAL_ERROR "pkg-config is not installed, which CI's script installs")
  endif()
  if(MAKE)
    file(WRITE "${WORK}/make${index}/Makefile" "include ${prefix}/share/wfac/wfac.mk\n"
         "print:\n\t@echo '$(WFAC_VERSION);$(WFAC_BINDIR);$(WFAC_WRITER);$(WFAC_CHECK_IMAGE)'\n")
    run("${MAKE}" -s -C "${WORK}/make${index}" print)
    expect_ok("make with wfac.mk of ${prefix}")
    string(STRIP "${output}" found)
    if(NOT found STREQUAL "${VERSION};${paths}")
      message(FATAL_ERROR "wfac.mk in ${prefix} gives ${found}, not ${VERSION};${paths}")
    endif()
  endif()
  run("${CMAKE_COMMAND}" -DMODE=installed "-DPREFIX=${prefix}" "-DWORK=${WORK}/consumer${index}"
      "-DWFAC_BUILD=${WFAC_BUILD}" "-DWFAC_SOURCE=${WFAC_SOURCE}" "-DGENERATOR=${GENERATOR}"
      "-DC_COMPILER=${C_COMPILER}" "-DCXX_COMPILER=${CXX_COMPILER}" "-DEXE=${EXE}"
      "-DCONFIG=${CONFIG}" -P "${CMAKE_CURRENT_LIST_DIR}/check_consumer.cmake")
  expect_ok("the consumer against ${prefix}")
endforeach()
