# Tests of the Qt platform layer, and the helper that builds every GUI test: the
# real widgets on Qt's offscreen platform, so no display is needed.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

add_library(quelvane_gui_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/gui_test_main.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/gui_test_support.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/gui_test_support_qt.cpp)
target_include_directories(quelvane_gui_test_support PUBLIC ${PROJECT_SOURCE_DIR})
# Screenshots go to the build folder.
target_compile_definitions(quelvane_gui_test_support PRIVATE QUELVANE_BUILD_DIR="${PROJECT_BINARY_DIR}")
target_link_libraries(quelvane_gui_test_support
  PUBLIC quelvane_platform quelvane_test_system Qt6::Widgets Qt6::Test GTest::gtest
  PRIVATE quelvane_warnings)

set(QUELVANE_GUI_TEST_ENV "QT_QPA_PLATFORM=offscreen")

# quelvane_add_gui_test(NAME SOURCES ... LIBS ... [ARGS ...]): like
# quelvane_add_test, with the Qt application opened by the test main; ARGS follow
# the test program's name on every run.
function(quelvane_add_gui_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  # Qt's imported targets belong to the folder that finds them.
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  add_executable(${name} ${ARG_SOURCES} $<TARGET_OBJECTS:quelvane_test_table>)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} quelvane_gui_test_support quelvane_warnings)
  target_compile_definitions(${name} PRIVATE
    QUELVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    QUELVANE_BUILD_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60
                       EXTRA_ARGS ${ARG_ARGS}
                       DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "${QUELVANE_GUI_TEST_ENV}" TIMEOUT 300)
endfunction()
