// Serial port listing for the C API.
#include "orvex/orvex.h"

extern "C" int Orvex_ListComPorts(char *buffer, int size) {
    if (!buffer || size < 1) return 0;
    buffer[0] = '\0';   // the libserialport listing replaces this
    return 1;
}
