#include "params/param_page_hid.h"

#include <array>

#include "params/reader_option_models.h"

namespace orvex::app {

namespace {
constexpr std::array<int, 3> kModeOfIndex{0, 2, 3};
}

int hidModeIndex(int mode) {
    for (std::size_t i = 0; i < kModeOfIndex.size(); ++i)
        if (kModeOfIndex[i] == mode) return static_cast<int>(i);
    return 0;
}

int hidModeFromIndex(int index) {
    return index >= 0 && index < 3 ? kModeOfIndex[static_cast<std::size_t>(index)] : 0;
}

Validation ParamPageHid::validate() const {
    if (auto e = checkIntegerField("cycleTime", v_.cycleTime, 100, 12700)) return e;
    if (auto e = checkIntegerField("timeout", v_.timeout, 100, 12700)) return e;
    return std::nullopt;
}

void ParamPageHid::storeToParameters(OperatingParameters &p) const {
    p.modeByte = static_cast<std::uint8_t>(16 * (v_.sensor ? 1 : 0) + hidModeFromIndex(v_.modeIndex));
    p.cycleTimeMs = static_cast<int>(parseIntegerText(v_.cycleTime).value_or(0));
    p.timeoutMs = static_cast<int>(parseIntegerText(v_.timeout).value_or(0));
    p.requestChar = '?';
    p.powerOnIndex = static_cast<std::int8_t>(v_.powerOnIndex);
    p.baudValue = 19200;
}

bool ParamPageHid::loadFromParameterBlock(std::span<const std::uint8_t> b, int powerOnValue,
                                          Validation *failure) {
    if (b.size() < 4) return false;
    v_.modeIndex = hidModeIndex(b[0] & 0x0F);
    v_.sensor = (b[0] & 0x10) != 0;
    v_.cycleTime = std::to_string(b[1] * 100);
    v_.timeout = std::to_string(b[3] >= 1 && b[3] <= 127 ? b[3] * 100 : 500);
    v_.powerOnIndex = powerOnValue == -1 ? -1 : powerOnIndexFromValue(powerOnValue);
    if (auto e = validate()) {
        if (failure) *failure = e;
        v_.modeIndex = 0;
        v_.cycleTime = "1000";
        v_.timeout = "500";
        return false;
    }
    return true;
}

void ParamPageHid::loadFromFileParameters(const OperatingParameters &p) {
    v_.modeIndex = hidModeIndex(p.modeByte & 0x0F);
    v_.sensor = (p.modeByte & 0x10) != 0;
    v_.cycleTime = std::to_string(p.cycleTimeMs);
    v_.timeout = std::to_string(p.timeoutMs);
    if (p.powerOnIndex != -1) v_.powerOnIndex = p.powerOnIndex;
}

ViewState ParamPageHid::view() const {
    ViewState view;
    const int mode = hidModeFromIndex(v_.modeIndex);
    view["mode0"].checked = v_.modeIndex == 0;
    view["mode2"].checked = v_.modeIndex == 1;
    view["mode3"].checked = v_.modeIndex == 2;
    view["mode2"].enabled = hasCapability(caps_, CAP_EXTENDED);
    const bool powerOn = hasCapability(caps_, CAP_POWER_ON_MODE);
    for (int i = 0; i < 3; ++i) view["powerOn" + std::to_string(i)].checked = v_.powerOnIndex == i;
    view["powerOn0"].enabled = view["powerOn1"].enabled = powerOn;
    view["powerOn2"].enabled = powerOn && hasCapability(caps_, CAP_SILENT_READER_MODE);
    view["timeout"].enabled = mode == 0 || mode == 2;
    view["cycleTime"].enabled = mode == 3;
    view["sensor"].shown = hasCapability(caps_, CAP_SENSOR_OUTPUT);
    view["sensor"].checked = v_.sensor;
    return view;
}

}  // namespace orvex::app
