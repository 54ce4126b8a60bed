# What an install lays out (GNU layout under CMAKE_INSTALL_PREFIX) and the Debian package CPack makes of
# it. An executable in <prefix>/bin beside <prefix>/share/oruvan is an installed copy: it keeps its
# settings per user (src/settings/ProgramLayout.h).
include(GNUInstallDirs)

set(ORUVAN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/oruvan)
set(ORUVAN_HOMEPAGE "https://oruvan.example.org/")

install(TARGETS oruvan oruvan-outline RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/readme.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/oruvan)
install(FILES ${ORUVAN_QM} DESTINATION ${CMAKE_INSTALL_DATADIR}/oruvan/translations)
install(FILES resources/${ORUVAN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/${ORUVAN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 48 64 128 256)
  install(FILES resources/icons/${size}x${size}/${ORUVAN_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES resources/images/oruvan.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps
        RENAME ${ORUVAN_APP_ID}.png)
install(FILES resources/icons/${ORUVAN_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/copyright DESTINATION ${ORUVAN_DOC_DIR})
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME oruvan)

# Manual pages and the change log go compressed, without a time stamp, as Debian wants them.
set(ORUVAN_GZIPPED)
function(oruvan_gzip source output destination)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${output}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source}
    COMMENT "Compressing ${source}")
  install(FILES ${output} DESTINATION ${destination})
  set(ORUVAN_GZIPPED ${ORUVAN_GZIPPED} ${output} PARENT_SCOPE)
endfunction()
set(gz ${CMAKE_CURRENT_BINARY_DIR}/gz)
file(MAKE_DIRECTORY ${gz}/ja)
foreach(page oruvan oruvan-outline)
  oruvan_gzip(resources/man/${page}.1 ${gz}/${page}.1.gz ${CMAKE_INSTALL_MANDIR}/man1)
  oruvan_gzip(resources/man/ja/${page}.1 ${gz}/ja/${page}.1.gz ${CMAKE_INSTALL_MANDIR}/ja/man1)
endforeach()
oruvan_gzip(packaging/changelog ${gz}/changelog.gz ${ORUVAN_DOC_DIR})
add_custom_target(oruvan-compressed-docs ALL DEPENDS ${ORUVAN_GZIPPED})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME oruvan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Oruvan developers <oruvan@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${ORUVAN_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and editor for text files with an index of headings")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Oruvan shows and edits plain-text files that carry their own index: every line\n"
  "that begins with a title mark (by default //@, -- and a black square) is a\n"
  "heading. The headings appear in a list beside the text, in a drop-down list\n"
  "and in a paged Index menu; choosing one brings its line to the top of the view.\n"
  "The interface is Japanese, or English where the locale asks for it; documents\n"
  "in Shift-JIS, UTF-8, EUC-JP, UTF-16 or ISO-2022-JP are recognised when opened\n"
  "and written back byte for byte, each line with the break it was read with. The\n"
  "package also holds oruvan-outline, which prints the index of a file on the\n"
  "command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# QScintilla is linked in (patched, see third_party/qscintilla); its translations still come from Debian.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n, libqscintilla2-qt6-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
