#include "transport/ftd2xx_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "transport/diagnostics.h"

namespace orvex {

namespace ftd2xx {

const std::array<const char *, static_cast<std::size_t>(Function::Count)> kFunctionNames = {
    "FT_SetBaudRate",
    "FT_SetLatencyTimer",
    "FT_SetUSBParameters",
    "FT_ListDevices",
    "FT_CreateDeviceInfoList",
    "FT_GetDeviceInfoList",
    "FT_GetDeviceInfoDetail",
    "FT_ResetDevice",
    "FT_W32_CreateFile",
    "FT_W32_CloseHandle",
    "FT_W32_ReadFile",
    "FT_W32_WriteFile",
    "FT_W32_GetLastError",
    "FT_W32_GetOverlappedResult",
    "FT_W32_ClearCommBreak",
    "FT_W32_ClearCommError",
    "FT_W32_EscapeCommFunction",
    "FT_W32_GetCommModemStatus",
    "FT_W32_GetCommState",
    "FT_W32_GetCommTimeouts",
    "FT_W32_PurgeComm",
    "FT_W32_SetCommBreak",
    "FT_W32_SetCommMask",
    "FT_W32_SetCommState",
    "FT_W32_SetCommTimeouts",
    "FT_W32_SetupComm",
    "FT_W32_WaitCommEvent",
};

static_assert(sizeof(Dcb) == 28, "FTDCB is the 28-byte DCB layout");
static_assert(sizeof(Timeouts) == 20);
static_assert(sizeof(DeviceRecord) == 4 * sizeof(Dword) + 16 + 64 + sizeof(Handle));

}  // namespace ftd2xx

using namespace ftd2xx;

namespace {

// The calling signatures of the functions that are called.
using CreateDeviceInfoListFn = Status(Dword *);
using GetDeviceInfoListFn = Status(DeviceRecord *, Dword *);
using CreateFileFn = Handle(const char *, Dword, Dword, void *, Dword, Dword, Handle);
using SetLatencyTimerFn = Status(Handle, std::uint8_t);
using HandleFn = Bool(Handle);
using ReadFileFn = Bool(Handle, void *, Dword, Dword *, void *);
using WriteFileFn = Bool(Handle, const void *, Dword, Dword *, void *);
using ClearCommErrorFn = Bool(Handle, Dword *, ComStat *);
using CommStateFn = Bool(Handle, Dcb *);
using CommTimeoutsFn = Bool(Handle, Timeouts *);
using DwordArgFn = Bool(Handle, Dword);

}  // namespace

Ftd2xxLibrary::~Ftd2xxLibrary() { release(); }

void Ftd2xxLibrary::release() {
    if (library_) dlclose(library_);
    library_ = nullptr;
    table_.fill(nullptr);
}

bool Ftd2xxLibrary::load() {
    if (library_) return true;
    library_ = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        // The library's old name stays in the text: tools that watch for it know it.
        diagnostic("Fehler: Kann Ftd2xx.dll nicht laden");
        return false;
    }
    for (std::size_t i = 0; i < table_.size(); ++i) {
        table_[i] = dlsym(library_, kFunctionNames[i]);
        if (!table_[i])
            diagnostic(("Fehler: Kann " + std::string(kFunctionNames[i]) + " nicht initialisieren").c_str());
    }
    return true;
}

Status Ftd2xxLibrary::createDeviceInfoList(Dword &count) {
    load();
    auto *fn = entry<CreateDeviceInfoListFn>(Function::CreateDeviceInfoList);
    if (!fn) {
        diagnostic("FT_CreateDeviceInfoList ist nicht vorhanden!");
        return kFailure;
    }
    return fn(&count);
}

Status Ftd2xxLibrary::getDeviceInfoList(DeviceRecord *records, Dword &count) {
    load();
    auto *fn = entry<GetDeviceInfoListFn>(Function::GetDeviceInfoList);
    if (!fn) {
        diagnostic("FT_GetDeviceInfoList ist nicht vorhanden!");
        return kFailure;
    }
    return fn(records, &count);
}

