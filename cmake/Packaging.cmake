# Install layout and the Debian package.
#
# The program finds its bundled groups at <bindir>/../share/wordmoor/ciku (see
# startup/firststart), so the groups go below DATAROOTDIR beside BINDIR.
# The PNG icons in packaging/icons were rendered once from the SVG with rsvg-convert, so
# building needs no converter.

include(GNUInstallDirs)

set(WORDMOOR_APP_ID org.wordmoor.Wordmoor)
set(WORDMOOR_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/wordmoor)

install(TARGETS wordmoor wordmoor-groups RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Man pages and the changelog are installed compressed, as Debian keeps them; gzip -n
# leaves out the name and time, so a rebuild gives the same bytes.
find_program(WORDMOOR_GZIP gzip REQUIRED)
set(WORDMOOR_COMPRESSED)
foreach(source packaging/man/wordmoor.1 packaging/man/wordmoor-groups.1 packaging/changelog)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_BINARY_DIR}/compressed/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${copy}
        COMMAND ${WORDMOOR_GZIP} -9nf ${copy}
        DEPENDS ${PROJECT_SOURCE_DIR}/${source}
        VERBATIM)
    list(APPEND WORDMOOR_COMPRESSED ${copy}.gz)
endforeach()
# Everything cmake --install takes, for a build of just that.
add_custom_target(installable ALL DEPENDS ${WORDMOOR_COMPRESSED})
add_dependencies(installable wordmoor wordmoor-groups)
install(FILES ${CMAKE_BINARY_DIR}/compressed/wordmoor.1.gz
              ${CMAKE_BINARY_DIR}/compressed/wordmoor-groups.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

file(GLOB WORDMOOR_GROUPS ${PROJECT_SOURCE_DIR}/data/ciku/ci*.txt)
install(FILES ${WORDMOOR_GROUPS} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/wordmoor/ciku)
# The word material's licence and attribution go with the groups, so the user's copies
# made at first start carry it too.
install(FILES data/SOURCE.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/wordmoor)

install(FILES packaging/${WORDMOOR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES packaging/${WORDMOOR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES packaging/icons/${WORDMOOR_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES packaging/icons/${size}x${size}/${WORDMOOR_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

install(FILES data/SOURCE.md LICENSE README.md packaging/copyright
              ${CMAKE_BINARY_DIR}/compressed/changelog.gz
        DESTINATION ${WORDMOOR_DOCDIR})

# Debian package: cpack -G DEB in the build folder.
set(WORDMOOR_MAINTAINER "Wordmoor maintainers <maintainers@wordmoor.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wordmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Wordmoor")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Chinese-English word drill against the clock")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${WORDMOOR_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above becomes the first line; CPack indents these lines and marks the blank
# one as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Wordmoor is a word drill for learners of Chinese. Each question shows one
Chinese word and fifteen English candidates; click every right rendering
before the time bar runs out. Runs are scored into a top-ten table per
word group.

Comes with 20 word groups (1000 words, HSK levels 1 to 4) whose English
glosses are adapted from CC-CEDICT (CC BY-SA 4.0), and with wordmoor-groups,
a command-line program that checks the groups as the drill loads them,
imports word lists from KWordQuiz, Parley, Anki and spreadsheets, and
exports them for Anki.")
# Library dependencies come from the binary; the fonts the windows are drawn in do not, nor
# does what Qt loads as plugins at run time: the speech-dispatcher plugin the word is said
# through, the SQLite driver wordmoor-groups reads Anki's packages with, and Qt's Wayland
# platform. The libraries wordmoor-groups links are named too, so the list never depends on
# what dpkg-shlibdeps finds. The word is said only where speech-dispatcher has a Mandarin
# voice, which espeak-ng's module brings; without it the drill runs silent. Wayland is a
# dependency, not a recommendation: on a Wayland desktop (Debian's default GNOME) the
# program then always runs as its Wayland tests run it, never on the X fallback that a
# desktop may lack (sway without Xwayland) and that no test covers under GNOME; it costs a
# few MB.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-wqy-microhei | fonts-noto-cjk, \
qt6-wayland, qt6-speech-speechd-plugin, libqt6sql6, libqt6sql6-sqlite, libzip4, libzstd1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "speech-dispatcher-espeak-ng")

include(CPack)
