#include "params/operating_parameters.h"

#include <algorithm>
#include <cmath>

namespace orvex::app {
namespace {

constexpr FramingChoice kFramings[] = {
    {0, 0},  // no parity, 1 stop bit
    {1, 0},  // even parity
    {2, 0},  // odd parity
    {0, 1},  // no parity, 2 stop bits
};

std::uint8_t toByte(long value) { return static_cast<std::uint8_t>(std::clamp<long>(value, 0, 255)); }

// Half away from zero; NaN and infinities land on the nearest end.
long nearest(double x) {
    if (std::isnan(x)) return 0;
    return std::lround(std::clamp(x, -1e6, 1e6));
}

}  // namespace

ParameterBlock encodeParameterBlock(const OperatingParameters &p) {
    return {p.modeByte, toByte(p.cycleTimeMs / 100), static_cast<std::uint8_t>(p.requestChar),
            toByte(p.timeoutMs / 100)};
}

std::size_t applyParameterBlock(std::span<const std::uint8_t> block, OperatingParameters &p) {
    ParameterBlock b{};
    const std::size_t present = std::min(block.size(), b.size());
    std::copy_n(block.begin(), present, b.begin());
    p.modeByte = b[0];
    p.cycleTimeMs = b[1] * 100;
    p.requestChar = static_cast<char>(b[2]);
    p.timeoutMs = b[3] * 100;
    return present;
}

bool hasTcpClientTarget(const std::string &remoteIp, int remotePort) {
    return !remoteIp.empty() && !(remoteIp == "0.0.0.0" && remotePort == 0);
}

int baudRateOf(int baudValue) { return baudValue - baudValue % 100; }

int framingCodeOf(int baudValue) {
    const int code = baudValue % 100;
    return code >= 0 && code < 4 ? code : 0;
}

int composeBaudValue(int baudRate, int framingCode) {
    return baudRateOf(baudRate) + (framingCode >= 0 && framingCode < 4 ? framingCode : 0);
}

FramingChoice framingChoiceOf(int framingCode) {
    return kFramings[framingCode >= 0 && framingCode < 4 ? framingCode : 0];
}

int framingCodeFromChoice(int parityIndex, int stopBitsIndex, int currentCode) {
    if (parityIndex == 1 || parityIndex == 2) return parityIndex;
    if (stopBitsIndex == 1) return 3;
    if (parityIndex == 0) return 0;
    const int current = currentCode >= 0 && currentCode < 4 ? currentCode : 0;
    return stopBitsIndex != 0 ? current : 0;
}

std::string_view baudChoiceOf(int baudValue) {
    const int rate = baudRateOf(baudValue);
    for (std::string_view choice : kBaudChoices)
        if (choice == std::to_string(rate)) return choice;
    return "19200";
}

std::uint8_t wedgeDelayToByte(double delayMs) { return toByte(nearest(delayMs * 2)); }

double wedgeDelayFromByte(std::uint8_t byte) { return byte * 0.5; }

std::uint8_t wedgeFrequencyToByte(int kHz) {
    if (kHz <= 0) return 255;  // slowest clock the byte can ask for
    return toByte(nearest(1000.0 / (8.0 * kHz) - 8.0));
}

int wedgeFrequencyFromByte(std::uint8_t byte) {
    return static_cast<int>(nearest(1000.0 / (8.0 * byte + 64.0)));
}

std::uint8_t wedgeTimeoutToByte(int timeoutMs) { return toByte((timeoutMs - 30) / 30); }

int wedgeTimeoutFromByte(std::uint8_t byte) { return (byte + 1) * 30; }

}  // namespace orvex::app
