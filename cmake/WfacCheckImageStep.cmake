# The step that wfac_check_image() runs after a link:
#
#   cmake -DPROGRAM=<wfac_check_image> -DIMAGE=<image> -DCALL=<call>
#         -P WfacCheckImageStep.cmake -- <header>...
#
# runs the check, whose lines pass through. When it fails, the image is
# moved to <image>.rejected, where it can still be looked at, so that the
# next build links and checks it again rather than find it up to date.
cmake_minimum_required(VERSION 3.22...4.3)

set(headers "")
set(after_dashes FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(index RANGE ${last})
  if(after_dashes)
    list(APPEND headers "${CMAKE_ARGV${index}}")
  elseif(CMAKE_ARGV${index} STREQUAL "--")
    set(after_dashes TRUE)
  endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" "${IMAGE}" ${headers} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(RENAME "${IMAGE}" "${IMAGE}.rejected" RESULT moved)
  if(NOT moved STREQUAL "0")
    file(REMOVE "${IMAGE}")
    set(moved "removed, since it could not be moved (${moved})")
  else()
    set(moved "moved to ${IMAGE}.rejected")
  endif()
  message(FATAL_ERROR "${CALL}: ${IMAGE} does not hold its tables as they must be (${status}); "
                      "it is ${moved}, so that the next build links and checks it again")
endif()
