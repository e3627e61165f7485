// Raw reader input and output entries of the C API. What a reader sends on
// its own collects in the port's receive buffer between commands.
#include "orvex/orvex.h"

#include "link/api_support.h"

using namespace orvex;
using orvex::api::bytes;
using orvex::api::portOf;

extern "C" {

int Orvex_WriteRaw(int handle, const unsigned char *data, int length) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    port->writeRaw(bytes(data, length));
    return ORVEX_OK;
}

int Orvex_ReadRaw(int handle, unsigned char *buffer, int size) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    if (!buffer || size <= 0) return 0;
    return static_cast<int>(port->readRaw(buffer, static_cast<std::size_t>(size)));
}

}  // extern "C"
