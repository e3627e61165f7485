// USB entries of the C API. Without USB back ends in this build they answer
// with their documented values for a machine without such devices: an empty
// list, no driver problems, the kernel's CDC-ACM driver as virtual COM
// driver, no HID ports.
#include "orvex/orvex.h"

#include "link/list_buffer.h"

extern "C" {

int Orvex_ListUsbDevices(char *buffer, int size) { return orvex::fillListBuffer(buffer, size, {}); }

int Orvex_GetUsbDriverState(void) { return 0; }

int Orvex_IsVirtualComDriverInstalled(void) { return 1; }

int Orvex_HidTransceive(int, const unsigned char *, int, unsigned char *, int) { return ORVEX_FAILED; }

int Orvex_HidWrite(int, const unsigned char *, int) { return ORVEX_FAILED; }

}  // extern "C"
