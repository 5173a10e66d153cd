# SPDX-License-Identifier: MIT
# The Debian package (cpack -G DEB): the two programs stripped, their man pages, the desktop
# entries, the icon, the AppStream metainfo the software centres list it by, and the changelog
# and copyright Debian asks of every package.

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(manpages ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${manpages})

# Compressed as Debian wants it: -n keeps the build time out, so the same sources give the
# same bytes.
function(bexlorin_gzip source target)
    add_custom_command(OUTPUT ${target}
        COMMAND gzip -9 -n -c ${source} > ${target}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# bexlorin-report's page is made from its --help, so that the options it lists are the ones the
# program takes; the drill program has no options, and its page is written by hand.
find_program(HELP2MAN help2man)
if(HELP2MAN)
    add_custom_command(OUTPUT ${manpages}/bexlorin-report.1
        COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
                --name=read\ Bexlorin\ record\ files\ and\ report\ every\ run
                --include=${packaging}/bexlorin-report.h2m
                --output=${manpages}/bexlorin-report.1 $<TARGET_FILE:bexlorin-report>
        DEPENDS bexlorin-report ${packaging}/bexlorin-report.h2m
        VERBATIM)
    bexlorin_gzip(${manpages}/bexlorin-report.1 ${manpages}/bexlorin-report.1.gz)
    set(report_manpage ${manpages}/bexlorin-report.1.gz)
else()
    message(WARNING "help2man not found: the package is built without bexlorin-report(1)")
endif()
bexlorin_gzip(${packaging}/bexlorin.1 ${manpages}/bexlorin.1.gz)
bexlorin_gzip(${packaging}/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(manpages ALL
    DEPENDS ${manpages}/bexlorin.1.gz ${report_manpage} ${CMAKE_BINARY_DIR}/changelog.gz)

install(FILES ${manpages}/bexlorin.1.gz ${report_manpage}
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/bexlorin.desktop ${packaging}/bexlorin-report.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/bexlorin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${packaging}/invalid.bexlorin.Bexlorin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Debian's place for a package's licence, in its machine-readable format, and its changes.
install(FILES ${packaging}/debian-copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/bexlorin
        RENAME copyright)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/bexlorin)

set(CPACK_PACKAGE_NAME bexlorin)
set(CPACK_PACKAGE_VENDOR "Bexlorin developers")
set(CPACK_PACKAGE_CONTACT "Bexlorin developers <dev@bexlorin.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Drill program for introductory mathematics and physics")
# Lines of at most 80 characters, as Debian's package tools show them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Bexlorin steps a student through built-in assignments of questions and worked\n"
    "answers (areas; volumes; surface area, the Pythagorean theorem and density;\n"
    "units of volume measure). The student types a response to each, rates their\n"
    "confidence or self-critique, and may save notes; everything is appended to\n"
    "plain-text record files for the instructor, which only ever grow.\n"
    "\n"
    "The window works with the keyboard alone and with a screen reader.\n"
    "\n"
    "bexlorin-report, the instructor's reader, turns a class's record files into a\n"
    "students x assignments matrix, statistics per question, a CSV file, a workbook\n"
    "and a self-contained HTML page.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON) # the debug data stays in the build tree
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's captions are laid out for Arial's metrics; Debian's match comes from here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
include(CPack)
