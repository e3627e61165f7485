// USB entries of the C API. The driver state and the CDC-ACM check read the
// live sysfs; without HID and FTDI back ends in this build the list is empty
// and there are no HID ports.
#include <sys/utsname.h>

#include <string>

#include "link/list_buffer.h"
#include "orvex/orvex.h"
#include "transport/usb_driver_state.h"

extern "C" {

int Orvex_ListUsbDevices(char *buffer, int size) { return orvex::fillListBuffer(buffer, size, {}); }

int Orvex_GetUsbDriverState(void) { return orvex::usbDriverState("/sys"); }

int Orvex_IsVirtualComDriverInstalled(void) {
    struct utsname kernel {};
    const std::string release = uname(&kernel) == 0 ? kernel.release : "";
    return orvex::virtualComDriverAvailable("/sys", "/lib/modules/" + release) ? 1 : 0;
}

int Orvex_HidTransceive(int, const unsigned char *, int, unsigned char *, int) { return ORVEX_FAILED; }

int Orvex_HidWrite(int, const unsigned char *, int) { return ORVEX_FAILED; }

}  // extern "C"
