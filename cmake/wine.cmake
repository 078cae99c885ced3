# Running the Windows build's programs on this machine, under wine: the build's
# own tools (the built-in table's generator) and every test CTest runs.
#
# Each build folder has a wine prefix of its own, made on first use
# (QUELVANE_WINEPREFIX, default BUILD/wine-prefix): no display, no Mono or Gecko
# offer, no debug chatter. scripts/wine-tests starts a persistent wineserver in
# it before CTest and stops it afterwards; without one, each program costs a
# few seconds more, as wine's helper services start and stop with it.
find_program(QUELVANE_WINE wine)
if(NOT QUELVANE_WINE)
  message(WARNING "wine not found: the Windows build's tools and tests cannot run here.")
endif()
set(QUELVANE_WINEPREFIX "${CMAKE_BINARY_DIR}/wine-prefix" CACHE PATH
    "The wine prefix in which the Windows build's programs run")
# How wine runs the program here is said once, in scripts/wine-env.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${QUELVANE_WINEPREFIX}
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)

# A path of this machine as a Windows program under wine sees it: wine's drive
# Z: is the root of the Linux file system. Tests that change their current
# folder to one on C: need their data folders named this way.
function(quelvane_wine_path out path)
  set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()
