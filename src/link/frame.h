// Request framing and response parsing of the reader protocol, in its four
// variants. Pure functions: the port, the tests and the fuzz targets share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "orvex/orvex.h"

namespace orvex {

enum class FrameVariant : std::uint8_t { StxBcc = 0, AddrCrc16 = 1, CompactA = 2, CompactB = 3 };

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kCompactStart = 0x1E;
constexpr std::uint8_t kChained = 0xFF;       // length byte of a chained response
constexpr std::size_t kMaxRequestData = 254;  // 255 would read as "chained"

struct BuiltFrame {
    std::vector<std::uint8_t> bytes;  // empty with error set when it cannot be built
    std::uint8_t lastCommand = 0;     // command byte after translation
    int error = ORVEX_ERR_NONE;
};

// request = command byte, then data. Compact variants translate the command
// first; more than kMaxRequestData data bytes (after translation) fail with
// ORVEX_ERR_LENGTH.
BuiltFrame buildFrame(FrameVariant variant, std::uint8_t address, std::span<const std::uint8_t> request);

// The request as the compact variants send it (command and data, no frame).
std::vector<std::uint8_t> translateRequest(FrameVariant variant, std::span<const std::uint8_t> request);

// Where an answer stands in the receive buffer.
struct FrameScan {
    std::size_t skip = 0;    // leading bytes that cannot start a frame
    bool header = false;     // header complete (after skip)
    std::size_t length = 0;  // whole frame present: its length (after skip)
};

FrameScan scanFrame(FrameVariant variant, std::span<const std::uint8_t> buffer);

struct ParsedResponse {
    bool ok = false;
    int error = ORVEX_ERR_NONE;  // may be ORVEX_ERR_STATUS_20 with ok set
    std::vector<std::uint8_t> data;
};

// Checks one complete frame (as measured by scanFrame), tests its status and
// strips it to the answer data. lastCommand is BuiltFrame::lastCommand.
ParsedResponse parseResponse(FrameVariant variant, std::uint8_t lastCommand,
                             std::span<const std::uint8_t> frame);

}  // namespace orvex
