# wfac_add_table(<target> PROGRAM <wfac_hw_gen|wfac_ww_gen|wfac_hh_gen>
#                SIZE <N> [<KEYWORD> <value>]... [OUT_VAR <var>])
#
# The keywords are the arguments of a table, _wfac_table_arguments() in
# WfacTableArgs.cmake (wfac(7) says what each takes), and OUT_VAR, which
# sets <var> to the table, its header and its wrapper.
#
# Adds a build step that writes the program's table for [-s <scale>] <N> to
# <file>, byte for byte what the program writes, and compiles it into
# <target> as the array <symbol> (default w). The call may stand in any
# folder of the project, not only in the target's. The step runs again when
# the program or the arguments change.
#
# Without OUTPUT the table is <symbol>.c with NAME and <program>_<N>.c
# without, in the folder <target>_wfac of the target's binary folder; a
# relative OUTPUT is taken from ${CMAKE_CURRENT_BINARY_DIR}. Beside the
# table the step writes <stem>.h, which declares the array ("extern const
# short <symbol>[2 * K];" or int, with C linkage in C++; on GCC and Clang
# aligned to ALIGN bytes, default 8, and in the linker section SECTION when
# given) and the index <SYMBOL>_OFFSET_<M> at which the table of each size
# M = N, N/4, ... >= 16 starts within it; that folder is on <target>'s
# include path, for <target> and for what links it.
#
# The table is not one of <target>'s sources. What <target> compiles is the
# wrapper <target>_wfac/<symbol>.wfac.c (.wfac.cpp in a project whose only
# language is C++), which includes the header and the table under the name
# <symbol>, with the unknown-pragma warning off for that file alone. The
# generated files lie in a folder of their own, so no property set here can
# reach a source of the project's that has the same file name.
#
# A symbol may be defined by several calls only when each names a different
# executable: a library (of any kind) can end up in one binary with another
# table of that name, and then one would silently stand for the other. A
# file may be written by one call only.

# The functions keep these policies whatever the project that includes the
# package sets.
cmake_policy(PUSH)
cmake_policy(VERSION 3.22...4.3)
include("${CMAKE_CURRENT_LIST_DIR}/WfacTableArgs.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/WfacCheckImage.cmake")

# The keywords of wfac_add_table() beside the arguments of a table.
macro(_wfac_add_table_keywords var)
  set(${var} OUT_VAR)
endmacro()

# Stops configure when CMake would take <file> for a source of a target in
# the folders <dirs>: a relative source is looked for in its folder's source
# and binary directories, and a source named without its extension matches
# any. Properties of the generated file would then reach that source, or it
# would be built from the table. <what> names the file in the message.
function(_wfac_check_not_a_source call what file dirs)
  cmake_path(REMOVE_EXTENSION file LAST_ONLY OUTPUT_VARIABLE bare)
  foreach(dir IN LISTS dirs)
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(other IN LISTS targets)
      get_target_property(sources "${other}" SOURCES)
      get_target_property(source_dir "${other}" SOURCE_DIR)
      get_target_property(binary_dir "${other}" BINARY_DIR)
      foreach(source IN LISTS sources)
        if(source MATCHES "\\$<")
          continue()
        endif()
        set(places "${source}")
        if(NOT IS_ABSOLUTE "${source}")
          set(places "${source_dir}/${source}" "${binary_dir}/${source}")
        endif()
        foreach(place IN LISTS places)
          cmake_path(NORMAL_PATH place)
          if(place STREQUAL file OR place STREQUAL bare)
            message(FATAL_ERROR "${call}: ${what} ${file} is where CMake looks for the source "
                                "'${source}' of target '${other}', which would then be built "
                                "from the table or take its properties. Give the table an "
                                "OUTPUT of its own, or leave OUTPUT out.")
          endif()
        endforeach()
      endforeach()
    endforeach()
  endforeach()
endfunction()

# Stops configure unless target is a target of this project of one of the
# types (a regex alternation); imported_why and type_why end the messages
# for an imported target and one of another type.
function(_wfac_require_target call target types imported_why type_why)
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "${call}: there is no target named '${target}'")
  endif()
  get_target_property(aliased "${target}" ALIASED_TARGET)
  get_target_property(imported "${target}" IMPORTED)
  get_target_property(type "${target}" TYPE)
  if(aliased)
    message(FATAL_ERROR "${call}: '${target}' is an alias; name the target itself, '${aliased}'")
  elseif(imported)
    message(FATAL_ERROR "${call}: '${target}' is imported, ${imported_why}")
  elseif(NOT type MATCHES "^(${types})$")
    message(FATAL_ERROR "${call}: '${target}' is a target of type ${type}, ${type_why}")
  endif()
