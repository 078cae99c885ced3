# The GUI tests on Windows: the real Win32 controls, under wine, on an Xvfb
# display that a CTest fixture starts before them and stops after them. They
# run alone: a window of one test must not take the focus from another's, and
# under wine a dialog was seen to fail to be created while console tests ran
# beside it in the same prefix.
set(QUELVANE_XVFB_DISPLAY 97 CACHE STRING "The Xvfb display number of the Windows window tests")
quelvane_wine_path(QUELVANE_BUILD_DIR_FOR_WINE ${PROJECT_BINARY_DIR})

add_library(quelvane_gui_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/gui_test_main_win32.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/gui_test_support.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/gui_test_support_win32.cpp)
target_include_directories(quelvane_gui_test_support PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quelvane_gui_test_support
  PUBLIC quelvane_platform quelvane_test_system GTest::gtest PRIVATE quelvane_warnings)
target_compile_definitions(quelvane_gui_test_support PRIVATE
  QUELVANE_BUILD_DIR="${QUELVANE_BUILD_DIR_FOR_WINE}")

add_test(NAME xvfb_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/xvfb-display start
         ${QUELVANE_XVFB_DISPLAY} ${PROJECT_BINARY_DIR}/xvfb.pid)
add_test(NAME xvfb_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/xvfb-display stop
         ${QUELVANE_XVFB_DISPLAY} ${PROJECT_BINARY_DIR}/xvfb.pid)
set_tests_properties(xvfb_start PROPERTIES FIXTURES_SETUP xvfb)
set_tests_properties(xvfb_stop PROPERTIES FIXTURES_CLEANUP xvfb)

# quelvane_add_gui_test(NAME SOURCES ... LIBS ... [ARGS ...]): as on Linux; ARGS
# are Qt's and mean nothing here.
function(quelvane_add_gui_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} $<TARGET_OBJECTS:quelvane_test_table>)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} quelvane_gui_test_support quelvane_warnings)
  target_compile_definitions(${name} PRIVATE
    QUELVANE_TEST_DATA="${QUELVANE_TEST_DATA_DIR}"
    QUELVANE_BUILD_DIR="${QUELVANE_BUILD_DIR_FOR_WINE}")
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 120
                       DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "DISPLAY=:${QUELVANE_XVFB_DISPLAY}"
                                  FIXTURES_REQUIRED xvfb RUN_SERIAL TRUE TIMEOUT 300)
endfunction()
