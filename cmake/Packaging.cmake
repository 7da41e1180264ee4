# Installing Tidewell as a desktop program (`make install`) and the Debian
# package (`make package`). The program carries its pictures, sounds, help
# and empty blacklist inside itself and copies the data files into the
# user's program folder on first start; the installed copies under
# share/tidewell are there to be read (the help opens in any browser).
include(GNUInstallDirs)

# Installing and packaging need only what is installed, not every test and
# benchmark that `all` would build first: the Makefile's install and package
# rules build the target tidewell_installed, then install.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# Every program a user runs; each has its manual page man/<program>.1.
set(TIDEWELL_INSTALLED_PROGRAMS tidewell tidewell-check tidewell-learn tidewell-show tidewell-why)

# Who answers for the package: its control file, its changelog and its
# copyright file all name this address.
set(TIDEWELL_MAINTAINER "Tidewell developers <developers@tidewell.org>")
set(TIDEWELL_HOMEPAGE "https://tidewell.org/")

set(_packaging_dir ${CMAKE_BINARY_DIR}/packaging)
configure_file(packaging/copyright.in ${_packaging_dir}/copyright @ONLY)
configure_file(packaging/changelog.in ${_packaging_dir}/configured/changelog @ONLY)

# Debian keeps manual pages and changelogs compressed, without a time stamp
# in the gzip header (-n), so that two builds of one source give one package;
# man reads them compressed everywhere else too.
set(_compressed "")
function(tidewell_gzip source output)
  string(REGEX REPLACE "\\.gz$" "" _uncompressed ${output})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${_uncompressed}
    COMMAND gzip -9 -n -f ${_uncompressed}
    DEPENDS ${source} VERBATIM)
  set(_compressed ${_compressed} ${output} PARENT_SCOPE)
endfunction()
set(_manual_pages "")
foreach(_program ${TIDEWELL_INSTALLED_PROGRAMS})
  tidewell_gzip(${PROJECT_SOURCE_DIR}/man/${_program}.1 ${_packaging_dir}/${_program}.1.gz)
  list(APPEND _manual_pages ${_packaging_dir}/${_program}.1.gz)
endforeach()
tidewell_gzip(${_packaging_dir}/configured/changelog ${_packaging_dir}/changelog.gz)

add_custom_target(tidewell_installed ALL DEPENDS ${_compressed})
add_dependencies(tidewell_installed ${TIDEWELL_INSTALLED_PROGRAMS})

install(TARGETS ${TIDEWELL_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/tidewell.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/org.tidewell.Tidewell.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/svg/tidewell.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES resources/data/tidewell.hlp resources/data/known.lst DESTINATION ${CMAKE_INSTALL_DATADIR}/tidewell)
install(DIRECTORY resources/pictures resources/sounds DESTINATION ${CMAKE_INSTALL_DATADIR}/tidewell)
install(FILES README.md ${_packaging_dir}/copyright ${_packaging_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tidewell)

# The systemd user units run tidewell-check where this installation puts
# it, which is known only when installing: `make install PREFIX=...` installs
# into PREFIX, the Debian package into /usr (through a staging folder named
# by DESTDIR, which is not part of the path the unit calls). So the units are
# written from their templates at install time, from the prefix in effect.
# lib/systemd/user, not the library folder: systemd looks for user units in
# /usr/lib/systemd/user and /usr/local/lib/systemd/user.
set(_units_dir ${_packaging_dir}/systemd)
install(CODE "
  set(TIDEWELL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  foreach(_unit tidewell-check.service tidewell-check.timer)
    configure_file(\"${PROJECT_SOURCE_DIR}/packaging/systemd/\${_unit}.in\" \"${_units_dir}/\${_unit}\" @ONLY)
  endforeach()
")
install(FILES ${_units_dir}/tidewell-check.service ${_units_dir}/tidewell-check.timer
        DESTINATION lib/systemd/user)

set(CPACK_PACKAGE_NAME tidewell)
set(CPACK_PACKAGE_VENDOR "Tidewell")
set(CPACK_PACKAGE_CONTACT "${TIDEWELL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "junk mail filter for POP3 and IMAP mailboxes")
# The long description: one paragraph, its lines short, as dpkg shows it.
set(CPACK_PACKAGE_DESCRIPTION
    "Tidewell lists the messages waiting in your POP3 and IMAP mailboxes from\n"
    "their headers only, marks junk mail by your rules, a blacklist, a learned\n"
    "score, an unknown-domain and a non-English test, and deletes it on the\n"
    "server (or moves it to the Junk folder) before your mail program\n"
    "downloads it, keeping a copy of each if you wish. tidewell-check does the\n"
    "same from cron or a systemd user timer, without the window.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TIDEWELL_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
# The dependencies are the packages of the shared libraries the programs
# link, found by dpkg-shlibdeps: the Qt 6 runtime (libqt6core6, libqt6gui6
# with the X11 platform plugin, libqt6widgets6, libqt6network6,
# libqt6multimedia6 with its sound back-ends, libqt6printsupport6), the
# keyring library and the C and C++ runtimes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The OAuth2 sign-in opens the browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_GENERATOR DEB)
include(CPack)
