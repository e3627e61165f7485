# The Debian packages, built by CPack from the normal build folder (cpack -G DEB
# in it): one package per install component (packaging/packages.cmake), with
# the dependencies computed by dpkg-shlibdeps plus the ones between them.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ORVEX_PACKAGE_COMPONENTS})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Qel Applikationen GmbH")
set(CPACK_PACKAGE_CONTACT "Qel Applikationen GmbH <info@qel-applikationen.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.qel-applikationen.example)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Where dpkg-shlibdeps finds liborvex.so.2 for the programs (its package is
# named in their Depends below).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS OFF)
set(exact "(= ${PROJECT_VERSION})")

foreach(component IN LISTS ORVEX_PACKAGE_COMPONENTS)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${ORVEX_PACKAGE_${upper}})
endforeach()

# CPack indents the lines after the first and writes an empty one as " .".
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIB_DESCRIPTION "reader link library for Orvex RFID readers
liborvex talks to Orvex RFID readers (ISO 15693, MIFARE, I-Code1, DESFire)
over serial lines, USB (virtual COM port, FTDI, HID keyboard mode), LAN and
the maker's Bluetooth dongle: ports by handle, the reader's frame protocol
and command set, and the listing of attached readers, behind a flat C API.

This package holds the shared library.")
# liborvex is public: other packages depend on it through its shlibs and
# symbols files; the library cache is refreshed by dpkg's ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Every exported function with the version it appeared in (a control file must be named "symbols").
configure_file(${CMAKE_CURRENT_LIST_DIR}/liborvex2.symbols ${PROJECT_BINARY_DIR}/packaging/symbols COPYONLY)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/triggers ${PROJECT_BINARY_DIR}/packaging/symbols)

set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${ORVEX_PACKAGE_LIB} ${exact}")
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEV_DESCRIPTION "reader link library for Orvex RFID readers (development files)
liborvex talks to Orvex RFID readers (ISO 15693, MIFARE, I-Code1, DESFire)
over serial lines, USB, LAN and the maker's Bluetooth dongle behind a flat
C API.

This package holds the header orvex/orvex.h, the development link, the
pkg-config file (pkg-config orvex) and an example program.")

set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "${ORVEX_PACKAGE_LIB} ${exact}")
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_CLI_DESCRIPTION "command-line configuration of Orvex RFID readers
orvexctl identifies Orvex RFID readers (ISO 15693, MIFARE, I-Code1, DESFire)
attached over serial lines, USB, LAN, Bluetooth or a PS/2 keyboard wedge,
reads and programs their configuration with backups and read-back, keeps
configurations in .mkr/.mkp files and programs fleets of LAN readers; with
--json for scripts and configuration-management tools.

The package also holds the reader simulator orvex-readersim, the English
texts and udev rules that give the user at the seat access to attached
readers.")
# The scripts apply or withdraw the udev rules' access for readers already attached.
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/postrm)

set(CPACK_DEBIAN_GUI_PACKAGE_SECTION utils)
# dpkg-shlibdeps sees linked libraries only; the window system's platform
# plugin is loaded at run time.
set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "${ORVEX_PACKAGE_CLI} ${exact}, ${ORVEX_PACKAGE_LIB} ${exact}, qt6-qpa-plugins")
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_GUI_DESCRIPTION "configuration utility for Orvex RFID readers
Orvex ReaderSetup identifies Orvex RFID readers (ISO 15693, MIFARE,
I-Code1, DESFire) attached over serial lines, USB, LAN, Bluetooth or a PS/2
keyboard wedge, reads their configuration, lets the user edit it, programs
it back and keeps configurations in .mkr/.mkp files.

This package holds the desktop program with its menu entry, icons and
AppStream metadata.")

set(CPACK_DEBIAN_ANSIBLE_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_ANSIBLE_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_ANSIBLE_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_ANSIBLE_PACKAGE_DEPENDS "${ORVEX_PACKAGE_CLI}, ansible-core")
set(CPACK_DEBIAN_ANSIBLE_DESCRIPTION "Ansible modules for Orvex RFID readers
The Ansible collection orvex.readers configures Orvex RFID readers on many
hosts through orvexctl: identify a reader, back up and program its
configuration, set the key table of USB keyboard readers and program every
LAN reader of a site, with check mode and diff mode.")
# Bytecode Ansible leaves when it runs the modules as root goes with the package.
set(CPACK_DEBIAN_ANSIBLE_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/prerm)
include(CPack)
