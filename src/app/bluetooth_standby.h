// The standby time of a Bluetooth reader: one device-settings byte in units
// of 10 seconds, set between 10 and 2500 seconds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvex::app {

inline constexpr int kStandbyMinSeconds = 10;
inline constexpr int kStandbyMaxSeconds = 2500;

// Seconds, or nullopt when the reader did not give exactly one byte.
std::optional<int> readStandbySeconds(int handle);

// Writes seconds / 10 (rounded down). True when the reader accepted it.
bool writeStandbySeconds(int handle, int seconds);

// The check of an entered time: nullopt when valid, else the message text
// (61712 for a non-number, 61714 with the range).
std::optional<std::string> standbyInputError(std::string_view text);

}  // namespace orvex::app
