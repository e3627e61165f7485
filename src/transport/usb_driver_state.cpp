#include "transport/usb_driver_state.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvex {
namespace {

namespace fs = std::filesystem;

struct DriverCheckedDevice {
    int vendorId;
    int productId;
    int bitWhenUnbound;
};

// Pair A (the maker's virtual COM device) and pair B (FTDI-based readers).
constexpr DriverCheckedDevice kDriverCheckedDevices[] = {
    {0x16D0, 0x0E2A, kVirtualComReaderWithoutDriver},
    {0x0403, 0x6001, kFtdiReaderWithoutDriver},
};

int readHexFile(const fs::path &file) {
    std::ifstream in(file);
    std::string text;
    if (!(in >> text)) return -1;
    try {
        size_t used = 0;
        const int value = std::stoi(text, &used, 16);
        return used == text.size() ? value : -1;
    } catch (const std::exception &) {
        return -1;
    }
}

// A USB device's interfaces are the entries "DEVICE:CONFIG.INTERFACE" beside it;
// the device counts as driven when any of them has a driver bound.
bool anyInterfaceHasDriver(const fs::path &device) {
    std::error_code error;
    const std::string prefix = device.filename().string() + ":";
    for (const auto &entry : fs::directory_iterator(device, error)) {
        if (entry.path().filename().string().rfind(prefix, 0) != 0) continue;
        // A symlink to the bound driver.
        if (fs::exists(fs::symlink_status(entry.path() / "driver", error))) return true;
    }
    return false;
}

bool fileMentions(const fs::path &file, const std::string &word) {
    std::ifstream in(file);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    return text.find(word) != std::string::npos;
}

}  // namespace

int usbDriverState(const std::string &sysRoot) {
    int state = 0;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(fs::path(sysRoot) / "bus/usb/devices", error)) {
        const fs::path device = entry.path();
        const int vendor = readHexFile(device / "idVendor");
        const int product = readHexFile(device / "idProduct");
        for (const auto &checked : kDriverCheckedDevices) {
            if (vendor == checked.vendorId && product == checked.productId && !anyInterfaceHasDriver(device))
                state |= checked.bitWhenUnbound;
        }
    }
    return state;
}

bool virtualComDriverAvailable(const std::string &sysRoot, const std::string &modulesDir) {
    std::error_code error;
    if (fs::exists(fs::path(sysRoot) / "module/cdc_acm", error)) return true;
    // The module file is named with a hyphen, possibly compressed (.ko.xz).
    const fs::path modules(modulesDir);
    return fileMentions(modules / "modules.builtin", "/cdc-acm.ko") ||
           fileMentions(modules / "modules.dep", "/cdc-acm.ko");
}

}  // namespace orvex
