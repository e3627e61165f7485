// Reader commands that do more than one framed exchange or check their
// arguments first. Each returns false with the port's last error set.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/port.h"
#include "orvex/orvex.h"

namespace orvex {

// Command 0xF0 with the adjustments compact readers need.
bool readVersion(Port &port, std::vector<std::uint8_t> &version);

// Type code and sub-version of a 4-character version answer.
struct Identity {
    std::uint32_t typeCode;
    std::uint8_t subVersion;
};
std::optional<Identity> parseVersionAnswer(std::span<const std::uint8_t> version);

// The reader's rate code of command 0xF2 (19200's code for unknown rates).
std::uint8_t rateCode(int baud);

// 0xF2, then the host line, then 200 ms for the reader to settle.
bool setBaudRate(Port &port, int baud, int mode);

bool setOutputMode(Port &port, int mode);
bool factoryReset(Port &port);
bool readDataOption(Port &port, int &value);
bool writeDataOption(Port &port, int value);

}  // namespace orvex
