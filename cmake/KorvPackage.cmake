# Installation layout and the Debian package of Korv DEZ (scripts/build-deb).
#
# CPack's DEB generator packages a build tree as it is: cpack installs the
# tree (stripped) into its own staging folder under the /usr prefix and
# compiles nothing the tree has not built already, so CI packages the tree
# its test run built. Layout:
#   /usr/bin/korv-dez, /usr/bin/korvtool
#   /usr/share/korv-dez/             help page and rules file (the program
#                                    looks in <bindir>/../share/korv-dez)
#   /usr/share/applications/korv-dez.desktop, the hicolor SVG icon,
#   /usr/share/metainfo/<id>.metainfo.xml, man1 pages,
#   /usr/share/doc/korv-dez/         copyright, changelog.Debian.gz
#
# lintian (Debian 12) leaves one warning, on purpose:
#   initial-upload-closes-no-bugs: an upload into Debian itself would close
#   its ITP bug; this package is not uploaded there, so there is none.
# and some notes (--display-info): hardening-no-bindnow and
# hardening-no-fortify-functions (the package takes the test build's binaries
# as they are compiled), binary-has-unneeded-section .comment, the help page
# and rules file as documentation outside /usr/share/doc (the program reads
# them), and German words ("Programm") taken for misspellings. The project
# has no licence: the copyright file and the metainfo say
# LicenseRef-proprietary, which lintian accepts without a tag.

set(KORV_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KORV_APPSTREAM_ID org.example.korv_dez)
set(KORV_PACKAGE_RELEASE 1)

# Manual pages and the changelog are installed gzipped with -9n (no name, no
# time stamp: the same sources give the same package). configure_file makes
# a changed source re-run the configuration; the plain copy stays beside the
# .gz so that it is no missing output of that step.
set(KORV_PACKAGE_GZ_DIR ${CMAKE_BINARY_DIR}/packaging)
function(korv_gzipped_copy source name out_var)
  configure_file(${source} ${KORV_PACKAGE_GZ_DIR}/${name} COPYONLY)
  execute_process(COMMAND gzip -9n -c ${KORV_PACKAGE_GZ_DIR}/${name}
                  OUTPUT_FILE ${KORV_PACKAGE_GZ_DIR}/${name}.gz RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${source} failed: ${rc}")
  endif()
  set(${out_var} ${KORV_PACKAGE_GZ_DIR}/${name}.gz PARENT_SCOPE)
endfunction()

korv_gzipped_copy(${KORV_PACKAGING_DIR}/korv-dez.1 korv-dez.1 KORV_MAN_PROGRAM)
korv_gzipped_copy(${KORV_PACKAGING_DIR}/korvtool.1 korvtool.1 KORV_MAN_TOOL)
korv_gzipped_copy(${KORV_PACKAGING_DIR}/changelog.Debian changelog.Debian KORV_CHANGELOG)

# The newest changelog entry names the version the package gets.
file(STRINGS ${KORV_PACKAGING_DIR}/changelog.Debian KORV_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT KORV_CHANGELOG_TOP MATCHES "^korv-dez \\(${PROJECT_VERSION}-${KORV_PACKAGE_RELEASE}\\)")
  message(WARNING "packaging/changelog.Debian does not start with version "
                  "${PROJECT_VERSION}-${KORV_PACKAGE_RELEASE}: add an entry for it")
endif()

install(FILES ${KORV_PACKAGING_DIR}/korv-dez.desktop DESTINATION share/applications)
install(FILES ${KORV_PACKAGING_DIR}/korv-dez.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${KORV_PACKAGING_DIR}/${KORV_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${KORV_MAN_PROGRAM} ${KORV_MAN_TOOL} DESTINATION share/man/man1)
install(FILES ${KORV_PACKAGING_DIR}/copyright ${KORV_CHANGELOG} DESTINATION share/doc/korv-dez)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korv-dez)
set(CPACK_PACKAGE_VENDOR "Korv DEZ")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Korv DEZ <info@korv-dez.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://korv-dez.example.org)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Contest-Logbuch für DOK-Conteste / contest logbook for DOK contests")
set(CPACK_PACKAGE_DESCRIPTION
    "Korv DEZ ist ein Contest-Logbuch für Funkamateure: Rufzeichen, Enter,
DOK, Enter. Jede Verbindung wird sofort auf Doppel-QSO und DOK geprüft,
gewertet und zum laufenden Ergebnis addiert. Nach dem Contest schreibt es
STF, ADIF, CSV, E-Log, EDI, Cabrillo und das Papierlog (auch als PDF).
Das Kommandozeilenwerkzeug korvtool prüft und repariert die Datendateien
und erstellt Logs und Ausgaben ohne Fenster.

Korv DEZ is a contest logbook for radio amateurs: call, Enter, DOK, Enter.
Every contact is checked at once for duplicates and its DOK, scored and
added to the running totals. After the contest it writes STF, ADIF, CSV,
E-Log, EDI, Cabrillo and the paper log (also as PDF). The command-line
tool korvtool checks and repairs the data files and scripts logs and
outputs without a window.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KORV_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Korv DEZ <info@korv-dez.example.org>")
# dpkg-shlibdeps adds the libraries the binaries link (Qt 6, Hamlib, libc);
# the rest is read at run time: cty.csv and the call history, the fonts
# standing in for Courier New and Arial, the German texts of Qt's dialogs
# and the platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "hamradio-files, fonts-liberation, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_GENERATOR "")
