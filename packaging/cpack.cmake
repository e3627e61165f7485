# The Debian package, built by CPack from the normal build folder
# (cpack -G DEB in it): what `cmake --install` puts under /usr, with the
# dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvex-readersetup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Qel Applikationen GmbH")
set(CPACK_PACKAGE_CONTACT "Qel Applikationen GmbH <info@qel-applikationen.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.qel-applikationen.example)
# CPack indents the lines after the first and writes an empty one as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "configuration utility for Orvex RFID readers
Orvex ReaderSetup identifies Orvex RFID readers (ISO 15693, MIFARE,
I-Code1, DESFire) attached over serial lines, USB, LAN, Bluetooth or a PS/2
keyboard wedge, reads their configuration, lets the user edit it, programs
it back and keeps configurations in .mkr/.mkp files.

The package holds the desktop program OrvexReaderSetup, the command-line
tool orvexctl, the reader simulator orvex-readersim, the reader link library
liborvex with its C header and pkg-config file, and udev rules that give the
user at the seat access to attached readers.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps sees linked libraries only; the window system's platform
# plugin is loaded at run time.
if(TARGET OrvexReaderSetup)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
# liborvex is public: other packages link it through the shlibs entry.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The library cache is refreshed by dpkg's ldconfig trigger; the scripts
# (which replace CPack's ldconfig calls) apply or withdraw the udev rules'
# access for readers already attached.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/triggers ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/prerm
    ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
