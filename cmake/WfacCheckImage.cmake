# wfac_check_image(<target> [UNTIL <symbol>] [SKIP <function>...]
#                  [ASSUME_COPIED <section>...] [FLASH_FILES <file>[@<address>]...])
#
# After every link of <target>, an executable or shared library, checks its
# image with wfac_check_image: every table that wfac_add_table() attached
# to <target>, or to a library it links (directly or through others), must
# be where the CPU reads it, holding the table's entries. Each shared
# library of the link closure that holds tables is checked too, with its
# own tables. UNTIL, SKIP and ASSUME_COPIED are the program's --until,
# --skip and --assume-copied; UNTIL defaults to the target's property
# WFAC_CHECK_UNTIL where set (the Zephyr module sets it on zephyr_final).
# FLASH_FILES are the files programmed into the board, made from the image
# (a relative name is taken from the target's binary folder; a raw binary
# is <file>@<address>): each must hold every table too.
#
# The check runs after the project's own POST_BUILD steps of <target>,
# wherever the call stands. A failed check fails the build and moves the
# image, and each of the FLASH_FILES, aside (<file>.rejected), so that
# nothing flashable from it is left and the next build links and checks
# it again: no green build follows a failed check. The call may stand in
# any folder; the wfac_add_table() calls may stand anywhere, before or
# after it.
#
# How it is run: while the folder that creates <target> is still being
# read (the call stands in it or in a folder below it), a POST_BUILD step
# of <target> added at the end of that folder, after the project's own,
# as for a target that is armed so beforehand (the Zephyr module arms the
# final image); otherwise a target <target>_wfac_check of the calling
# folder, which runs after <target> is built and again after each link.

cmake_policy(PUSH)
cmake_policy(VERSION 3.22...4.3)

function(wfac_check_image target)
  set(call "wfac_check_image(${target})")
  # The arguments as given, empty ones too.
  set(args "")
  math(EXPR last "${ARGC} - 1")
  if(last GREATER_EQUAL 1)
    foreach(index RANGE 1 ${last})
      list(APPEND args "${ARGV${index}}")
    endforeach()
  endif()
  _wfac_require_target("${call}" "${target}" "EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY"
    "so this project does not link it" "which links no image; name an executable or a shared library")
  get_target_property(binary_dir "${target}" BINARY_DIR)
  _wfac_check_image_options("${call}" "${binary_dir}" options "${args}")
  get_target_property(until "${target}" WFAC_CHECK_UNTIL)
  if(until AND NOT "UNTIL" IN_LIST args)
    list(APPEND options --until "${until}")
  endif()
  _wfac_require_elf_images("${call}")
  _wfac_check_image_record("${call}" "${target}" "${options}" first)
  if(NOT first)
    return()
  endif()
  # A file that changes only when the options do, so that new options
  # check again.
  string(REPLACE ";" "\n" text "${options}\n")
  set(options_file "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/wfac_check/${target}.options")
  set(written "")
  if(EXISTS "${options_file}")
    file(READ "${options_file}" written)
  endif()
  if(NOT written STREQUAL text)
    file(WRITE "${options_file}" "${text}")
  endif()
  _wfac_check_image_schedule("${call}" "${target}" "${binary_dir}" "${options_file}" checked)
  if(TARGET wfac_host_programs)
    add_dependencies("${checked}" wfac_host_programs)
  else()
    get_target_property(checker wfac::wfac_check_image ALIASED_TARGET)
    if(checker)
      add_dependencies("${checked}" "${checker}")
    endif()
  endif()
endfunction()

# Stops configure where the platform's images are not ELF, the only ones
# wfac_check_image reads.
function(_wfac_require_elf_images call)
  if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
    return()
  endif()
  # CMake tells ELF, Mach-O and XCOFF from the compiler's output, and calls
  # the rest Unknown.
  if(WIN32 OR CYGWIN)
    set(format "PE (Windows)")
  elseif(APPLE OR CMAKE_EXECUTABLE_FORMAT STREQUAL "MACHO")
    set(format "Mach-O")
  elseif(CMAKE_EXECUTABLE_FORMAT MATCHES "^(|Unknown)$")
    set(format "of a format that CMake cannot tell")
  else()
    set(format "${CMAKE_EXECUTABLE_FORMAT}")
  endif()
  message(FATAL_ERROR "${call}: the images of this platform are ${format}, and "
                      "wfac_check_image reads ELF images only")
