# The Debian package of Quelvane, made by CPack from the install rules:
#   cmake --build BUILD && (cd BUILD && cpack -G DEB)   or   make package
# The shared-library dependencies are read from the binaries (dpkg-shlibdeps);
# Qt's own French texts are a data package no binary links to, so it is named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelvane)
set(CPACK_PACKAGE_VENDOR "The Quelvane developers")
set(CPACK_PACKAGE_CONTACT "The Quelvane developers <quelvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SICOVAM <-> ISIN code converter for quote files")
set(CPACK_PACKAGE_DESCRIPTION
    "Quelvane converts French securities identifiers between SICOVAM codes and ISIN
codes, inside one column of delimited quote files (the daily files of charting
software) or one code at a time. It ships a desktop program, quelvane (Qt 6,
French user interface), and a command-line program, quelvane-cli, which give
byte-for-byte the same results.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)

# Every Debian package with a Debian revision carries changelog.Debian.gz beside
# its copyright; this one names the release the package is built from. The date
# follows SOURCE_DATE_EPOCH when it is set, so a rebuild can be reproduced.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${PROJECT_BINARY_DIR}/changelog.Debian
"${CPACK_PACKAGE_NAME} (${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}) unstable; urgency=medium

  * Quelvane ${PROJECT_VERSION}, packaged with CPack.

 -- ${CPACK_PACKAGE_CONTACT}  ${changelog_date}
")
execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/changelog.Debian COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_BINARY_DIR}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
