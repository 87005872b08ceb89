# The Windows install under wine: the mingw-w64 build of check_wine.cmake
# installed into a prefix of its own, whose writer Windows CMake runs with
# the prefix's programs, and whose wfac_check_image reads Cortex-M4 images.
#   - A 16-bit, a 32-bit (SCALE, ALIGN, SECTION) and a twelve-entry table,
#     written into a folder given as a Windows path with a space, must be
#     the Linux writer's files, CRLF aside, and their wrappers must compile
#     with mingw-w64 under -Werror.
#   - A refused SECTION or NAME must leave nothing, not even its folder.
#   - wfac_check_image.exe must give the Linux program's lines and status
#     on a right and a wrong image.
#   - The programs need no DLL but Windows' own, and wfac_check_image()
#     refuses a project whose images are PE.
#   WFAC_SOURCE, PROGRAM_DIR (the Linux programs), WORK (that of
#   check_wine.cmake), WINE, WINESERVER, WINDOWS_CMAKE (cmake.exe),
#   ARM_GCC, MINGW_GCC, MINGW_OBJDUMP.
cmake_minimum_required(VERSION 3.22...4.3)
include("${WFAC_SOURCE}/tests/package/common.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/wine.cmake")

set(prefix "${WORK}/winprefix")
set(here "${WORK}/writer")
file(REMOVE_RECURSE "${prefix}" "${here}")
run("${CMAKE_COMMAND}" --install "${WORK}/mingw" --prefix "${prefix}" --config Release)
expect_ok("cmake --install of the Windows build")
_wfac_programs(programs)
foreach(program IN LISTS programs ITEMS wfac_check_image)
  run("${MINGW_OBJDUMP}" -p "${prefix}/bin/${program}.exe")
  expect_ok("objdump of ${program}.exe")
  string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${output}")
  list(FILTER dlls EXCLUDE REGEX "DLL Name: (KERNEL32|msvcrt|ADVAPI32|USER32|api-ms-win-[a-z0-9-]+)\\.dll$")
  if(dlls)
    message(FATAL_ERROR "${program}.exe needs DLLs that Windows does not have: ${dlls}")
  endif()
endforeach()

# Z: is the root of the Linux file system under wine.
function(windows_path var path)
  string(REPLACE "/" "\\" path "${path}")
  set(${var} "Z:${path}" PARENT_SCOPE)
endfunction()

# name, then the writer's arguments.
set(tables
  "w_hw64|-DPROGRAM=wfac_hw_gen|-DSIZE=64"
  "w_ww128|-DPROGRAM=wfac_ww_gen|-DSIZE=128|-DSCALE=1000000|-DALIGN=32|-DSECTION=.wfac_tables"
  "w_hh256|-DPROGRAM=wfac_hh_gen|-DSIZE=256")
set(refused
  "-DPROGRAM=wfac_hw_gen|-DSIZE=16|-DSECTION=.bss_x|SECTION '.bss_x' matches .bss*,"
  "-DPROGRAM=wfac_hw_gen|-DSIZE=16|-DNAME=qsort|NAME 'qsort' is a function or object of the C library")

windows_path(cmake_exe "${WINDOWS_CMAKE}")
windows_path(write_table "${prefix}/lib/cmake/wfac/WfacWriteTable.cmake")
windows_path(check_exe "${prefix}/bin/wfac_check_image.exe")
set(win_dir "${here}/win tables")
windows_path(win_out "${win_dir}")
set(bat "@echo off\r\n")
set(index 0)
# Runs the command line in the batch, its output and status kept by index.
function(add_to_batch line)
  string(APPEND bat "${line} >${index}.out 2>${index}.err\r\n>${index}.status echo %ERRORLEVEL%\r\n")
  math(EXPR index "${index} + 1")
  set(bat "${bat}" PARENT_SCOPE)
  set(index ${index} PARENT_SCOPE)
endfunction()

