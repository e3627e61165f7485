// Simulated HID devices: NAME.ini describes the device, the AF_UNIX
// SOCK_SEQPACKET socket NAME.sock beside it carries its reports, one message
// per report. The device closing its end is an unplug.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "transport/hid_device.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;

std::string trimmed(const std::string &text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// Descriptions are a few lines; a longer file is no description.
constexpr std::size_t kMaxDescriptionSize = 64 * 1024;

// The content of a regular file; nullopt for anything else. Opened without
// blocking and checked before reading: a FIFO named like a description must
// not stall the device listing.
std::optional<std::string> regularFileText(const fs::path &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::string> text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::size_t>(st.st_size) <= kMaxDescriptionSize) {
        std::string content(kMaxDescriptionSize, '\0');
        std::size_t used = 0;
        for (;;) {
            const ssize_t n = ::read(fd, content.data() + used, content.size() - used);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            used += static_cast<std::size_t>(n);
            if (used == content.size()) break;
        }
        content.resize(used);
        text = std::move(content);
    }
    ::close(fd);
    return text;
}

// The keys of section [Device]; other sections are ignored.
std::map<std::string, std::string> deviceSection(const std::string &text) {
    std::map<std::string, std::string> keys;
    std::istringstream in(text);
    std::string line;
    bool inDevice = false;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            inDevice = line == "[Device]";
            continue;
        }
        const auto equals = line.find('=');
        if (inDevice && equals != std::string::npos)
            keys[trimmed(line.substr(0, equals))] = trimmed(line.substr(equals + 1));
    }
    return keys;
}

// Hexadecimal with 0x, else decimal; -1 when absent or not a number.
int numberOf(const std::map<std::string, std::string> &keys, const std::string &key) {
    const auto it = keys.find(key);
    if (it == keys.end() || it->second.empty()) return -1;
    // "0x" marks hexadecimal; anything else is decimal, leading zeros included.
    const std::string &text = it->second;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char *end = nullptr;
    const long value = std::strtol(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    return *end == '\0' && value >= 0 && value <= 0xFFFF ? static_cast<int>(value) : -1;
}

}  // namespace

std::vector<HidDeviceInfo> simulatedHidDevices(const std::string &folder) {
    std::vector<HidDeviceInfo> found;
    std::error_code error;
    std::vector<fs::path> inis;
    for (const auto &entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".ini") inis.push_back(entry.path());
    std::sort(inis.begin(), inis.end());
    for (const auto &ini : inis) {
        fs::path socket = ini;
        socket.replace_extension(".sock");
        if (!fs::is_socket(socket, error)) continue;
        const std::optional<std::string> description = regularFileText(ini);
        if (!description) continue;
        const auto keys = deviceSection(*description);
        HidDeviceInfo info;
        info.node = socket.string();
        info.simulated = true;
        info.vendorId = numberOf(keys, "VendorId");
        info.productId = numberOf(keys, "ProductId");
        if (const auto serial = keys.find("Serial"); serial != keys.end()) info.serial = serial->second;
        info.lengths.input = std::max(0, numberOf(keys, "InputReportLength"));
        info.lengths.output = std::max(0, numberOf(keys, "OutputReportLength"));
        found.push_back(std::move(info));
    }
    return found;
}

std::optional<OpenedHidDevice> connectSimulatedHidDevice(const HidDeviceInfo &device) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (device.node.size() >= sizeof(address.sun_path)) return std::nullopt;
    std::memcpy(address.sun_path, device.node.c_str(), device.node.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return OpenedHidDevice{fd, true, device.lengths};
}

}  // namespace orvex
