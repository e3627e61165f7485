// A stand-in for FTDI's D2XX library, built as libftd2xx.so in a test folder
// and found through LD_LIBRARY_PATH. Its devices come from the environment:
//   ORVEX_FTD2XX_DEVICES="SERIAL=TTY;SERIAL@open;..."
// SERIAL=TTY is a free device whose serial emulation talks to the tty TTY (a
// pseudo-terminal with a simulated reader on its other side); SERIAL@open is
// a device another program holds. A device this process opened is reported
// with its handle and the opened flag, as the library does. Built without
// FT_SetLatencyTimer when FTD2XX_DOUBLE_WITHOUT_LATENCY is defined.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "transport/ftd2xx_library.h"

using namespace orvex::ftd2xx;

namespace {

struct Device {
    std::string serial;
    std::string tty;  // empty: held by another program
};

struct OpenDevice {
    std::string serial;
    int fd = -1;
    Dword readWaitMs = 0;
    int latencyMs = 16;
};

std::mutex mutex;
std::vector<OpenDevice *> opened;
std::vector<Device> listed;  // what the last CreateDeviceInfoList saw

std::vector<Device> devicesFromEnvironment() {
    std::vector<Device> devices;
    const char *fromEnvironment = std::getenv("ORVEX_FTD2XX_DEVICES");
    std::string text = fromEnvironment ? fromEnvironment : "";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        if (const auto at = item.find("@open"); at != std::string::npos)
            devices.push_back({item.substr(0, at), ""});
        else if (const auto eq = item.find('='); eq != std::string::npos)
            devices.push_back({item.substr(0, eq), item.substr(eq + 1)});
    }
    return devices;
}

OpenDevice *openedBySerial(const std::string &serial) {
    for (OpenDevice *d : opened)
        if (d->serial == serial) return d;
    return nullptr;
}

