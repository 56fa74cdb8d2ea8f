# The Debian package, made with `cpack -G DEB` from the install rules (scripts/package.sh).
# Its dependencies are worked out by dpkg-shlibdeps from the libraries the programs link.
set(BRINDLEX_MAINTAINER "Brindlex maintainers <maintainers@users.noreply.c-seed-4c6c81d0.example>"
  CACHE STRING "The maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindlex)
set(CPACK_PACKAGE_VENDOR "The Brindlex developers")
set(CPACK_PACKAGE_CONTACT "${BRINDLEX_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "organizer for web links in folders")
# The summary above is the first line of the package's description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brindlex keeps web links in a tree of folders inside one text database and
shows them in an explorer window. It imports and exports the bookmark files
of browsers (Netscape bookmark HTML, Mosaic hotlists, Internet shortcuts,
the links of any HTML page) and sends links to a running browser.
.
The package holds the program, its command-line tool bdxtool, the desktop
entry, the program icon, the .bdx file type, and brindlex-bridge with the
browser extension it serves, which let Firefox and Chromium take links from
Brindlex and hand it the page they show.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRINDLEX_WEBSITE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon theme the icons go into.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "hicolor-icon-theme")
# The browsers the bridge reaches.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firefox-esr | chromium")

# What Debian wants beside every package: the copyright file and the changelog.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/brindlex)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${docdir})
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND ${GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the package changelog")
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${docdir})

include(CPack)
