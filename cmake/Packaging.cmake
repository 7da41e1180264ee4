# Installing Tidewell as a desktop program (`make install`) and the Debian
# package (`make package`). The program carries its pictures, sounds, help
# and empty blacklist inside itself and copies the data files into the
# user's program folder on first start; the installed copies under
# share/tidewell are there to be read (the help opens in any browser).
include(GNUInstallDirs)

# Installing and packaging need only the installed programs, not every
# test and benchmark that `all` would build first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

install(TARGETS tidewell tidewell-why tidewell-learn tidewell-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/tidewell.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/svg/tidewell.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES resources/data/tidewell.hlp resources/data/known.lst DESTINATION ${CMAKE_INSTALL_DATADIR}/tidewell)
install(DIRECTORY resources/pictures resources/sounds DESTINATION ${CMAKE_INSTALL_DATADIR}/tidewell)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tidewell)

set(CPACK_PACKAGE_NAME tidewell)
set(CPACK_PACKAGE_VENDOR "Tidewell")
set(CPACK_PACKAGE_CONTACT "Tidewell developers <tidewell@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Junk mail filter for POP3 mailboxes")
set(CPACK_PACKAGE_DESCRIPTION
    "Tidewell lists the messages waiting in your POP3 mailboxes from their headers only, marks junk mail by your rules, a blacklist, an unknown-domain and a non-English test, and deletes it on the server before your mail program downloads it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
# The dependencies are the packages of the shared libraries the programs
# link, found by dpkg-shlibdeps: the Qt 6 runtime (libqt6core6, libqt6gui6
# with the X11 platform plugin, libqt6widgets6, libqt6network6,
# libqt6multimedia6 with its sound back-ends, libqt6printsupport6) and the C
# and C++ runtimes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_GENERATOR DEB)
include(CPack)
