# Where everything goes on `cmake --install` and in the Debian package: the programs in
# bin/, the desktop's files (entry, icons, file type, AppStream data) and the manual pages
# under share/, the browser extension and the host manifests' template in share/brindlex/.
include(GNUInstallDirs)

find_program(GZIP gzip REQUIRED)
set(BRINDLEX_WEBSITE "https://brindlex.org" CACHE STRING "The project's home page")

# A manual page with the version filled in, compressed as Debian wants it. gzip -n keeps
# names and times out of the file, so a rebuild gives the same bytes.
function(brindlex_install_manpage page)
  set(VERSION ${PROJECT_VERSION})
  set(filled ${PROJECT_BINARY_DIR}/man/${page})
  configure_file(${PROJECT_SOURCE_DIR}/man/${page} ${filled} @ONLY)
  add_custom_command(OUTPUT ${filled}.gz
    COMMAND ${GZIP} -9 -n -f -k ${filled}
    DEPENDS ${filled}
    COMMENT "Compressing the manual page ${page}" VERBATIM)
  string(REPLACE "." "_" target manpage_${page})
  add_custom_target(${target} ALL DEPENDS ${filled}.gz)
  install(FILES ${filled}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

install(TARGETS bdxtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
brindlex_install_manpage(bdxtool.1)

if(TARGET brindlex)
  install(TARGETS brindlex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  brindlex_install_manpage(brindlex.1)

  set(desktop ${PROJECT_SOURCE_DIR}/desktop)
  install(FILES ${desktop}/org.brindlex.Brindlex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${desktop}/brindlex-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME brindlex.xml)
  install(FILES ${BRINDLEX_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size IN LISTS BRINDLEX_ICON_SIZES)
    install(FILES ${BRINDLEX_ICON_DIR}/${size}/org.brindlex.Brindlex.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()

  # The screenshot lives in the repository; the AppStream data names the address it is
  # published at, with its size read from the picture itself.
  set(BRINDLEX_SCREENSHOT_URL "${BRINDLEX_WEBSITE}/screenshots/main-window.png"
    CACHE STRING "Where desktop/screenshots/main-window.png is published")
  file(READ ${desktop}/screenshots/main-window.png header LIMIT 24 HEX)
  string(SUBSTRING ${header} 32 8 width)
  string(SUBSTRING ${header} 40 8 height)
  math(EXPR BRINDLEX_SCREENSHOT_WIDTH "0x${width}")
  math(EXPR BRINDLEX_SCREENSHOT_HEIGHT "0x${height}")
  configure_file(${desktop}/org.brindlex.Brindlex.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/desktop/org.brindlex.Brindlex.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/desktop/org.brindlex.Brindlex.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The bridge between the browsers and the program: the host the browser starts, the
# extension to load into the browser, and the templates of the host manifests.
install(TARGETS brindlex-bridge RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
brindlex_install_manpage(brindlex-bridge.1)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/bridge/extension ${PROJECT_SOURCE_DIR}/bridge/manifests
  DESTINATION ${CMAKE_INSTALL_DATADIR}/brindlex)