endfunction()

# Records the table of the call here (its symbol name, its three files) and
# stops configure when an earlier call defines the symbol where the two
# could meet, or writes one of the files.
function(_wfac_table_register call here target type name output header wrapper)
  # A symbol in several executables is fine; anywhere else two tables of one
  # name collide, or one silently stands for the other.
  get_property(earlier_calls GLOBAL PROPERTY "wfac_table_symbol_${name}")
  foreach(earlier IN LISTS earlier_calls)
    string(REPLACE "|" ";" earlier "${earlier}")
    list(POP_FRONT earlier earlier_target earlier_type earlier_here)
    if(earlier_target STREQUAL target OR NOT earlier_type STREQUAL "EXECUTABLE"
       OR NOT type STREQUAL "EXECUTABLE")
      message(FATAL_ERROR "${call}: the array '${name}' is already defined by ${earlier_here}; "
                          "two tables of one name collide or silently pick one at link time. "
                          "Give each table its own NAME.")
    endif()
  endforeach()
  foreach(file "${output}" "${header}" "${wrapper}")
    string(SHA1 key "${file}")
    get_property(earlier GLOBAL PROPERTY "wfac_table_file_${key}")
    if(earlier)
      message(FATAL_ERROR "${call}: ${file} is already written by ${earlier}. Give each "
                          "table its own NAME or OUTPUT (with a stem of its own).")
    endif()
    set_property(GLOBAL PROPERTY "wfac_table_file_${key}" "${here}")
  endforeach()
  set_property(GLOBAL APPEND PROPERTY "wfac_table_symbol_${name}" "${target}|${type}|${here}")
  # The tables that wfac_check_image() looks for in an image that links target.
  set_property(TARGET "${target}" APPEND PROPERTY WFAC_TABLE_HEADERS "${header}")
endfunction()

# Adds the build step that runs the writer with step_args for the program
# program_name, and compiles the wrapper into target as language lang.
function(_wfac_table_step call target program_name name lang step_args output header wrapper)
  cmake_path(GET output PARENT_PATH dir)
  # A file that changes only when the arguments do, so that a changed SCALE
  # reruns the step with any generator.
  string(SHA1 id "${output}")
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/wfac_tables/${id}.args")
  include("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacVersion.cmake")
  # The version too: after an upgrade, one re-run of CMake makes every
  # table again, whatever the times of the unpacked files.
  string(REPLACE ";" "\n" stamp_text "wfac ${WFAC_VERSION};${program_name};${step_args}")
  file(CONFIGURE OUTPUT "${stamp}" CONTENT "${stamp_text}\n")

  set(program "$<TARGET_FILE:wfac::${program_name}>")
  set(step "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacWriteTable.cmake")
  # The writer, what it includes and its templates.
  file(GLOB templates "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacTable*.in")
  add_custom_command(
    OUTPUT "${output}" "${header}" "${wrapper}"
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=${program}" ${step_args} -P "${step}"
    DEPENDS wfac::${program_name} "${program}" "${stamp}" "${step}"
            "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacTableArgs.cmake"
            "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacLibraryNames.cmake"
            "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacVersion.cmake" ${templates}
    COMMENT "Generating ${output}"
    VERBATIM)
  # The step belongs to this folder, the target may be in another: a target
  # of its own runs the step before anything of the target is compiled.
  set(step_target "${target}_wfac_${name}")
  if(TARGET "${step_target}")
    message(FATAL_ERROR "${call}: the target name ${step_target}, which this call needs for its "
                        "build step, is taken; rename that target")
  endif()
  add_custom_target("${step_target}" DEPENDS "${output}" "${header}" "${wrapper}")
  if(TARGET wfac_host_programs)
    add_dependencies("${step_target}" wfac_host_programs)
  endif()
  add_dependencies("${target}" "${step_target}")

  target_sources("${target}" PRIVATE "${wrapper}")
  set_source_files_properties("${wrapper}" TARGET_DIRECTORY "${target}" PROPERTIES
    GENERATED ON
    LANGUAGE ${lang})
  # A C wrapper quiets the table's pragma itself; g++ before 13 does not
  # take that from a C++ one, which gets the option instead.
  if(lang STREQUAL "CXX")
    set(gnu_like "$<COMPILE_LANG_AND_ID:CXX,GNU,Clang,AppleClang>")
    set(msvc "$<COMPILE_LANG_AND_ID:CXX,MSVC>")
    set(quiet_unknown_pragmas "$<${gnu_like}:-Wno-unknown-pragmas>" "$<${msvc}:/wd4068>")
    set_source_files_properties("${wrapper}" TARGET_DIRECTORY "${target}" PROPERTIES
      COMPILE_OPTIONS "${quiet_unknown_pragmas}")
  endif()
  target_include_directories("${target}" PUBLIC "$<BUILD_INTERFACE:${dir}>")
