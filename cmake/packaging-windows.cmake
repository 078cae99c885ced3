# The Windows zip: make package-windows writes BUILD/quelvane-VERSION-win64.zip,
# a folder of the same name holding the programs, the README and the licence.
set(QUELVANE_WINDOWS_PACKAGE quelvane-${PROJECT_VERSION}-win64)
set(QUELVANE_WINDOWS_STAGE ${CMAKE_BINARY_DIR}/package/${QUELVANE_WINDOWS_PACKAGE})
set(QUELVANE_WINDOWS_PROGRAMS $<TARGET_FILE:quelvane-cli>)
if(QUELVANE_GUI)
  list(APPEND QUELVANE_WINDOWS_PROGRAMS $<TARGET_FILE:quelvane>)
endif()
add_custom_target(package_windows
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/package
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUELVANE_WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${QUELVANE_WINDOWS_PROGRAMS} ${QUELVANE_WINDOWS_STAGE}/
  # Text files with Windows line ends, readable in Notepad; the README keeps the
  # name quelvane-cli --help gives it.
  COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/README.md -DOUT=${QUELVANE_WINDOWS_STAGE}/README.md
          -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
  COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/LICENSE -DOUT=${QUELVANE_WINDOWS_STAGE}/LICENCE.txt
          -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/examples/table.txt ${QUELVANE_WINDOWS_STAGE}/
  COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_BINARY_DIR}/${QUELVANE_WINDOWS_PACKAGE}.zip
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/package
          ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${QUELVANE_WINDOWS_PACKAGE}.zip --format=zip
          ${QUELVANE_WINDOWS_PACKAGE}
  DEPENDS quelvane-cli
  COMMENT "Zip ${QUELVANE_WINDOWS_PACKAGE}.zip"
  VERBATIM)

# The installer, from the same folder: BUILD/quelvane-VERSION-win64-setup.exe,
# made by Debian's nsis (installer/quelvane.nsi.in).
if(QUELVANE_GUI)
  add_dependencies(package_windows quelvane)
  find_program(QUELVANE_MAKENSIS makensis)
  set(QUELVANE_SETUP ${CMAKE_BINARY_DIR}/${QUELVANE_WINDOWS_PACKAGE}-setup.exe)
  set(STAGE ${QUELVANE_WINDOWS_STAGE})
  set(QUELVANE_ICO ${CMAKE_BINARY_DIR}/res/quelvane.ico)
  configure_file(${PROJECT_SOURCE_DIR}/installer/quelvane.nsi.in
                 ${CMAKE_BINARY_DIR}/installer/quelvane.nsi @ONLY)
  add_custom_target(installer_windows
    COMMAND ${QUELVANE_MAKENSIS} -V2 ${CMAKE_BINARY_DIR}/installer/quelvane.nsi
    DEPENDS quelvane_icon
    COMMENT "Installer ${QUELVANE_WINDOWS_PACKAGE}-setup.exe"
    VERBATIM)
  add_dependencies(installer_windows package_windows)
endif()
