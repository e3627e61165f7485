#include "params/param_page_hid.h"

#include <array>

#include "params/reader_option_models.h"

namespace orvex::app {

namespace {
constexpr std::array<int, 3> kModeOfIndex{0, 2, 3};
}

int HidModeIndex(int mode) {
    for (std::size_t i = 0; i < kModeOfIndex.size(); ++i)
        if (kModeOfIndex[i] == mode) return static_cast<int>(i);
    return 0;
}

int HidModeFromIndex(int index) {
    return index >= 0 && index < 3 ? kModeOfIndex[static_cast<std::size_t>(index)] : 0;
}

Validation ParamPageHid::Validate() const {
    if (auto e = CheckIntegerField("cycleTime", v_.cycleTime, 100, 12700)) return e;
    if (auto e = CheckIntegerField("timeout", v_.timeout, 100, 12700)) return e;
    return std::nullopt;
}

void ParamPageHid::StoreToParameters(OperatingParameters &p) const {
    p.modeByte = static_cast<std::uint8_t>(16 * (v_.sensor ? 1 : 0) + HidModeFromIndex(v_.modeIndex));
    p.cycleTimeMs = static_cast<int>(ParseIntegerText(v_.cycleTime).value_or(0));
    p.timeoutMs = static_cast<int>(ParseIntegerText(v_.timeout).value_or(0));
    p.requestChar = '?';
    p.powerOnIndex = static_cast<std::int8_t>(v_.powerOnIndex);
    p.baudValue = 19200;
}

bool ParamPageHid::LoadFromParameterBlock(std::span<const std::uint8_t> b, int powerOnValue,
                                          Validation *failure) {
    if (b.size() < 4) return false;
    v_.modeIndex = HidModeIndex(b[0] & 0x0F);
    v_.sensor = (b[0] & 0x10) != 0;
    v_.cycleTime = std::to_string(b[1] * 100);
    v_.timeout = std::to_string(b[3] >= 1 && b[3] <= 127 ? b[3] * 100 : 500);
    v_.powerOnIndex = powerOnValue == -1 ? -1 : PowerOnIndexFromValue(powerOnValue);
    if (auto e = Validate()) {
        if (failure) *failure = e;
        v_.modeIndex = 0;
        v_.cycleTime = "1000";
        v_.timeout = "500";
        return false;
    }
    return true;
}

void ParamPageHid::LoadFromFileParameters(const OperatingParameters &p) {
    v_.modeIndex = HidModeIndex(p.modeByte & 0x0F);
    v_.sensor = (p.modeByte & 0x10) != 0;
    v_.cycleTime = std::to_string(p.cycleTimeMs);
    v_.timeout = std::to_string(p.timeoutMs);
    if (p.powerOnIndex != -1) v_.powerOnIndex = p.powerOnIndex;
}

ViewState ParamPageHid::View() const {
    ViewState view;
    const int mode = HidModeFromIndex(v_.modeIndex);
    view["mode0"].checked = v_.modeIndex == 0;
    view["mode2"].checked = v_.modeIndex == 1;
    view["mode3"].checked = v_.modeIndex == 2;
    view["mode2"].enabled = HasCapability(caps_, CAP_EXTENDED);
    const bool powerOn = HasCapability(caps_, CAP_POWER_ON_MODE);
    for (int i = 0; i < 3; ++i) view["powerOn" + std::to_string(i)].checked = v_.powerOnIndex == i;
    view["powerOn0"].enabled = view["powerOn1"].enabled = powerOn;
    view["powerOn2"].enabled = powerOn && HasCapability(caps_, CAP_SILENT_READER_MODE);
    view["timeout"].enabled = mode == 0 || mode == 2;
    view["cycleTime"].enabled = mode == 3;
    view["sensor"].shown = HasCapability(caps_, CAP_SENSOR_OUTPUT);
    view["sensor"].checked = v_.sensor;
    return view;
}

}  // namespace orvex::app
