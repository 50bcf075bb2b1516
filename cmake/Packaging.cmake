# The Debian package: cpack -G DEB in the build folder. Dependencies come from
# the binaries (dpkg-shlibdeps) plus the window's font. The package ships no
# maintainer scripts and no configuration files, so removing it leaves only
# what each user's program wrote into their own settings file.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvixmanager)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ORVIX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-mode manager for the Tarvelle Memnova voice/fax modem")
# Lines as they stand in the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "OrvixManager sets a Tarvelle Memnova voice/fax modem up for self mode, in
which the modem answers calls by itself and keeps the voice, fax and data
messages it receives in its own memory. It lists the stored messages, plays
voice messages and the welcome messages through the modem and erases the
store.

The modem is reached over a local serial device or an RFC 2217 network
serial port (ser2net). The package also holds orvix-modem-sim, an emulator of
the modem for trying the program out.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVIX_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
