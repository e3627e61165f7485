// Bluetooth entries of the C API. Without the dongle back end in this build
// they answer as on a machine without a dongle: no dongles, nothing found,
// no link.
#include "orvex/orvex.h"

#include "link/list_buffer.h"

extern "C" {

int Orvex_BtListDongles(char *buffer, int size) { return orvex::fillListBuffer(buffer, size, {}); }

int Orvex_BtInquiry(int, unsigned char *, int, int, int) { return 0; }

int Orvex_BtConnect(int, const unsigned char *, int, int) { return 0; }

}  // extern "C"