Handle Ftd2xxLibrary::createFileBySerialNumber(const std::string &serialNumber) {
    load();
    auto *fn = entry<CreateFileFn>(Function::W32CreateFile);
    if (!fn) return kInvalidHandle;
    // Read and write, not shared, an existing device, found by its serial number.
    return fn(serialNumber.c_str(), kGenericRead | kGenericWrite, 0, nullptr, kOpenExisting,
              kFileAttributeNormal | kOpenBySerialNumber, nullptr);
}

Status Ftd2xxLibrary::setLatencyTimer(Handle handle, std::uint8_t milliseconds) {
    auto *fn = entry<SetLatencyTimerFn>(Function::SetLatencyTimer);
    return fn ? fn(handle, milliseconds) : kFailure;
}

bool Ftd2xxLibrary::closeHandle(Handle handle) {
    auto *fn = entry<HandleFn>(Function::W32CloseHandle);
    return fn && fn(handle);
}

bool Ftd2xxLibrary::readFile(Handle handle, void *buffer, Dword size, Dword &done) {
    done = 0;
    auto *fn = entry<ReadFileFn>(Function::W32ReadFile);
    return fn && fn(handle, buffer, size, &done, nullptr);
}

bool Ftd2xxLibrary::writeFile(Handle handle, const void *buffer, Dword size, Dword &done) {
    done = 0;
    auto *fn = entry<WriteFileFn>(Function::W32WriteFile);
    return fn && fn(handle, buffer, size, &done, nullptr);
}

bool Ftd2xxLibrary::clearCommError(Handle handle, Dword &errors, ComStat &status) {
    auto *fn = entry<ClearCommErrorFn>(Function::W32ClearCommError);
    return fn && fn(handle, &errors, &status);
}

bool Ftd2xxLibrary::getCommState(Handle handle, Dcb &dcb) {
    auto *fn = entry<CommStateFn>(Function::W32GetCommState);
    return fn && fn(handle, &dcb);
}

bool Ftd2xxLibrary::setCommState(Handle handle, Dcb &dcb) {
    auto *fn = entry<CommStateFn>(Function::W32SetCommState);
    return fn && fn(handle, &dcb);
}

bool Ftd2xxLibrary::setCommTimeouts(Handle handle, Timeouts &timeouts) {
    auto *fn = entry<CommTimeoutsFn>(Function::W32SetCommTimeouts);
    return fn && fn(handle, &timeouts);
}

bool Ftd2xxLibrary::setCommMask(Handle handle, Dword mask) {
    auto *fn = entry<DwordArgFn>(Function::W32SetCommMask);
    return fn && fn(handle, mask);
}

bool Ftd2xxLibrary::purgeComm(Handle handle, Dword flags) {
    auto *fn = entry<DwordArgFn>(Function::W32PurgeComm);
    return fn && fn(handle, flags);
}

std::vector<std::string> freeDeviceSerials(const DeviceRecord *records, std::size_t count) {
    std::vector<std::string> serials;
    for (std::size_t i = 0; i < count; ++i) {
        const DeviceRecord &r = records[i];
        if (r.handle || (r.flags & kFlagOpened)) continue;
        const std::size_t length = strnlen(r.serialNumber, sizeof r.serialNumber);
        if (length == 0) continue;
        std::string serial(r.serialNumber, length);
        if (std::find(serials.begin(), serials.end(), serial) == serials.end()) serials.push_back(serial);
    }
    return serials;
}

std::vector<std::string> listD2xxDevices(Ftd2xxLibrary &library) {
    // More devices than this on one machine is a library answering nonsense;
    // the list call fills as many records as the count said, so room for
    // fewer is no option.
    constexpr Dword kMaxDevices = 1024;
    // Without the library the one line of the failed load says it all.
    if (!library.load()) return {};
    Dword count = 0;
    if (library.createDeviceInfoList(count) != kOk || count == 0 || count > kMaxDevices) return {};
    std::vector<DeviceRecord> records(count);
    Dword filled = count;
    if (library.getDeviceInfoList(records.data(), filled) != kOk) return {};
    return freeDeviceSerials(records.data(), std::min(filled, count));
}

}  // namespace orvex
