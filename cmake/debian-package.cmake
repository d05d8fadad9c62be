# The Linux download: a Debian package of everything `cmake --install`
# installs, placed under /usr, made by
#   cmake --build --preset native --target package
# into build/native/zorveth_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorveth)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Zorveth)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zorveth Developer <dev@zorveth.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: from the libraries the programs load (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure a Server/Client radio modem pair")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorveth polls, configures and initializes a pair of radio modems, a Server\n"
    "and a Client radio forming one link, through one serial port of the PC.\n"
    "\n"
    "The package has the dialog program zorveth (Qt), the command-line tool\n"
    "zorveth-cli for scripts and headless machines, and radio-sim, which\n"
    "simulates a radio pair on a pseudo-terminal so that everything can be\n"
    "tried without hardware.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
# Installed with DESTDIR, so that the final prefix is what the install
# scripts see (the desktop entry names its launcher by absolute path).
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
