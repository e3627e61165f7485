// Reader command entries of the C API.
#include "orvex/orvex.h"

#include "link/api_support.h"

using namespace orvex;
using orvex::api::bytes;
using orvex::api::portOf;
using orvex::api::status;

namespace {

// The configuration blocks and their write limits.
constexpr std::uint8_t kReadDataBlock = 0x89, kReadPrefix = 0x8A, kReadSuffix = 0x8B, kReadSeparator = 0x8C,
                       kReadRemoval = 0x8D, kReadParameters = 0x8E;
constexpr std::uint8_t kWriteKey = 0x80, kWriteDataBlock = 0x81, kWritePrefix = 0x82, kWriteSuffix = 0x83,
                       kWriteSeparator = 0x84, kWriteRemoval = 0x85, kWriteParameters = 0x86;
constexpr std::uint8_t kWriteSettings = 0xF9, kReadSettings = 0xFA, kRestart = 0xF6, kUsbMode = 0xFF;
constexpr int kDataBlockLimit = 50;
constexpr int kSequenceLimit = 100;
constexpr int kMinKeyLength = 6;

int readBlock(int handle, std::uint8_t code, void *buffer, int size) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    std::vector<std::uint8_t> answer;
    if (!port->command(code, {}, &answer)) return ORVEX_FAILED;
    return api::copyAnswer(*port, answer, buffer, size);
}

int writeBlock(int handle, std::uint8_t code, const unsigned char *data, int length, int limit) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    if (length > limit) {
        port->setLastError(ORVEX_ERR_LENGTH);
        return ORVEX_FAILED;
    }
    return status(port->command(code, bytes(data, length), nullptr));
}

}  // namespace

extern "C" {

int Orvex_Transceive(int handle, const unsigned char *request, int length, unsigned char *answer, int size) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    std::vector<std::uint8_t> reply;
    if (!port->command(bytes(request, length), &reply)) return ORVEX_FAILED;
    return api::copyAnswer(*port, reply, answer, size);
}

int Orvex_ReadDeviceSettings(int handle, unsigned char *buffer, int size) {
    return readBlock(handle, kReadSettings, buffer, size);
}

int Orvex_WriteDeviceSettings(int handle, const unsigned char *data, int length) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    return status(port->command(kWriteSettings, bytes(data, length), nullptr));
}

int Orvex_SetBaudRate(int handle, int baud, int mode) {
    auto port = portOf(handle);
    return port ? status(setBaudRate(*port, baud, mode)) : ORVEX_FAILED;
}

int Orvex_SetOutputMode(int handle, int mode) {
    auto port = portOf(handle);
    return port ? status(setOutputMode(*port, mode)) : ORVEX_FAILED;
}

int Orvex_Restart(int handle, int a, int b) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    const std::uint8_t data[] = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)};
    return status(port->command(kRestart, data, nullptr));
}

int Orvex_FactoryReset(int handle) {
    auto port = portOf(handle);
    return port ? status(factoryReset(*port)) : ORVEX_FAILED;
}

int Orvex_SetUsbMode(int handle, int mode) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    const std::uint8_t m = static_cast<std::uint8_t>(mode);
    return status(port->command(kUsbMode, std::span(&m, 1), nullptr));
}

int Orvex_ReadDataOption(int handle, int *value) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    int v = 0;
    if (!readDataOption(*port, v)) return ORVEX_FAILED;
    if (value) *value = v;
    return ORVEX_OK;
}

int Orvex_WriteDataOption(int handle, int value) {
    auto port = portOf(handle);
    return port ? status(writeDataOption(*port, value)) : ORVEX_FAILED;
}

int Orvex_ReadDataBlock(int handle, unsigned char *b, int n) {
    return readBlock(handle, kReadDataBlock, b, n);
}
int Orvex_ReadPrefixBlock(int handle, unsigned char *b, int n) {
    return readBlock(handle, kReadPrefix, b, n);
}
int Orvex_ReadSuffixBlock(int handle, unsigned char *b, int n) {
    return readBlock(handle, kReadSuffix, b, n);
}
int Orvex_ReadSeparatorBlock(int handle, unsigned char *b, int n) {
    return readBlock(handle, kReadSeparator, b, n);
}
int Orvex_ReadRemovalBlock(int handle, unsigned char *b, int n) {
    return readBlock(handle, kReadRemoval, b, n);
}
int Orvex_ReadParameterBlock(int handle, unsigned char *b, int n) {
    return readBlock(handle, kReadParameters, b, n);
}

int Orvex_WriteKey(int handle, int selector, const unsigned char *key, int length) {
    auto port = portOf(handle);
    if (!port) return ORVEX_FAILED;
    if (length < kMinKeyLength || !key) {
        port->setLastError(ORVEX_ERR_LENGTH);
        return ORVEX_FAILED;
    }
    std::vector<std::uint8_t> data{static_cast<std::uint8_t>(selector)};
    data.insert(data.end(), key, key + length);
    return status(port->command(kWriteKey, data, nullptr));
}

int Orvex_WriteDataBlock(int handle, const unsigned char *d, int n) {
    return writeBlock(handle, kWriteDataBlock, d, n, kDataBlockLimit);
}
int Orvex_WritePrefixBlock(int handle, const unsigned char *d, int n) {
    return writeBlock(handle, kWritePrefix, d, n, kSequenceLimit);
}
int Orvex_WriteSuffixBlock(int handle, const unsigned char *d, int n) {
    return writeBlock(handle, kWriteSuffix, d, n, kSequenceLimit);
}
int Orvex_WriteSeparatorBlock(int handle, const unsigned char *d, int n) {
    return writeBlock(handle, kWriteSeparator, d, n, kSequenceLimit);
}
int Orvex_WriteRemovalBlock(int handle, const unsigned char *d, int n) {
    return writeBlock(handle, kWriteRemoval, d, n, kSequenceLimit);
}
int Orvex_WriteParameterBlock(int handle, const unsigned char *d, int n) {
    return writeBlock(handle, kWriteParameters, d, n, kSequenceLimit);
}

}  // extern "C"
