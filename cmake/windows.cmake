# What the Windows build takes from this Debian machine without its /usr/include:
# CLI11 (header-only, from libcli11-dev) through an include folder of its own
# that holds nothing else, and GoogleTest built from Debian's googletest sources.
if(NOT WIN32)
  return()
endif()

set(QUELVANE_CROSS_INCLUDE ${CMAKE_BINARY_DIR}/cross-include)
if(NOT TARGET CLI11::CLI11)
  file(COPY /usr/include/CLI DESTINATION ${QUELVANE_CROSS_INCLUDE})
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${QUELVANE_CROSS_INCLUDE}
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${QUELVANE_CROSS_INCLUDE})
endif()

# quelvane_use_googletest(): GTest::gtest and GTest::gtest_main for the tests,
# warnings of their headers kept out of the project's.
macro(quelvane_use_googletest)
  if(NOT TARGET GTest::gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
endmacro()
