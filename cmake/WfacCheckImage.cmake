# wfac_check_image(<target>)
#
# After every link of <target>, an executable or shared library, checks its
# image with wfac_check_image: every table that wfac_add_table() attached
# to <target>, or to a library it links (directly or through others), must
# lie in the image as an object of its size, aligned as asked, in a section
# that is loaded and not cleared at start-up, holding the table's entries.
# A failed check fails the build and moves the image aside
# (<image>.rejected), so that the next build links and checks it again:
# no green build follows a failed check. Call it in the folder that
# creates <target>; the wfac_add_table() calls may stand anywhere, before
# or after it.

cmake_policy(PUSH)
cmake_policy(VERSION 3.22...4.3)

function(wfac_check_image target)
  set(call "wfac_check_image(${target})")
  if(ARGN)
    message(FATAL_ERROR "${call}: unexpected arguments: ${ARGN}")
  endif()
  _wfac_require_target("${call}" "${target}" "EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY"
    "so this project does not link it" "which links no image; name an executable or a shared library")
  get_target_property(source_dir "${target}" SOURCE_DIR)
  if(NOT CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
    # CMake tells ELF, Mach-O and XCOFF from the compiler's output, and
    # calls the rest Unknown.
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
  elseif(NOT source_dir STREQUAL CMAKE_CURRENT_SOURCE_DIR)
    message(FATAL_ERROR "${call}: call it in the folder that creates '${target}', "
                        "${source_dir}, where CMake takes steps after its link")
  endif()
  get_property(checked TARGET "${target}" PROPERTY WFAC_CHECK_TABLES SET)
  if(checked)
    return()
  endif()
  # The tables are known once every folder has been read. A deferred call
  # reads its arguments' variables when it runs: the name goes in as text.
  set_property(TARGET "${target}" PROPERTY WFAC_CHECK_TABLES "")
  cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [==[${CMAKE_SOURCE_DIR}]==] CALL
                            _wfac_check_image_tables [==[${target}]==])")

  set(program "$<TARGET_FILE:wfac::wfac_check_image>")
  add_custom_command(TARGET "${target}" POST_BUILD
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=${program}" "-DIMAGE=$<TARGET_FILE:${target}>"
            "-DCALL=${call}" -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WfacCheckImageStep.cmake"
            -- "$<TARGET_PROPERTY:${target},WFAC_CHECK_TABLES>"
    COMMAND_EXPAND_LISTS
    VERBATIM)
  if(TARGET wfac_host_programs)
    add_dependencies("${target}" wfac_host_programs)
  else()
    get_target_property(checker wfac::wfac_check_image ALIASED_TARGET)
    if(checker)
      add_dependencies("${target}" "${checker}")
    endif()
  endif()
endfunction()

# Sets the WFAC_CHECK_TABLES of target to the headers of the tables that
# wfac_add_table() attached to it or to what it links. A link item may be
# a generator expression: every target named in it counts, and a table
# that a configuration leaves out is then reported absent, not failed.
function(_wfac_check_image_tables target)
  set(seen "")
  set(queue "${target}")
  set(headers "")
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
  if(NOT headers)
    message(FATAL_ERROR "wfac_check_image(${target}): no wfac_add_table() attaches a table to "
                        "'${target}' or to a library that it links, so there is nothing to check")
  endif()
  set_property(TARGET "${target}" PROPERTY WFAC_CHECK_TABLES "${headers}")
endfunction()

cmake_policy(POP)
