# wfac_startup_emulator: runs a bare-metal image's start-up code for
# wfac_check_image, with Unicorn 2 (pkg-config: unicorn) where it is found
# and can be linked for the programs' platform; without it (mingw-w64, or
# not installed) a library that runs nothing and says so.
#   WFAC_EMULATOR: AUTO (the default) uses Unicorn where found, ON stops
#   the configure without it, OFF never uses it.
set(WFAC_EMULATOR AUTO CACHE STRING
    "Run start-up code in wfac_check_image with Unicorn: AUTO, ON or OFF")
set_property(CACHE WFAC_EMULATOR PROPERTY STRINGS AUTO ON OFF)
string(TOUPPER "${WFAC_EMULATOR}" wfac_emulator)
if(NOT wfac_emulator MATCHES "^(AUTO|ON|OFF)$")
  message(FATAL_ERROR "wfac: WFAC_EMULATOR is '${WFAC_EMULATOR}'; it must be AUTO, ON or OFF")
endif()

set(wfac_unicorn_why "")
if(wfac_emulator STREQUAL "OFF")
  set(wfac_unicorn_why "WFAC_EMULATOR is OFF")
else()
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(WFAC_UNICORN QUIET IMPORTED_TARGET GLOBAL unicorn>=2.0)
  endif()
  if(NOT WFAC_UNICORN_FOUND)
    set(wfac_unicorn_why "Unicorn 2 was not found (Debian: libunicorn-dev)")
  else()
    # pkg-config may name the build host's library in a cross build
    # (mingw-w64): it must link for the programs' platform.
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_LIBRARIES PkgConfig::WFAC_UNICORN)
    set(CMAKE_REQUIRED_QUIET ON)
    # The result is kept per library found, so that installing another
    # one checks again.
    string(SHA1 wfac_unicorn_id "${WFAC_UNICORN_LINK_LIBRARIES}${WFAC_UNICORN_CFLAGS}")
    string(SUBSTRING "${wfac_unicorn_id}" 0 12 wfac_unicorn_id)
    check_cxx_source_compiles([[
#include <unicorn/unicorn.h>
int main() { return uc_arch_supported(UC_ARCH_ARM) ? 0 : 1; }]] WFAC_UNICORN_LINKS_${wfac_unicorn_id})
    unset(CMAKE_REQUIRED_LIBRARIES)
    unset(CMAKE_REQUIRED_QUIET)
    if(NOT WFAC_UNICORN_LINKS_${wfac_unicorn_id})
      set(wfac_unicorn_why
          "Unicorn ${WFAC_UNICORN_VERSION} was found but does not link for this platform")
    endif()
  endif()
  if(wfac_unicorn_why AND wfac_emulator STREQUAL "ON")
    message(FATAL_ERROR "wfac: WFAC_EMULATOR is ON, but ${wfac_unicorn_why}")
  endif()
endif()

if(wfac_unicorn_why)
  add_library(wfac_startup_emulator STATIC startup/startup_machine.cpp startup/startup_none.cpp)
  message(STATUS "wfac: wfac_check_image cannot run start-up code: ${wfac_unicorn_why}")
else()
  add_library(wfac_startup_emulator STATIC startup/startup_machine.cpp startup/startup_unicorn.cpp)
  target_link_libraries(wfac_startup_emulator PRIVATE PkgConfig::WFAC_UNICORN)
  message(STATUS "wfac: wfac_check_image proves RAM tables by running start-up code "
                 "(Unicorn ${WFAC_UNICORN_VERSION})")
endif()
target_include_directories(wfac_startup_emulator PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(wfac_startup_emulator PRIVATE ${wfac_program_flags})