endfunction()

# Records the call's options on target and schedules the collection of its
# tables; sets first_var to false when an earlier call already checks it
# with the same options, and stops configure when with others.
function(_wfac_check_image_record call target options first_var)
  get_property(earlier TARGET "${target}" PROPERTY WFAC_CHECK_OPTIONS SET)
  if(earlier)
    get_target_property(earlier "${target}" WFAC_CHECK_OPTIONS)
    if(NOT earlier STREQUAL options)
      get_target_property(where "${target}" WFAC_CHECK_CALLED)
      message(FATAL_ERROR "${call}: ${where} checks '${target}' with other options; "
                          "call it once for each target")
    endif()
    set(${first_var} FALSE PARENT_SCOPE)
    return()
  endif()
  set_target_properties("${target}" PROPERTIES WFAC_CHECK_CALL "${call}"
    WFAC_CHECK_CALLED "${call} in ${CMAKE_CURRENT_LIST_FILE}")
  set_property(TARGET "${target}" PROPERTY WFAC_CHECK_OPTIONS "${options}")
  # The tables are known once every folder has been read. A deferred call
  # reads its arguments' variables when it runs: the name goes in as text.
  set_property(TARGET "${target}" PROPERTY WFAC_CHECK_TABLES "")
  cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [==[${CMAKE_SOURCE_DIR}]==] CALL
                            _wfac_check_image_tables [==[${target}]==])")
  set(${first_var} TRUE PARENT_SCOPE)
endfunction()

# Runs the check after the project's own POST_BUILD steps of target, which
# only the folder that creates it can add: at the end of that folder while
# it is read, or else in a target of this folder's that follows the link.
# Sets checked_var to the target whose build runs the check.
function(_wfac_check_image_schedule call target binary_dir options_file checked_var)
  get_target_property(armed "${target}" WFAC_CHECK_ARMED)
  _wfac_folder_is_open(open "${binary_dir}")
  if(armed OR open)
    if(NOT armed)
      set_property(TARGET "${target}" PROPERTY WFAC_CHECK_ARMED TRUE)
      cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [==[${binary_dir}]==] CALL
                                _wfac_check_image_arm [==[${target}]==])")
    endif()
    set_property(TARGET "${target}" APPEND PROPERTY LINK_DEPENDS "${options_file}")
    set(${checked_var} "${target}" PARENT_SCOPE)
  else()
    _wfac_check_image_target("${call}" "${target}" "${target}_wfac_check" "${options_file}")
    set(${checked_var} "${target}_wfac_check" PARENT_SCOPE)
  endif()
endfunction()

