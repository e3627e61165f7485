#include "params/param_page_ps2.h"

#include <cstdio>

#include "params/wedge_block.h"

namespace orvex::app {

namespace {
std::string DelayText(double ms) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", ms);
    return buf;
}
}  // namespace

Validation ParamPagePs2::Validate() const {
    if (auto e = CheckIntegerField("frequency", v_.frequency, 5, 16)) return e;
    if (auto e = CheckIntegerField("timeout", v_.timeout, 30, 3840)) return e;
    auto delay = ParseNumberText(v_.delay);
    if (!delay) return ValidationFailure{MsgEnterNumber, {}, "delay", 0};
    if (*delay < 0 || *delay > 63.5) return ValidationFailure{MsgNumberBetween, {"0", "63.5"}, "delay", 0};
    return std::nullopt;
}

void ParamPagePs2::StoreToWedgeBytes(OperatingParameters &p) const {
    p.wedgeDelayByte = WedgeDelayToByte(ParseNumberText(v_.delay).value_or(0));
    p.wedgeFrequencyByte =
        WedgeFrequencyToByte(static_cast<int>(ParseIntegerText(v_.frequency).value_or(10)));
    p.wedgeTimeoutByte = WedgeTimeoutToByte(static_cast<int>(ParseIntegerText(v_.timeout).value_or(180)));
}

void ParamPagePs2::LoadFromWedgeBytes(const OperatingParameters &p) {
    v_.delay = DelayText(WedgeDelayFromByte(p.wedgeDelayByte));
    v_.frequency = std::to_string(WedgeFrequencyFromByte(p.wedgeFrequencyByte));
    v_.timeout = std::to_string(WedgeTimeoutFromByte(p.wedgeTimeoutByte));
}

bool ParamPagePs2::LoadFromWedgeBlock(std::span<const std::uint8_t> block) {
    auto content = DecodeWedgeBlock(block);
    if (!content) return false;
    OperatingParameters p;
    p.wedgeDelayByte = content->delayByte;
    p.wedgeFrequencyByte = content->frequencyByte;
    p.wedgeTimeoutByte = content->timeoutByte;
    LoadFromWedgeBytes(p);
    return true;
}

ViewState ParamPagePs2::View() const {
    ViewState view;
    view["frequency"].maxLength = 2;
    view["timeout"].maxLength = 4;
    view["delay"];
    return view;
}

}  // namespace orvex::app