speed_t speedOf(Dword rate) {
    struct Entry {
        Dword rate;
        speed_t speed;
    };
    static const Entry kSpeeds[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                                    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (const Entry &e : kSpeeds)
        if (e.rate == rate) return e.speed;
    return 0;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) Status FT_CreateDeviceInfoList(Dword *count) {
    std::lock_guard lock(mutex);
    listed = devicesFromEnvironment();
    *count = static_cast<Dword>(listed.size());
    return kOk;
}

__attribute__((visibility("default"))) Status FT_GetDeviceInfoList(DeviceRecord *records, Dword *count) {
    std::lock_guard lock(mutex);
    const std::size_t n = std::min<std::size_t>(*count, listed.size());
    for (std::size_t i = 0; i < n; ++i) {
        DeviceRecord &r = records[i];
        std::memset(&r, 0, sizeof r);
        r.type = 5;  // FT_DEVICE_232R
        std::strncpy(r.serialNumber, listed[i].serial.c_str(), sizeof r.serialNumber);
        std::strncpy(r.description, "FT232R USB UART", sizeof r.description);
        if (listed[i].tty.empty()) r.flags = kFlagOpened;
        if (OpenDevice *d = openedBySerial(listed[i].serial)) {
            r.flags = kFlagOpened;
            r.handle = d;
        }
    }
    *count = static_cast<Dword>(n);
    return kOk;
}

__attribute__((visibility("default"))) Handle FT_W32_CreateFile(const char *name, Dword access, Dword share,
                                                                void *, Dword create, Dword flags, Handle) {
    std::lock_guard lock(mutex);
    if (!(flags & kOpenBySerialNumber) || share != 0 || create != kOpenExisting ||
        access != (kGenericRead | kGenericWrite) || openedBySerial(name))
        return kInvalidHandle;
    for (const Device &d : devicesFromEnvironment()) {
        if (d.serial != name || d.tty.empty()) continue;
        const int fd = ::open(d.tty.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return kInvalidHandle;
        auto *device = new OpenDevice{d.serial, fd};
        opened.push_back(device);
        return device;
    }
    return kInvalidHandle;
}

__attribute__((visibility("default"))) Bool FT_W32_CloseHandle(Handle handle) {
    std::lock_guard lock(mutex);
    auto *device = static_cast<OpenDevice *>(handle);
    std::erase(opened, device);
    ::close(device->fd);
    delete device;
    return 1;
}

#ifndef FTD2XX_DOUBLE_WITHOUT_LATENCY
__attribute__((visibility("default"))) Status FT_SetLatencyTimer(Handle handle, std::uint8_t ms) {
    static_cast<OpenDevice *>(handle)->latencyMs = ms;
    return kOk;
}
#endif

// What the test asks: the latency timer of the open device SERIAL, -1 when none is open.
__attribute__((visibility("default"))) int ftDoubleLatencyOf(const char *serial) {
    std::lock_guard lock(mutex);
    OpenDevice *d = openedBySerial(serial);
    return d ? d->latencyMs : -1;
}

__attribute__((visibility("default"))) Bool FT_W32_SetCommTimeouts(Handle handle, Timeouts *timeouts) {
    static_cast<OpenDevice *>(handle)->readWaitMs = timeouts->readTotalTimeoutConstant;
    return 1;
}

// Returns what is queued; with nothing queued waits up to the read timeout for input.
__attribute__((visibility("default"))) Bool FT_W32_ReadFile(Handle handle, void *buffer, Dword size,
                                                            Dword *done, void *) {
    auto *device = static_cast<OpenDevice *>(handle);
    *done = 0;
    pollfd p{device->fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(device->readWaitMs)) < 0) return 0;
    if (!(p.revents & POLLIN)) return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? 0 : 1;
    const ssize_t n = ::read(device->fd, buffer, size);
    if (n <= 0) return 0;
    *done = static_cast<Dword>(n);
    return 1;
}

__attribute__((visibility("default"))) Bool FT_W32_WriteFile(Handle handle, const void *buffer, Dword size,
                                                             Dword *done, void *) {
    const ssize_t n = ::write(static_cast<OpenDevice *>(handle)->fd, buffer, size);
    *done = n > 0 ? static_cast<Dword>(n) : 0;
    return n >= 0;
}

__attribute__((visibility("default"))) Bool FT_W32_ClearCommError(Handle handle, Dword *errors,
                                                                  ComStat *status) {
    int queued = 0;
    if (::ioctl(static_cast<OpenDevice *>(handle)->fd, FIONREAD, &queued) != 0) return 0;
    *errors = 0;
    *status = ComStat{0, static_cast<Dword>(queued), 0};
    return 1;
}

__attribute__((visibility("default"))) Bool FT_W32_GetCommState(Handle handle, Dcb *dcb) {
    termios t{};
    if (tcgetattr(static_cast<OpenDevice *>(handle)->fd, &t) != 0) return 0;
    dcb->baudRate = 9600;
    dcb->byteSize = 8;
    dcb->parity = kNoParity;
    dcb->stopBits = kOneStopBit;
    return 1;
}

__attribute__((visibility("default"))) Bool FT_W32_SetCommState(Handle handle, Dcb *dcb) {
    const int fd = static_cast<OpenDevice *>(handle)->fd;
    const speed_t speed = speedOf(dcb->baudRate);
    termios t{};
    if (!speed || dcb->byteSize != 8 || tcgetattr(fd, &t) != 0) return 0;
    cfmakeraw(&t);
    cfsetspeed(&t, speed);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(PARENB | PARODD | CSTOPB);
    if (dcb->parity != kNoParity) t.c_cflag |= PARENB;
    if (dcb->parity == kOddParity) t.c_cflag |= PARODD;
    if (dcb->stopBits == kTwoStopBits) t.c_cflag |= CSTOPB;
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

__attribute__((visibility("default"))) Bool FT_W32_PurgeComm(Handle handle, Dword) {
    return tcflush(static_cast<OpenDevice *>(handle)->fd, TCIOFLUSH) == 0;
}

// Looked up but not needed for a reader.
__attribute__((visibility("default"))) Bool FT_W32_SetCommMask(Handle, Dword) { return 1; }
__attribute__((visibility("default"))) Bool FT_W32_EscapeCommFunction(Handle, Dword) { return 1; }
__attribute__((visibility("default"))) Bool FT_W32_SetCommBreak(Handle) { return 1; }
__attribute__((visibility("default"))) Bool FT_W32_ClearCommBreak(Handle) { return 1; }
__attribute__((visibility("default"))) Bool FT_W32_GetCommModemStatus(Handle, Dword *status) {
    *status = 0;
    return 1;
}
__attribute__((visibility("default"))) Status FT_SetBaudRate(Handle, Dword) { return kFailure; }
__attribute__((visibility("default"))) Status FT_SetUSBParameters(Handle, Dword, Dword) { return kFailure; }
__attribute__((visibility("default"))) Status FT_ListDevices(void *, void *, Dword) { return kFailure; }
__attribute__((visibility("default"))) Status FT_GetDeviceInfoDetail(Dword, Dword *, Dword *, Dword *,
                                                                     Dword *, char *, char *, Handle *) {
    return kFailure;
}
__attribute__((visibility("default"))) Status FT_ResetDevice(Handle) { return kFailure; }
__attribute__((visibility("default"))) Dword FT_W32_GetLastError(Handle) { return 0; }
__attribute__((visibility("default"))) Bool FT_W32_GetOverlappedResult(Handle, void *, Dword *, Bool) {
    return 0;
}
__attribute__((visibility("default"))) Bool FT_W32_GetCommTimeouts(Handle, Timeouts *) { return 0; }
__attribute__((visibility("default"))) Bool FT_W32_SetupComm(Handle, Dword, Dword) { return 1; }
__attribute__((visibility("default"))) Bool FT_W32_WaitCommEvent(Handle, Dword *, void *) { return 0; }

}  // extern "C"