# Sets var to the program's options for the call's arguments args (a
# list), and stops configure at the first wrong one. FLASH_FILES are taken
# from binary_dir, the target's binary folder.
function(_wfac_check_image_options call binary_dir var args)
  set(nouns UNTIL symbol SKIP function ASSUME_COPIED section FLASH_FILES file)
  set(keywords UNTIL SKIP ASSUME_COPIED FLASH_FILES)
  _wfac_check_given_once("${call}" "${keywords}" ${args})
  set(options "")
  set(keyword "")
  set(values 0)
  list(APPEND args "<end>")
  foreach(arg IN LISTS args)
    if(keyword AND values EQUAL 0 AND (arg IN_LIST keywords OR arg STREQUAL "<end>"))
      message(FATAL_ERROR "${call}: ${keyword} is given no ${noun}")
    endif()
    if(arg STREQUAL "<end>")
      break()
    elseif(arg IN_LIST keywords)
      set(keyword "${arg}")
      set(values 0)
      list(FIND nouns "${keyword}" at)
      math(EXPR at "${at} + 1")
      list(GET nouns ${at} noun)
      continue()
    elseif(NOT keyword OR (keyword STREQUAL "UNTIL" AND values EQUAL 1))
      message(FATAL_ERROR "${call}: unexpected argument '${arg}'; the options are UNTIL <symbol>, "
                          "SKIP <function>..., ASSUME_COPIED <section>... and "
                          "FLASH_FILES <file>[@<address>]...")
    elseif(arg STREQUAL "")
      message(FATAL_ERROR "${call}: ${keyword} is given an empty ${noun} name")
    endif()
    math(EXPR values "${values} + 1")
    if(keyword STREQUAL "FLASH_FILES")
      # A file as given, its @<address> included; a generator expression
      # must give an absolute path.
      if(NOT IS_ABSOLUTE "${arg}" AND NOT arg MATCHES "^\\$<")
        set(arg "${binary_dir}/${arg}")
      endif()
      list(APPEND options --flash "${arg}")
    elseif(arg MATCHES "^-")
      message(FATAL_ERROR "${call}: ${keyword} '${arg}' begins with '-', which would be read as "
                          "an option; name a ${noun}")
    else()
      string(TOLOWER "--${keyword}" option)
      string(REPLACE "_" "-" option "${option}")
      list(APPEND options "${option}" "${arg}")
    endif()
  endforeach()
  set(${var} "${options}" PARENT_SCOPE)
endfunction()

# Sets var to TRUE when the folder of binary folder dir is still being read:
# it is this one or one that this one lies below, as add_subdirectory()
# reads a folder to its end before it returns.
function(_wfac_folder_is_open var dir)
  set(here "${CMAKE_CURRENT_BINARY_DIR}")
  while(here)
    if(here STREQUAL dir)
      set(${var} TRUE PARENT_SCOPE)
      return()
    endif()
    get_property(parent DIRECTORY "${here}" PROPERTY PARENT_DIRECTORY)
    if(NOT parent)
      break()
    endif()
    get_property(here DIRECTORY "${parent}" PROPERTY BINARY_DIR)
  endwhile()
  set(${var} FALSE PARENT_SCOPE)
endfunction()

# Sets var to the command that checks target's image with what the target's
# properties WFAC_CHECK_* hold when the build is generated: nothing at all
# while no wfac_check_image() call names the target.
function(_wfac_check_image_command var target)
  set(called "$<BOOL:$<TARGET_PROPERTY:${target},WFAC_CHECK_CALL>>")
  set(command "${CMAKE_COMMAND}" "-DPROGRAM=$<TARGET_FILE:wfac::wfac_check_image>"
      "-DIMAGE=$<TARGET_FILE:${target}>" "-DCALL=$<TARGET_PROPERTY:${target},WFAC_CHECK_CALL>"
      -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacCheckImageStep.cmake" --
      "$<GENEX_EVAL:$<TARGET_PROPERTY:${target},WFAC_CHECK_OPTIONS>>"
      "$<TARGET_PROPERTY:${target},WFAC_CHECK_TABLES>"
      "$<GENEX_EVAL:$<TARGET_PROPERTY:${target},WFAC_CHECK_LIBRARIES>>")
  set(guarded "")
  foreach(part IN LISTS command)
    list(APPEND guarded "$<${called}:${part}>")
  endforeach()
  set(${var} "${guarded}" PARENT_SCOPE)
endfunction()

# Adds the check as the last POST_BUILD step of target; called in the
# folder that creates it, once that folder has added its own steps. A
# target that is armed so, such as Zephyr's zephyr_final by the module, is
# checked when a wfac_check_image() call names it.
function(_wfac_check_image_arm target)
  set_property(TARGET "${target}" PROPERTY WFAC_CHECK_ARMED TRUE)
  _wfac_check_image_command(command "${target}")
  add_custom_command(TARGET "${target}" POST_BUILD COMMAND ${command}
    COMMAND_EXPAND_LISTS VERBATIM)
endfunction()

