// Operating parameters of a reader (OperatingParameters): the 4-byte
// parameter block of commands 0x8E/0x86, the baud value with its framing
// code, and the keyboard-wedge timing bytes with their page-value
// conversions.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvex::app {

struct OperatingParameters {
    // Keyboard-wedge timing; defaults 5.0 ms, 10 kHz, 180 ms.
    std::uint8_t wedgeDelayByte = 10;     // in 0.5 ms
    std::uint8_t wedgeFrequencyByte = 5;  // clock frequency code
    std::uint8_t wedgeTimeoutByte = 5;    // timeout code
    std::uint8_t modeByte = 0;            // bits 0-3 mode 0-3, bit 4 sensor output
    int cycleTimeMs = 1000;
    int baudValue = 19200;  // baud rate + framing code 0-3
    int timeoutMs = 500;
    char requestChar = '?';         // Windows-1252 byte
    std::int8_t powerOnIndex = -1;  // radio 0-2, -1 none selected
    std::uint8_t dtrMode = 0;       // 1: reader mode only while DTR
    std::string remoteIp;           // TCP client target, empty = off
    int remotePort = 0;

    bool operator==(const OperatingParameters &) const = default;
};

inline constexpr std::uint8_t kSensorOutputBit = 0x10;

// Whether the TCP client has a target. "None" has two spellings: a file
// from a serial reader holds an empty address, a LAN reader reports
// 0.0.0.0 with port 0; both are the same setting.
bool hasTcpClientTarget(const std::string &remoteIp, int remotePort);

using ParameterBlock = std::array<std::uint8_t, 4>;

// modeByte, cycle time / 100, request character, timeout / 100 (each capped
// at 255; the pages allow at most 12700 ms).
ParameterBlock encodeParameterBlock(const OperatingParameters &parameters);

// Takes mode, cycle time, request character and timeout from a block read
// with command 0x8E. Bytes the reader did not send count as 0, bytes beyond
// 4 are not used. Returns how many of the 4 bytes were present.
std::size_t applyParameterBlock(std::span<const std::uint8_t> block, OperatingParameters &parameters);

// Baud value = baud rate (a multiple of 100) + framing code in the last two
// decimal digits: 0 8N1, 1 8E1, 2 8O1, 3 8N2; codes 4-99 count as 0.
int baudRateOf(int baudValue);
int framingCodeOf(int baudValue);
int composeBaudValue(int baudRate, int framingCode);

// Indexes of the "Parität" ("keine", "gerade", "ungerade") and "Stopbits"
// ("1", "2") combos for a framing code.
struct FramingChoice {
    int parityIndex;
    int stopBitsIndex;
};
FramingChoice framingChoiceOf(int framingCode);

// Framing code from the combos: parity wins over two stop bits; with no
// parity selected (-1) two stop bits give 3, else the current code is kept
// when stop bits are selected (not "1") and 0 otherwise.
int framingCodeFromChoice(int parityIndex, int stopBitsIndex, int currentCode);

// The "Setzen:" baud combo entry a baud value selects ("19200" for rates not
// in the list).
std::string_view baudChoiceOf(int baudValue);
inline constexpr std::array<std::string_view, 7> kBaudChoices = {"2400",  "4800",  "9600",  "19200",
                                                                 "38400", "57600", "115200"};

// Keyboard-wedge timing, page value <-> byte; nearest rounds half away from
// zero. Out-of-range page values give the nearest byte 0-255.
std::uint8_t wedgeDelayToByte(double delayMs);   // nearest(delay * 2)
double wedgeDelayFromByte(std::uint8_t byte);    // byte * 0.5
std::uint8_t wedgeFrequencyToByte(int kHz);      // nearest(1000 / (8 f) - 8)
int wedgeFrequencyFromByte(std::uint8_t byte);   // nearest(1000 / (8 byte + 64))
std::uint8_t wedgeTimeoutToByte(int timeoutMs);  // (timeout - 30) / 30, truncated
int wedgeTimeoutFromByte(std::uint8_t byte);     // (byte + 1) * 30

}  // namespace orvex::app
