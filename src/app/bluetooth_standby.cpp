#include "app/bluetooth_standby.h"

#include <charconv>

#include "app/string_table.h"
#include "base/message_ids.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {
constexpr int kSecondsPerUnit = 10;
constexpr int kNotAnInteger = 61712;
}  // namespace

std::optional<int> readStandbySeconds(int handle) {
    unsigned char units = kSecondsPerUnit;
    if (Orvex_ReadDeviceSettings(handle, &units, 1) != 1) return std::nullopt;
    return units * kSecondsPerUnit;
}

bool writeStandbySeconds(int handle, int seconds) {
    const auto units = static_cast<unsigned char>(seconds / kSecondsPerUnit);
    return Orvex_WriteDeviceSettings(handle, &units, 1) == ORVEX_OK;
}

std::optional<std::string> standbyInputError(std::string_view text) {
    const auto &strings = StringTable::instance();
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size())
        return strings.text(kNotAnInteger);
    if (error == std::errc::result_out_of_range || value < kStandbyMinSeconds || value > kStandbyMaxSeconds)
        return strings.format(msg::kIntegerRange, kStandbyMinSeconds, kStandbyMaxSeconds);
    return std::nullopt;
}

}  // namespace orvex::app
