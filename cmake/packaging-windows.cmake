# The Windows zip: make package-windows writes BUILD/quelvane-VERSION-win64.zip,
# a folder of the same name holding the programs, the README and the licence.
set(QUELVANE_WINDOWS_PACKAGE quelvane-${PROJECT_VERSION}-win64)
set(QUELVANE_WINDOWS_STAGE ${CMAKE_BINARY_DIR}/package/${QUELVANE_WINDOWS_PACKAGE})
add_custom_target(package_windows
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/package
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUELVANE_WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quelvane-cli> ${QUELVANE_WINDOWS_STAGE}/
  # Text files with Windows line ends, readable in Notepad.
  COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/README.md -DOUT=${QUELVANE_WINDOWS_STAGE}/README.txt
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