# Adds the target checked of the calling folder, which checks target's
# image after it is built, and again after each link or change of the file
# options_file (a stamp records the last passed check).
function(_wfac_check_image_target call target checked options_file)
  if(TARGET "${checked}")
    message(FATAL_ERROR "${call}: the target name ${checked}, which this call needs for its "
                        "check, is taken; rename that target")
  endif()
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/wfac_check/${target}-$<CONFIG>.checked")
  _wfac_check_image_command(command "${target}")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND ${command}
    COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}"
    DEPENDS "${target}" wfac::wfac_check_image "$<TARGET_FILE:wfac::wfac_check_image>"
            "${options_file}" "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacCheckImageStep.cmake"
    COMMENT "Checking the tables of ${target}"
    COMMAND_EXPAND_LISTS
    VERBATIM)
  add_custom_target("${checked}" ALL DEPENDS "${stamp}")
endfunction()

# Sets own to the headers of the tables that wfac_add_table() attached to
# target or to what it links, and shared to the shared libraries among
# what it links, whose own tables are not walked. A link item may be a
# generator expression: every target named in it counts, and a table that
# a configuration leaves out is then reported absent, not failed.
function(_wfac_link_tables target own shared)
  set(seen "")
  set(queue "${target}")
  set(headers "")
  set(libraries "")
  while(queue)
    list(POP_FRONT queue item)
    if(item IN_LIST seen OR NOT TARGET "${item}")
      continue()
    endif()
    list(APPEND seen "${item}")
    get_target_property(aliased "${item}" ALIASED_TARGET)
    if(aliased)
      list(APPEND queue "${aliased}")
      continue()
    endif()
    get_target_property(type "${item}" TYPE)
    get_target_property(imported "${item}" IMPORTED)
    if(type STREQUAL "SHARED_LIBRARY" AND NOT item STREQUAL target AND NOT imported)
      list(APPEND libraries "${item}")
      continue()
    endif()
    get_property(attached TARGET "${item}" PROPERTY WFAC_TABLE_HEADERS)
    list(APPEND headers ${attached})
    set(links "")
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(value "${item}" ${property})
      if(value)
        string(APPEND links ";${value}")
      endif()
    endforeach()
    # Object libraries may also be linked as $<TARGET_OBJECTS:...> sources.
    get_target_property(sources "${item}" SOURCES)
    if(sources)
      string(REGEX MATCHALL "\\$<TARGET_OBJECTS:[^>]+>" objects "${sources}")
      string(APPEND links ";${objects}")
    endif()
    string(REGEX MATCHALL "[A-Za-z0-9_.+:-]+" names "${links}")
    list(APPEND queue ${names})
  endwhile()
  list(REMOVE_DUPLICATES headers)
  set(${own} "${headers}" PARENT_SCOPE)
  set(${shared} "${libraries}" PARENT_SCOPE)
endfunction()

# Sets the WFAC_CHECK_TABLES of target to the headers of the tables in its
# link closure, and its WFAC_CHECK_LIBRARIES to a --library group (the
# library's file, then its tables' headers) for each shared library of
# that closure that holds tables of its own.
function(_wfac_check_image_tables target)
  _wfac_link_tables("${target}" headers queue)
  set(seen "")
  set(groups "")
  while(queue)
    list(POP_FRONT queue library)
    if(library IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${library}")
    _wfac_link_tables("${library}" own more)
    list(APPEND queue ${more})
    if(own)
      list(APPEND headers ${own})
      list(APPEND groups --library "$<TARGET_FILE:${library}>" ${own})
    endif()
  endwhile()
  list(REMOVE_DUPLICATES headers)
  if(NOT headers)
    message(FATAL_ERROR "wfac_check_image(${target}): no wfac_add_table() attaches a table to "
                        "'${target}' or to a library that it links, so there is nothing to check")
  endif()
  set_property(TARGET "${target}" PROPERTY WFAC_CHECK_TABLES "${headers}")
  set_property(TARGET "${target}" PROPERTY WFAC_CHECK_LIBRARIES "${groups}")
endfunction()

cmake_policy(POP)