foreach(table IN LISTS tables)
  string(REPLACE "|" ";" args "${table}")
  list(POP_FRONT args name)
  # The Linux writer, with the Linux programs, for the files to compare.
  set(linux_args "")
  foreach(arg IN LISTS args)
    string(REGEX REPLACE "^-DPROGRAM=(.*)$" "-DPROGRAM=${PROGRAM_DIR}/\\1" arg "${arg}")
    list(APPEND linux_args "${arg}")
  endforeach()
  run("${CMAKE_COMMAND}" ${linux_args} -DNAME=${name} "-DOUTPUT=${here}/linux/${name}.c"
      -P "${WFAC_SOURCE}/cmake/WfacWriteTable.cmake")
  expect_ok("the Linux writer for ${name}")
  string(REPLACE ";" " " win_args "${args}")
  add_to_batch("\"${cmake_exe}\" ${win_args} -DNAME=${name} \"-DOUTPUT=${win_out}\\${name}.c\" -P \"${write_table}\"")
endforeach()
foreach(case IN LISTS refused)
  string(REPLACE "|" ";" args "${case}")
  list(POP_BACK args message)
  string(REPLACE ";" " " win_args "${args}")
  add_to_batch("\"${cmake_exe}\" ${win_args} \"-DOUTPUT=${win_out}\\refused ${index}\\sub\\t.c\" -P \"${write_table}\"")
endforeach()

# Two Cortex-M4 images of the Linux writer's tables: the tables' section
# in flash, or in RAM that the image leaves out (NOLOAD). (A table that
# start-up code copies to RAM is proved by running that code, which the
# Windows build, without an emulator, does not do.)
file(WRITE "${here}/image.c" "#include \"w_hw64.h\"\n#include \"w_ww128.h\"\n"
     "int reset_handler(void);\nint reset_handler(void) { return w_hw64[1] + w_ww128[1]; }\n")
foreach(image right wrong)
  set(load "> FLASH")
  if(image STREQUAL "wrong")
    set(load "(NOLOAD) : { *(.wfac_tables) } > RAM")
    set(place ".wfac_tables ${load}")
  else()
    set(place ".wfac_tables : { *(.wfac_tables) } ${load}")
  endif()
  file(WRITE "${here}/${image}.ld" "MEMORY\n{\n  FLASH (rx) : ORIGIN = 0, LENGTH = 256K\n"
       "  RAM (rw) : ORIGIN = 0x20000000, LENGTH = 64K\n}\nSECTIONS\n{\n"
       "  .text : { *(.text*) *(.rodata*) } > FLASH\n  ${place}\n}\n")
  run("${ARM_GCC}" -mcpu=cortex-m4 -mthumb -nostdlib -Wl,-e,reset_handler -T "${here}/${image}.ld"
      "-I${here}/linux" -o "${here}/${image}.elf" "${here}/image.c"
      "${here}/linux/w_hw64.wfac.c" "${here}/linux/w_ww128.wfac.c")
  expect_ok("the ${image} image")
  set(check_args "${here}/${image}.elf" "${here}/linux/w_hw64.h" "${here}/linux/w_ww128.h")
  execute_process(COMMAND "${PROGRAM_DIR}/wfac_check_image" ${check_args}
                  OUTPUT_VARIABLE linux_out_${image} RESULT_VARIABLE linux_status_${image})
  set(win_line "\"${check_exe}\"")
  foreach(arg IN LISTS check_args)
    windows_path(arg "${arg}")
    string(APPEND win_line " \"${arg}\"")
  endforeach()
  add_to_batch("${win_line}")
endforeach()
if(NOT linux_status_right EQUAL 0 OR NOT linux_status_wrong EQUAL 1)
  message(FATAL_ERROR "the Linux check of the images gave ${linux_status_right} and "
                      "${linux_status_wrong}:\n${linux_out_right}${linux_out_wrong}")
endif()

