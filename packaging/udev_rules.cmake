# The udev rules that give the user at the seat access to the readers' device
# nodes (tag uaccess), generated from the identifier table. The rules run
# before 73-seat-late.rules, which applies the tag.
include(${CMAKE_CURRENT_LIST_DIR}/reader_usb_ids.cmake)

set(ORVEX_UDEV_RULES ${PROJECT_BINARY_DIR}/packaging/70-orvex-readers.rules)
set(text "# Orvex RFID readers: the user at the seat may open the reader's serial line\n")
string(APPEND text "# (tty) and, for readers in USB keyboard mode, its hidraw node.\n")
string(APPEND text "# Generated from reader_usb_ids.txt.\n\n")
string(APPEND text "ACTION==\"remove\", GOTO=\"orvex_readers_end\"\n")
foreach(entry IN LISTS ORVEX_USB_IDS)
  string(REPLACE ":" ";" fields "${entry}")
  list(GET fields 0 vendor)
  list(GET fields 1 product)
  list(GET fields 2 node)
  string(APPEND text "SUBSYSTEM==\"${node}\", SUBSYSTEMS==\"usb\", "
                     "ATTRS{idVendor}==\"${vendor}\", ATTRS{idProduct}==\"${product}\", TAG+=\"uaccess\"\n")
endforeach()
string(APPEND text "LABEL=\"orvex_readers_end\"\n")
file(CONFIGURE OUTPUT ${ORVEX_UDEV_RULES} CONTENT "${text}" @ONLY)
