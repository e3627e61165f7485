#include "params/param_page_ps2.h"

#include <cstdio>

#include "params/wedge_block.h"

namespace orvex::app {

namespace {
std::string delayText(double ms) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", ms);
    return buf;
}
}  // namespace

Validation ParamPagePs2::validate() const {
    if (auto e = checkIntegerField("frequency", v_.frequency, 5, 16)) return e;
    if (auto e = checkIntegerField("timeout", v_.timeout, 30, 3840)) return e;
    auto delay = parseNumberText(v_.delay);
    if (!delay) return ValidationFailure{MsgEnterNumber, {}, "delay", 0};
    if (*delay < 0 || *delay > 63.5) return ValidationFailure{MsgNumberBetween, {"0", "63.5"}, "delay", 0};
    return std::nullopt;
}

void ParamPagePs2::storeToWedgeBytes(OperatingParameters &p) const {
    p.wedgeDelayByte = wedgeDelayToByte(parseNumberText(v_.delay).value_or(0));
    p.wedgeFrequencyByte =
        wedgeFrequencyToByte(static_cast<int>(parseIntegerText(v_.frequency).value_or(10)));
    p.wedgeTimeoutByte = wedgeTimeoutToByte(static_cast<int>(parseIntegerText(v_.timeout).value_or(180)));
}

void ParamPagePs2::loadFromWedgeBytes(const OperatingParameters &p) {
    v_.delay = delayText(wedgeDelayFromByte(p.wedgeDelayByte));
    v_.frequency = std::to_string(wedgeFrequencyFromByte(p.wedgeFrequencyByte));
    v_.timeout = std::to_string(wedgeTimeoutFromByte(p.wedgeTimeoutByte));
}

bool ParamPagePs2::loadFromWedgeBlock(std::span<const std::uint8_t> block) {
    auto content = decodeWedgeBlock(block);
    if (!content) return false;
    OperatingParameters p;
    p.wedgeDelayByte = content->delayByte;
    p.wedgeFrequencyByte = content->frequencyByte;
    p.wedgeTimeoutByte = content->timeoutByte;
    loadFromWedgeBytes(p);
    return true;
}

ViewState ParamPagePs2::view() const {
    ViewState view;
    view["frequency"].maxLength = 2;
    view["timeout"].maxLength = 4;
    view["delay"];
    return view;
}

}  // namespace orvex::app
