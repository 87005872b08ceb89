# A wine session for the Windows tests: sets wine_env, the command that
# runs what follows it in the prefix WORK/wineprefix, kept between runs,
# with no debug messages and no offer to install Mono or Gecko. A new
# prefix is set up, and wine waited for, before anything runs in it:
# commands run while it is being set up can fail.
#   WORK, WINE, WINESERVER.
function(start_wine)
  set(wine_env "${CMAKE_COMMAND}" -E env "WINEPREFIX=${WORK}/wineprefix" WINEDEBUG=-all
      "WINEDLLOVERRIDES=mscoree,mshtml=")
  if(NOT EXISTS "${WORK}/wineprefix/system.reg")
    run(${wine_env} "${WINE}" wineboot --init)
    expect_ok("wineboot --init")
  endif()
  run(${wine_env} "${WINESERVER}" --wait)
  set(wine_env "${wine_env}" PARENT_SCOPE)
endfunction()
