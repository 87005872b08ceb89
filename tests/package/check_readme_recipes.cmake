# Takes the recipe files from the README, each the fenced block right after
# a line that names it (`main.c`:), and builds them as printed against an
# install, natively, with -std=c99 -Wall -Wextra -Werror -pedantic on every
# object and failing programs of wfac's names first on the PATH: the CMake
# project, the Makefile with wfac.mk (a second make has nothing to do; a
# new argument, writer or version has; the check of app.hex moves it and
# app aside) and the Meson project with wfac.pc. Each app must print
# exactly the entries of its tables as the programs write them.
#   WFAC_BUILD, WFAC_SOURCE, WORK, EXE, CONFIG, GENERATOR, C_COMPILER; MAKE
#   and MESON where found.
include("${CMAKE_CURRENT_LIST_DIR}/common.cmake")

file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
install_wfac("${prefix}")

file(READ "${WFAC_SOURCE}/README.md" readme)
# Sets var to the text of the block after the line `name`:.
function(readme_file var name)
  string(FIND "${readme}" "\n`${name}`:\n```" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "README: no block after a line `${name}`:")
  endif()
  string(SUBSTRING "${readme}" ${at} -1 rest)
  string(FIND "${rest}" "```" open)
  string(SUBSTRING "${rest}" ${open} -1 rest)
  string(FIND "${rest}" "\n" start)
  math(EXPR start "${start} + 1")
  string(SUBSTRING "${rest}" ${start} -1 rest)
  string(FIND "${rest}" "\n```" end)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${rest}" 0 ${end} text)
  set(${var} "${text}" PARENT_SCOPE)
endfunction()
readme_file(main_c main.c)