file(MAKE_DIRECTORY "${here}/batch")
file(WRITE "${here}/batch/run.bat" "${bat}exit /b 0\r\n")
start_wine()
run(${wine_env} "${WINE}" cmd /c run.bat WORKING_DIRECTORY "${here}/batch")
expect_ok("wine cmd /c run.bat")

# Reads the run of number i of the batch: its status, and its standard
# output and error with CRLF as LF.
function(batch_run i)
  file(STRINGS "${here}/batch/${i}.status" code)
  string(STRIP "${code}" code)
  foreach(part out err)
    file(READ "${here}/batch/${i}.${part}" text)
    string(REPLACE "\r\n" "\n" text "${text}")
    set(${part} "${text}" PARENT_SCOPE)
  endforeach()
  set(code "${code}" PARENT_SCOPE)
endfunction()

# Reads file as text with CRLF as LF.
function(read_lf var file)
  file(READ "${file}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

set(index 0)
foreach(table IN LISTS tables)
  string(REGEX MATCH "^[^|]+" name "${table}")
  batch_run(${index})
  if(NOT code STREQUAL "0")
    message(FATAL_ERROR "Windows CMake's writer failed for ${name} (${code}):\n${out}${err}")
  endif()
  foreach(file ${name}.c ${name}.h ${name}.wfac.c)
    read_lf(want "${here}/linux/${file}")
    read_lf(got "${win_dir}/${file}")
    if(NOT got STREQUAL want)
      message(FATAL_ERROR "${win_dir}/${file} is not what the Linux writer writes:\n${got}")
    endif()
  endforeach()
  run("${MINGW_GCC}" -std=c99 -Wall -Wextra -Werror -pedantic -c -o "${here}/${name}.o"
      "${win_dir}/${name}.wfac.c")
  expect_ok("mingw-w64 gcc of ${name}.wfac.c")
  math(EXPR index "${index} + 1")
endforeach()
foreach(case IN LISTS refused)
  string(REGEX MATCH "[^|]+$" message "${case}")
  batch_run(${index})
  string(REGEX REPLACE "[ \t\r\n]+" " " flat "${err}")
  string(FIND "${flat}" "${message}" at)
  if(code STREQUAL "0" OR at EQUAL -1 OR EXISTS "${win_dir}/refused ${index}")
    message(FATAL_ERROR "the refused run ${index} should fail with \"${message}\" and leave "
                        "nothing (${code}):\n${err}")
  endif()
  math(EXPR index "${index} + 1")
endforeach()
foreach(image right wrong)
  batch_run(${index})
  if(NOT code STREQUAL "${linux_status_${image}}" OR NOT out STREQUAL "${linux_out_${image}}")
    message(FATAL_ERROR "wfac_check_image.exe on the ${image} image gave (${code}):\n${out}${err}\n"
                        "where the Linux program gives (${linux_status_${image}}):\n"
                        "${linux_out_${image}}")
  endif()
  math(EXPR index "${index} + 1")
endforeach()

# A project that builds for Windows cannot check its images, which are PE:
# the call stops the configure step and says so.
file(WRITE "${here}/pe/CMakeLists.txt" "cmake_minimum_required(VERSION 3.22...4.3)\n"
     "project(pe C)\nfind_package(wfac REQUIRED)\nadd_executable(app main.c)\n"
     "wfac_add_table(app PROGRAM wfac_hw_gen SIZE 64)\nwfac_check_image(app)\n")
file(WRITE "${here}/pe/main.c" "int main(void) { return 0; }\n")
run("${CMAKE_COMMAND}" -S "${here}/pe" -B "${here}/pe/build"
    --toolchain "${WFAC_SOURCE}/tests/windows/mingw-w64.cmake"
    "-Dwfac_DIR=${prefix}/lib/cmake/wfac")
expect_failure("configure of wfac_check_image() for Windows"
               "wfac_check_image(app): the images of this platform are PE (Windows), and wfac_check_image reads ELF images only")
