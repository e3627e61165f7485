// FTDI's D2XX library (libftd2xx.so), when installed: loaded by name on first
// use, every function looked up on its own, and each call going through a
// wrapper that answers with a fixed failure value when the library or the
// function is missing, so nothing else needs to know whether it is there.
// Each object holds its own reference to the library and releases it when
// destroyed. Types and constants are those of the library's documented C
// interface (32-bit DWORD/ULONG, as on Linux).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex {

namespace ftd2xx {

using Handle = void *;
using Status = std::uint32_t;  // FT_STATUS; 0 = FT_OK
using Dword = std::uint32_t;
using Bool = int;

inline const Handle kInvalidHandle = reinterpret_cast<Handle>(-1);
constexpr Status kOk = 0;
constexpr Status kFailure = 1;  // what a missing wrapper answers where a status is expected

constexpr Dword kGenericRead = 0x80000000u;
constexpr Dword kGenericWrite = 0x40000000u;
constexpr Dword kOpenExisting = 3;
constexpr Dword kFileAttributeNormal = 0x80;
constexpr Dword kOpenBySerialNumber = 1;

constexpr Dword kPurgeTxAbort = 0x01, kPurgeRxAbort = 0x02, kPurgeTxClear = 0x04, kPurgeRxClear = 0x08;
constexpr Dword kEventRxChar = 0x0001, kEventCts = 0x0008;

constexpr std::uint8_t kNoParity = 0, kOddParity = 1, kEvenParity = 2;
constexpr std::uint8_t kOneStopBit = 0, kTwoStopBits = 2;
constexpr Dword kDtrControlEnable = 1, kRtsControlEnable = 1;

constexpr Dword kFlagOpened = 0x1;  // FT_FLAGS_OPENED of a device record

// FT_DEVICE_LIST_INFO_NODE.
struct DeviceRecord {
    Dword flags;
    Dword type;
    Dword id;
    Dword locationId;
    char serialNumber[16];
    char description[64];
    Handle handle;
};

// FTDCB, the serial emulation's line settings (the system's DCB layout).
struct Dcb {
    Dword length;
    Dword baudRate;
    Dword binary : 1;
    Dword parityCheck : 1;
    Dword outxCtsFlow : 1;
    Dword outxDsrFlow : 1;
    Dword dtrControl : 2;
    Dword dsrSensitivity : 1;
    Dword txContinueOnXoff : 1;
    Dword outX : 1;
    Dword inX : 1;
    Dword errorChar : 1;
    Dword nullStrip : 1;
    Dword rtsControl : 2;
    Dword abortOnError : 1;
    Dword unused : 17;
    std::uint16_t reserved;
    std::uint16_t xonLimit;
    std::uint16_t xoffLimit;
    std::uint8_t byteSize;
    std::uint8_t parity;
    std::uint8_t stopBits;
    char xonChar;
    char xoffChar;
    char errorCharacter;
    char eofChar;
    char eventChar;
    std::uint16_t reserved1;
};

// FTTIMEOUTS.
struct Timeouts {
    Dword readIntervalTimeout;
    Dword readTotalTimeoutMultiplier;
    Dword readTotalTimeoutConstant;
    Dword writeTotalTimeoutMultiplier;
    Dword writeTotalTimeoutConstant;
};

// FTCOMSTAT.
struct ComStat {
    Dword flags;  // hold and EOF bits, unused here
    Dword inQueue;
    Dword outQueue;
};

// The library's functions, in the order they are looked up.
enum class Function {
    SetBaudRate,
    SetLatencyTimer,
    SetUSBParameters,
    ListDevices,
    CreateDeviceInfoList,
    GetDeviceInfoList,
    GetDeviceInfoDetail,
    ResetDevice,
    W32CreateFile,
    W32CloseHandle,
    W32ReadFile,
    W32WriteFile,
    W32GetLastError,
    W32GetOverlappedResult,
    W32ClearCommBreak,
    W32ClearCommError,
    W32EscapeCommFunction,
    W32GetCommModemStatus,
    W32GetCommState,
    W32GetCommTimeouts,
    W32PurgeComm,
    W32SetCommBreak,
    W32SetCommMask,
    W32SetCommState,
    W32SetCommTimeouts,
    W32SetupComm,
    W32WaitCommEvent,
    Count
};

// The exported name of each function, indexed by Function.
extern const std::array<const char *, static_cast<std::size_t>(Function::Count)> kFunctionNames;

}  // namespace ftd2xx

class Ftd2xxLibrary {
public:
    // The name the library is loaded by.
    static constexpr const char *kLibraryName = "libftd2xx.so";

    Ftd2xxLibrary() = default;
    ~Ftd2xxLibrary();
    Ftd2xxLibrary(const Ftd2xxLibrary &) = delete;
    Ftd2xxLibrary &operator=(const Ftd2xxLibrary &) = delete;

    // Loads the library and looks up its functions unless it is loaded
    // already; a failed load is tried again on the next call. Sends one
    // diagnostic for a library that cannot be loaded and one per missing
    // function. True when the library is loaded.
    bool load();
    bool loaded() const { return library_ != nullptr; }

    // Wrappers. The three entry points of the listing and the open load the
    // library first; the others need an open handle, so it is loaded by then.
    ftd2xx::Status createDeviceInfoList(ftd2xx::Dword &count);
    ftd2xx::Status getDeviceInfoList(ftd2xx::DeviceRecord *records, ftd2xx::Dword &count);
    ftd2xx::Handle createFileBySerialNumber(const std::string &serialNumber);
    ftd2xx::Status setLatencyTimer(ftd2xx::Handle handle, std::uint8_t milliseconds);
    bool closeHandle(ftd2xx::Handle handle);
    bool readFile(ftd2xx::Handle handle, void *buffer, ftd2xx::Dword size, ftd2xx::Dword &done);
    bool writeFile(ftd2xx::Handle handle, const void *buffer, ftd2xx::Dword size, ftd2xx::Dword &done);
    bool clearCommError(ftd2xx::Handle handle, ftd2xx::Dword &errors, ftd2xx::ComStat &status);
    bool getCommState(ftd2xx::Handle handle, ftd2xx::Dcb &dcb);
    bool setCommState(ftd2xx::Handle handle, ftd2xx::Dcb &dcb);
    bool setCommTimeouts(ftd2xx::Handle handle, ftd2xx::Timeouts &timeouts);
    bool setCommMask(ftd2xx::Handle handle, ftd2xx::Dword mask);
    bool purgeComm(ftd2xx::Handle handle, ftd2xx::Dword flags);

private:
    template <typename Signature>
    Signature *entry(ftd2xx::Function function) const {
        return reinterpret_cast<Signature *>(table_[static_cast<std::size_t>(function)]);
    }
    void release();

    void *library_ = nullptr;
    std::array<void *, static_cast<std::size_t>(ftd2xx::Function::Count)> table_{};
};

// Serial numbers of the records a device listing returned that are free to
// open: no handle, not flagged open, a serial number that is not empty. The
// count is bounded by the records given, each serial by its 16-byte field.
std::vector<std::string> freeDeviceSerials(const ftd2xx::DeviceRecord *records, std::size_t count);

// Serial numbers of the free devices the library lists; empty without the library.
std::vector<std::string> listD2xxDevices(Ftd2xxLibrary &library);

}  // namespace orvex
