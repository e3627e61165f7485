// The serial port list of the C API.
#include "orvex/orvex.h"

#include "link/list_buffer.h"
#include "transport/serial_enum.h"

extern "C" int Orvex_ListComPorts(char *buffer, int size) {
    return orvex::fillListBuffer(buffer, size, orvex::serialPortEntries(orvex::systemSerialPorts()));
}
