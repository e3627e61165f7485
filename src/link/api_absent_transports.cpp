// C API entries of the USB and Bluetooth transports this build does not
// include yet. They answer with their documented failure values, exactly as
// when no such device is attached: empty lists, no driver problems, the
// kernel's CDC-ACM driver as virtual COM driver, no HID or dongle ports.
#include "orvex/orvex.h"

#include "link/list_buffer.h"

extern "C" {

int Orvex_ListUsbDevices(char *buffer, int size) { return orvex::fillListBuffer(buffer, size, {}); }

int Orvex_GetUsbDriverState(void) { return 0; }

int Orvex_IsVirtualComDriverInstalled(void) { return 1; }

int Orvex_HidTransceive(int, const unsigned char *, int, unsigned char *, int) { return -1; }

int Orvex_HidWrite(int, const unsigned char *, int) { return -1; }

int Orvex_BtListDongles(char *buffer, int size) { return orvex::fillListBuffer(buffer, size, {}); }

int Orvex_BtInquiry(int, unsigned char *, int, int, int) { return 0; }

int Orvex_BtConnect(int, const unsigned char *, int, int) { return 0; }

}  // extern "C"
