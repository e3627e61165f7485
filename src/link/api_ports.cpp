// Port management and identification entries of the C API.
#include "orvex/orvex.h"

#include <cstring>

#include "link/api_support.h"
#include "link/model_table.h"
#include "link/trace.h"

using namespace orvex;
using orvex::api::portOf;

extern "C" {

int Orvex_OpenPort(const char *name, int baud, int timeout) {
    return SdkApp::instance().openPort(name, baud, timeout);
}

int Orvex_ClosePort(int handle) { return api::status(SdkApp::instance().closePort(handle)); }

int Orvex_GetLastError(int handle) {
    auto port = portOf(handle);
    return port ? port->lastError() : ORVEX_ERR_INVALID_HANDLE;
}

int Orvex_ReadVersion(int handle, char *buffer, int size) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    std::vector<std::uint8_t> version;
    if (!readVersion(*port, version)) return ORVEX_FAILED;
    return api::copyAnswer(*port, version, buffer, size);
}

int Orvex_GetDeviceName(int handle, char *buffer, int size) {
    auto port = portOf(handle);
    const std::string name = modelName(port ? port->typeCode() : 0);
    if (buffer && size > 0) {
        std::memset(buffer, 0, static_cast<std::size_t>(size));
        std::memcpy(buffer, name.data(), std::min(name.size(), static_cast<std::size_t>(size - 1)));
    }
    return static_cast<int>(name.size());
}

int Orvex_GetPortName(int handle, char *buffer, int size) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    const std::string &name = port->name();
    if (!buffer || size <= static_cast<int>(name.size())) {
        port->setLastError(ORVEX_ERR_BUFFER_TOO_SMALL);
        return ORVEX_FAILED;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return static_cast<int>(name.size());
}

int Orvex_GetTypeBit0(int handle) {
    auto port = portOf(handle);
    return port ? static_cast<int>(port->typeCode() & 1) : ORVEX_FAILED;
}

int Orvex_GetTypeBit2(int handle) {
    auto port = portOf(handle);
    return port ? static_cast<int>((port->typeCode() >> 2) & 1) : ORVEX_FAILED;
}

int Orvex_IsUsbPort(int handle) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    const TransportKind kind = port->transport()->kind();
    return kind == TransportKind::Hid || kind == TransportKind::Ftdi ? 1 : 0;
}

int Orvex_GetSdkVersion(void) { return ORVEX_SDK_VERSION; }

void Orvex_SetTraceEcho(int on) { setTraceEcho(on != 0); }

}  // extern "C"
