// The 11-byte data block of keyboard-wedge readers (commands 0x89/0x81):
// delay byte, type code (0 UID, 1 single blocks), five block numbers,
// representation, character count, frequency byte, timeout byte.
#pragma once

#include "params/data_format.h"
#include "params/operating_parameters.h"

#include <array>
#include <optional>
#include <span>

namespace orvex::app {

inline constexpr std::size_t kWedgeBlockSize = 11;
using WedgeBlock = std::array<std::uint8_t, kWedgeBlockSize>;

// From the record: typeCode (no flag bits), selection entries 1-4 (entry 5 is
// always 0xFF), representation, charCount; from the parameters: the timing
// bytes.
WedgeBlock buildWedgeBlock(const DataFormatRecord &record, const OperatingParameters &parameters);

struct WedgeBlockContent {
    DataFormatRecord record;  // typeCode, selection, representation, charCount
    std::uint8_t delayByte = 0;
    std::uint8_t frequencyByte = 0;
    std::uint8_t timeoutByte = 0;
};

// A reply shorter than 11 bytes is no keyboard-wedge block: nullopt. Bytes
// beyond 11 are not used.
std::optional<WedgeBlockContent> decodeWedgeBlock(std::span<const std::uint8_t> block);

}  // namespace orvex::app