endfunction()

# Stops configure when one of keywords is given more than once in the
# arguments that follow: cmake_parse_arguments() keeps the last, and a
# second SIZE is far more likely a mistake than a change of mind.
function(_wfac_check_given_once call keywords)
  foreach(keyword IN LISTS keywords)
    set(times 0)
    foreach(arg IN LISTS ARGN)
      if(arg STREQUAL keyword)
        math(EXPR times "${times} + 1")
      endif()
    endforeach()
    if(times GREATER 1)
      message(FATAL_ERROR "${call}: ${keyword} is given ${times} times; give it once")
    endif()
  endforeach()
endfunction()

# Sets lang_var and extension_var to the language that compiles the
# wrapper and its file's extension: C where the project has it; a
# C++-only project compiles the table as C++.
function(_wfac_table_language call lang_var extension_var)
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if("C" IN_LIST languages)
    set(${lang_var} C PARENT_SCOPE)
    set(${extension_var} c PARENT_SCOPE)
  elseif("CXX" IN_LIST languages)
    set(${lang_var} CXX PARENT_SCOPE)
    set(${extension_var} cpp PARENT_SCOPE)
  else()
    message(FATAL_ERROR "${call}: the project enables neither C nor C++, so the table cannot "
                        "be compiled; add C or CXX to its project() languages")
  endif()
endfunction()

function(wfac_add_table target)
  set(call "wfac_add_table(${target})")
  _wfac_table_keywords(keywords)
  _wfac_add_table_keywords(call_keywords)
  _wfac_check_given_once("${call}" "${keywords};${call_keywords}" ${ARGN})
  cmake_parse_arguments(PARSE_ARGV 1 table "" "${keywords};${call_keywords}" "")
  if(table_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${call}: unexpected arguments: ${table_UNPARSED_ARGUMENTS}")
  endif()
  if("OUT_VAR" IN_LIST ARGN AND "${table_OUT_VAR}" STREQUAL "")
    message(FATAL_ERROR "${call}: OUT_VAR must name the variable that takes the table's files")
  endif()
  # ALIGN and SECTION given with an empty value, or none, are given: the
  # checks refuse them (cmake_parse_arguments may leave them undefined).
  foreach(keyword ALIGN SECTION)
    if(NOT DEFINED table_${keyword} AND keyword IN_LIST ARGN)
      set(table_${keyword} "")
    endif()
  endforeach()
  _wfac_table_forget_empty(table)
  _wfac_require_target("${call}" "${target}"
    "EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY"
    "so nothing is compiled into it; name a target of this project"
    "which compiles no sources; name an executable or a static, shared or object library")
  get_target_property(type "${target}" TYPE)
  _wfac_table_language("${call}" lang extension)

  get_target_property(target_binary_dir "${target}" BINARY_DIR)
  get_target_property(target_source_dir "${target}" SOURCE_DIR)
  set(files_dir "${target_binary_dir}/${target}_wfac")
  set(name w)
  if(DEFINED table_NAME)
    set(name "${table_NAME}")
  endif()
  _wfac_table_check(ARGUMENTS table BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}"
    DEFAULT_DIR "${files_dir}" WRAPPER "${files_dir}/${name}.wfac.${extension}"
    OUT_ERROR error OUT_FILES files)
  if(error)
    message(FATAL_ERROR "${call}: ${error}")
  endif()
  list(GET files 0 output)
  list(GET files 1 header)
  list(GET files 2 wrapper)

  set(dirs "${CMAKE_CURRENT_SOURCE_DIR}" "${target_source_dir}")
  _wfac_check_not_a_source("${call}" OUTPUT "${output}" "${dirs}")
  _wfac_check_not_a_source("${call}" "the header beside OUTPUT," "${header}" "${dirs}")

  set(here "${call} in ${CMAKE_CURRENT_LIST_FILE}")
  _wfac_table_register("${call}" "${here}" "${target}" "${type}" "${name}" "${output}"
                       "${header}" "${wrapper}")
  # The step gets the arguments as given, with the files worked out here.
  set(table_OUTPUT "${output}")
  _wfac_table_definitions(step_args table)
  list(APPEND step_args "-DWRAPPER=${wrapper}" "-DCALL=${here}")
  _wfac_table_step("${call}" "${target}" "${table_PROGRAM}" "${name}" "${lang}" "${step_args}"
                   "${output}" "${header}" "${wrapper}")
  if(DEFINED table_OUT_VAR)
    set(${table_OUT_VAR} "${files}" PARENT_SCOPE)
  endif()
endfunction()

cmake_policy(POP)
