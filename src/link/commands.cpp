#include "link/commands.h"

#include <algorithm>
#include <thread>

#include "transport/tty_line.h"

namespace orvex {

namespace {

constexpr std::uint8_t kVersion = 0xF0;
constexpr std::uint8_t kSetBaud = 0xF2;
constexpr std::uint8_t kOutputMode = 0xF4;
constexpr std::uint8_t kFactoryReset = 0xFB;
constexpr std::uint8_t kDataOption = 0x24;

constexpr int kFactoryResetTimeoutMs = 1000;
constexpr std::chrono::milliseconds kBaudSettle{200};

// A compact-A reader of the first series answers the version command with
// this placeholder; its real version comes with the "FV" request.
constexpr std::uint8_t kCompactPlaceholder[] = {0x04, 0x05, 0x31, 0x35};
constexpr std::uint8_t kFirmwareVersion[] = {'F', 'V'};

struct RateCode {
    int baud;
    std::uint8_t code;
};
constexpr RateCode kRateCodes[] = {
    {2400, 0},   {4800, 1},   {9600, 2},   {19200, 3},  {38400, 4},    {57600, 5},
    {115200, 6}, {230400, 7}, {460800, 8}, {921600, 9}, {1382400, 10},
};
constexpr std::uint8_t kDefaultRateCode = 3;

bool isPlaceholder(const std::vector<std::uint8_t> &v) {
    return std::equal(v.begin(), v.end(), std::begin(kCompactPlaceholder), std::end(kCompactPlaceholder));
}

void adjustCompactA(Port &port, std::vector<std::uint8_t> &version) {
    if (isPlaceholder(version)) {
        version.assign({'1', '7', '1', '5'});
        std::vector<std::uint8_t> second;
        if (port.command(kVersion, kFirmwareVersion, &second) && !isPlaceholder(second) &&
            second.size() >= 4 &&
            std::all_of(second.begin(), second.end(), [](std::uint8_t b) { return b >= 0x21; }))
            version = std::move(second);
    } else if (version.size() == 4) {
        std::copy_n("171", 3, version.begin());
    }
}

void adjustCompactB(std::vector<std::uint8_t> &version) {
    if (version.size() != 9) return;
    version = {'1', '1', '7', version[7]};
}

int hexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::uint8_t base62Value(std::uint8_t c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 36);
    return 255;
}

}  // namespace

bool readVersion(Port &port, std::vector<std::uint8_t> &version) {
    if (!port.command(kVersion, {}, &version)) return false;
    switch (port.variant()) {
        case FrameVariant::CompactA:
            adjustCompactA(port, version);
            break;
        case FrameVariant::CompactB:
            adjustCompactB(version);
            break;
        default:
            break;
    }
    return true;
}

std::optional<Identity> parseVersionAnswer(std::span<const std::uint8_t> version) {
    if (version.size() != 4) return std::nullopt;
    // Read as a hex number: digits up to the first non-hex character.
    std::uint32_t type = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const int digit = hexValue(version[i]);
        if (digit < 0) break;
        type = type * 16 + static_cast<std::uint32_t>(digit);
    }
    return Identity{type, base62Value(version[3])};
}

std::uint8_t rateCode(int baud) {
    for (const auto &r : kRateCodes)
        if (r.baud == baud) return r.code;
    return kDefaultRateCode;
}

bool setBaudRate(Port &port, int baud, int mode) {
    Transport *t = port.transport();
    if (mode < 0 || mode > 3) {
        port.setLastError(ORVEX_ERR_MODE);
        return false;
    }
    const LineSettings line = lineSettingsFromMode(baud, mode);
    if (t->kind() == TransportKind::Dongle) {
        port.setLastError(ORVEX_ERR_NONE);
        t->setLine(line);
        return true;
    }
    if (t->kind() != TransportKind::SystemSerial) {
        port.setLastError(ORVEX_ERR_BAUD_NOT_POSSIBLE);
        return false;
    }
    const std::uint8_t setting = static_cast<std::uint8_t>(rateCode(baud) + 16 * mode);
    if (!port.command(kSetBaud, std::span(&setting, 1), nullptr)) return false;
    t->setLine(line);
    std::this_thread::sleep_for(kBaudSettle);
    return true;
}

bool setOutputMode(Port &port, int mode) {
    if ((mode & 0x7F) > 3) {
        port.setLastError(ORVEX_ERR_MODE);
        return false;
    }
    if (port.variant() == FrameVariant::CompactA || port.variant() == FrameVariant::CompactB) {
        port.setLastError(ORVEX_ERR_NONE);
        return true;
    }
    const std::uint8_t m = static_cast<std::uint8_t>(mode);
    return port.command(kOutputMode, std::span(&m, 1), nullptr);
}

bool factoryReset(Port &port) {
    const int saved = port.timeoutMs();
    port.setTimeoutMs(kFactoryResetTimeoutMs);
    const bool ok = port.command(kFactoryReset, {}, nullptr);
    port.setTimeoutMs(saved);
    return ok;
}

bool readDataOption(Port &port, int &value) {
    std::vector<std::uint8_t> answer;
    if (!port.command(kDataOption, {}, &answer)) return false;
    if (answer.empty()) {
        port.setLastError(ORVEX_ERR_REPLY_A4);
        return false;
    }
    value = answer[0];
    return true;
}

bool writeDataOption(Port &port, int value) {
    const std::uint8_t v = static_cast<std::uint8_t>(value);
    std::vector<std::uint8_t> answer;
    if (!port.command(kDataOption, std::span(&v, 1), &answer)) return false;
    if (answer.empty()) {
        port.setLastError(ORVEX_ERR_REPLY_A4);
        return false;
    }
    return true;
}

}  // namespace orvex