# Programs of the same names that fail, first on the PATH.
set(decoys "${WORK}/decoys")
foreach(program wfac_hw_gen wfac_ww_gen wfac_check_image)
  file(WRITE "${decoys}/${program}" "#!/bin/sh\necho 'the decoy ${program} ran' >&2\nexit 1\n")
  file(CHMOD "${decoys}/${program}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endforeach()
set(env "${CMAKE_COMMAND}" -E env "PATH=${decoys}:$ENV{PATH}" --unset=CFLAGS --unset=MAKEFLAGS)
set(flags -std=c99 -Wall -Wextra -Werror -pedantic)

# What each app must print: the entries of both tables.
program_entries(hw "${prefix}/bin/wfac_hw_gen${EXE}" 256)
program_entries(ww "${prefix}/bin/wfac_ww_gen${EXE}" -s 1000000 64)
string(REPLACE ";" "\n" want "${hw};${ww}")

# Writes the project of the route into WORK/<route>: main.c and the files.
function(project_files route)
  set(dir "${WORK}/${route}")
  file(WRITE "${dir}/main.c" "${main_c}")
  foreach(name IN LISTS ARGN)
    readme_file(text "${name}")
    file(WRITE "${dir}/${name}" "${text}")
  endforeach()
endfunction()

# CMake
project_files(cmake CMakeLists.txt)
string(REPLACE ";" " " c_flags "${flags}")
run(${env} "${CMAKE_COMMAND}" -S "${WORK}/cmake" -B "${WORK}/cmake/build" -G "${GENERATOR}"
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_C_COMPILER=${C_COMPILER}"
    "-DCMAKE_C_FLAGS=${c_flags}" "-DCMAKE_BUILD_TYPE=${CONFIG}")
expect_ok("configure of the README's CMakeLists.txt")
run(${env} "${CMAKE_COMMAND}" --build "${WORK}/cmake/build" --config "${CONFIG}")
expect_ok("build of the README's CMakeLists.txt")
expect_prints("${WORK}/cmake/build" app${EXE} "${want}")

# make
if(MAKE)
  project_files(make Makefile)
  set(make ${env} "${MAKE}" -C "${WORK}/make" "WFAC=${prefix}" "CC=${C_COMPILER}"
      "CMAKE=${CMAKE_COMMAND}")
  run(${make})
  expect_ok("make of the README's Makefile")
  expect_prints("${WORK}/make" app "${want}")
  run(${make} -q)
  expect_ok("make -q after a make")
  # A new argument, and a new writer, make the tables again.
  run(${make} -q w_ww64_SCALE=2000000)
  if(status EQUAL 0)
    message(FATAL_ERROR "make -q with a new SCALE says nothing is to be done")
  endif()
  file(TOUCH "${prefix}/lib/cmake/wfac/WfacWriteTable.cmake")
  run(${make} -q)
  if(status EQUAL 0)
    message(FATAL_ERROR "make -q after an upgrade of the writer says nothing is to be done")
  endif()
  # A SECTION with $ reaches the writer as it is.
  run(${make} "w_hw256_SECTION=.data.$$RAM2")
  expect_ok("make with SECTION .data.$RAM2")
  file(STRINGS "${WORK}/make/tables/w_hw256.h" declaration REGEX "section\\(")
  if(NOT declaration MATCHES "section\\(\"\\.data\\.\\$RAM2\"\\)")
    message(FATAL_ERROR "make with SECTION .data.$RAM2 declares: ${declaration}")
  endif()
  # An app.hex without the tables fails the check, which leaves neither it
  # nor app, and fails again.
  foreach(attempt first second)
    run(${make} "OBJCOPY=objcopy -j .text")
    expect_failure("the ${attempt} make of an app.hex that lacks the tables"
                   "app.hex to app.hex.rejected, so that the next make builds and checks again")
    if(EXISTS "${WORK}/make/app" OR EXISTS "${WORK}/make/app.hex")
      message(FATAL_ERROR "a failed check left app or app.hex")
    endif()
  endforeach()
  run(${make})
  expect_ok("make after a failed check")
  # A WFAC that holds no install stops make, naming it; so does an install
  # that lacks files, naming them.
  run(${make} "WFAC=${WORK}/nowhere")
  expect_failure("make with a wrong WFAC"
                 "WFAC is '${WORK}/nowhere', not the prefix of a wfac install")
  file(COPY "${prefix}/share/wfac" DESTINATION "${WORK}/partial/share")
  file(REAL_PATH "${WORK}/partial" partial)
  run(${make} "WFAC=${WORK}/partial")
  expect_failure("make with an incomplete install" "the wfac install in ${partial} is \
incomplete: it holds no ${partial}/lib/cmake/wfac/WfacWriteTable.cmake")
endif()

# Meson, finding wfac.pc by --pkg-config-path
if(MESON)
  project_files(meson meson.build meson_options.txt)
  run(${env} "CC=${C_COMPILER}" "${MESON}" setup "${WORK}/meson/build" "${WORK}/meson"
      "--pkg-config-path=${prefix}/lib/pkgconfig")
  expect_ok("meson setup of the README's meson.build")
  run(${env} "${MESON}" compile -C "${WORK}/meson/build")
  expect_ok("meson compile of the README's meson.build")
  expect_prints("${WORK}/meson/build" app "${want}")
endif()

# An upgrade unpacked over the install keeps its files' old times: make,
# and Meson after the command of UPGRADES in wfac(7), write every table again.
foreach(file lib/cmake/wfac/WfacVersion.cmake share/wfac/wfac.mk lib/pkgconfig/wfac.pc)
  file(READ "${prefix}/${file}" text)
  string(REGEX REPLACE "(set\\(WFAC_VERSION |WFAC_VERSION := |Version: )[0-9.]+" "\\199.0.0"
         upgraded "${text}")
  if(upgraded STREQUAL text)
    message(FATAL_ERROR "${file} names no version")
  endif()
  file(WRITE "${prefix}/${file}" "${upgraded}")
  run(touch -t 200001010000 "${prefix}/${file}")
  expect_ok("touch")
endforeach()
set(upgraded "")
if(MAKE)
  run(${make})
  expect_ok("make after an upgrade")
  list(APPEND upgraded "${WORK}/make/tables")
endif()
if(MESON)
  run(${env} "${MESON}" configure --clearcache "${WORK}/meson/build")
  expect_ok("meson configure --clearcache after an upgrade")
  run(${env} "${MESON}" compile -C "${WORK}/meson/build")
  expect_ok("meson compile after an upgrade")
  list(APPEND upgraded "${WORK}/meson/build")
endif()
foreach(dir IN LISTS upgraded)
  foreach(table w_hw256 w_ww64)
    file(STRINGS "${dir}/${table}.h" first LIMIT_COUNT 1)
    if(NOT first MATCHES "written by wfac 99\\.0\\.0,")
      message(FATAL_ERROR "after an upgrade ${dir}/${table}.h still says: ${first}")
    endif()
  endforeach()
endforeach()
