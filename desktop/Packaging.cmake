# `make package`: a Debian package of what `make install` installs, below /usr. The
# libraries it needs are found by dpkg-shlibdeps from the binaries (the engine's library
# brings its helper process, libqt6webenginecore6-bin, along that way); the display plug-ins
# and the SQLite driver of Qt SQL are plug-ins, not linked libraries, so they are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nuvbrowser)
set(CPACK_PACKAGE_VERSION 0.8w)
set(CPACK_PACKAGE_VENDOR "nuvBrowser developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tabbed web browser with a favorites tree")
set(CPACK_PACKAGE_DESCRIPTION
    "nuvBrowser shows many web pages in one window behind a numbered tab\n"
    "strip, with a tree of favorites beside them, and is made to be driven\n"
    "from the keyboard. Its favorites are a folder of Internet Shortcut\n"
    "(.url) files, so Windows favorites work as they are. It shows the pages\n"
    "with Qt WebEngine.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "nuvBrowser developers <nuvbrowser@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
# The spelling dictionaries are converted at build time and shipped in lib/nuvbrowser: the
# package needs no hunspell package of its own.
# No maintainer scripts: the applet needs no ldconfig (see the script).
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/DropLdconfigScripts.cmake")
# Only the program's own files: nothing of the tests or benchmarks.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};nuvBrowser;ALL;/")
include(CPack)
