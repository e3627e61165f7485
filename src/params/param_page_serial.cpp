#include "params/param_page_serial.h"

#include <array>
#include <cstdio>

#include "base/cp1252.h"
#include "params/page_text.h"

namespace orvex::app {

namespace {
constexpr std::array<const char *, 3> kParityTexts{"keine", "gerade", "ungerade"};
constexpr std::array<const char *, 2> kStopBitsTexts{"1", "2"};
}  // namespace

ParamPageSerial::ParamPageSerial(CapabilityFlags caps) : caps_(caps) {
    selectLineCombos(baudValue_);
    resetSnapshot();
}

void ParamPageSerial::setCapabilities(CapabilityFlags caps) { caps_ = caps; }

bool ParamPageSerial::tcpClientOffered() const {
    return hasCapability(caps_, CAP_EXTENDED) && hasCapability(caps_, CAP_LAN);
}

Validation ParamPageSerial::validate() const {
    if (auto e = checkIntegerField("cycleTime", v_.cycleTime, 100, 12700)) return e;
    if (auto e = checkIntegerField("timeout", v_.timeout, 100, 12700)) return e;
    if (!parseIntegerText(v_.remotePort)) return ValidationFailure{MsgEnterInteger, {}, "remotePort", 0};
    return std::nullopt;
}

int ParamPageSerial::selectedBaudValue() const {
    int base = v_.baudSet.empty() ? baudRateOf(baudValue_) : static_cast<int>(leadingDecimal(v_.baudSet));
    return base + framingCodeFromChoice(v_.parity, v_.stopBits, framingCodeOf(baudValue_));
}

void ParamPageSerial::storeToParameters(OperatingParameters &p) const {
    p.modeByte = static_cast<std::uint8_t>(16 * (v_.sensor ? 1 : 0) + v_.mode);
    p.cycleTimeMs = static_cast<int>(parseIntegerText(v_.cycleTime).value_or(0));
    p.timeoutMs = static_cast<int>(parseIntegerText(v_.timeout).value_or(0));
    std::string request = utf8ToCp1252(v_.requestChar);
    p.requestChar = request.empty() ? '?' : request[0];
    p.powerOnIndex = static_cast<std::int8_t>(v_.powerOnIndex);
    p.dtrMode = v_.dtr ? 1 : 0;
    p.baudValue = selectedBaudValue();
    if (v_.tcpClient) {
        p.remoteIp = v_.remoteIp;
        p.remotePort = static_cast<int>(parseIntegerText(v_.remotePort).value_or(0));
    } else {
        p.remoteIp.clear();
        p.remotePort = 0;
    }
}

void ParamPageSerial::selectLineCombos(int baudValue) {
    v_.baudSet = std::string(baudChoiceOf(baudValue));
    const FramingChoice f = framingChoiceOf(framingCodeOf(baudValue));
    v_.parity = f.parityIndex;
    v_.stopBits = f.stopBitsIndex;
}

void ParamPageSerial::putParameters(const OperatingParameters &p) {
    v_.mode = p.modeByte & 0x0F;
    v_.sensor = (p.modeByte & 0x10) != 0;
    v_.cycleTime = std::to_string(p.cycleTimeMs);
    v_.timeout = std::to_string(p.timeoutMs);
    const auto request = static_cast<unsigned char>(p.requestChar);
    v_.requestChar = request ? cp1252CharToUtf8(request) : std::string();
    if (p.powerOnIndex != -1) v_.powerOnIndex = p.powerOnIndex;
    v_.dtr = p.dtrMode != 0;
    baudValue_ = p.baudValue;
    selectLineCombos(p.baudValue);
    v_.tcpClient = hasTcpClientTarget(p.remoteIp, p.remotePort);
    v_.remoteIp = p.remoteIp;
    v_.remotePort = std::to_string(p.remotePort);
}

bool ParamPageSerial::loadFromParameters(const OperatingParameters &p, bool dtrSupported,
                                         Validation *failure) {
    dtrSupported_ = dtrSupported;
    putParameters(p);
    if (auto e = validate()) {
        if (failure) *failure = e;
        v_.mode = 0;
        v_.sensor = false;
        v_.cycleTime = "1000";
        v_.timeout = "500";
        v_.requestChar = "?";
        baudValue_ = 19200;
        selectLineCombos(baudValue_);
        return false;
    }
    return true;
}

void ParamPageSerial::loadFromFileParameters(const OperatingParameters &p) { putParameters(p); }

void ParamPageSerial::showCurrentBaud(int baudValue) { baudValue_ = baudValue; }

bool ParamPageSerial::isModified() const {
    const auto &a = v_, &b = snapshot_;
    return a.mode != b.mode || a.sensor != b.sensor || a.cycleTime != b.cycleTime || a.timeout != b.timeout ||
           a.requestChar != b.requestChar || a.powerOnIndex != b.powerOnIndex || a.dtr != b.dtr ||
           a.baudSet != b.baudSet || a.parity != b.parity || a.stopBits != b.stopBits ||
           a.tcpClient != b.tcpClient || a.remoteIp != b.remoteIp || a.remotePort != b.remotePort ||
           baudValue_ != snapshotBaud_;
}

void ParamPageSerial::resetSnapshot() {
    snapshot_ = v_;
    snapshotBaud_ = baudValue_;
}

ViewState ParamPageSerial::view() const {
    ViewState view;
    for (int i = 0; i < 4; ++i) view["mode" + std::to_string(i)].checked = v_.mode == i;
    view["mode2"].enabled = hasCapability(caps_, CAP_EXTENDED);

    const bool powerOn = hasCapability(caps_, CAP_POWER_ON_MODE);
    for (int i = 0; i < 3; ++i) view["powerOn" + std::to_string(i)].checked = v_.powerOnIndex == i;
    view["powerOn0"].enabled = view["powerOn1"].enabled = powerOn;
    view["powerOn2"].enabled = powerOn && hasCapability(caps_, CAP_SILENT_READER_MODE);

    view["timeout"].enabled = v_.mode == 0 || v_.mode == 2;
    view["cycleTime"].enabled = v_.mode == 3;
    view["sensor"].shown = hasCapability(caps_, CAP_SENSOR_OUTPUT);
    view["sensor"].checked = v_.sensor;
    view["requestChar"].maxLength = 1;
    view["dtr"].shown = dtrSupported_;
    view["dtr"].checked = v_.dtr;

    const bool tcpShown = tcpClientOffered();
    for (const char *name :
         {"tcpGroup", "tcpClient", "remoteIpLabel", "remoteIp", "remotePortLabel", "remotePort"})
        view[name].shown = tcpShown;
    view["tcpClient"].checked = v_.tcpClient;
    for (const char *name : {"remoteIpLabel", "remoteIp", "remotePortLabel", "remotePort"})
        view[name].enabled = v_.tcpClient;

    const bool line = hasCapability(caps_, CAP_PLAIN_SERIAL);
    for (const char *name :
         {"interfaceGroup", "baudLabel", "parityLabel", "stopBitsLabel", "currentLabel", "setLabel",
          "currentBaud", "currentParity", "currentStopBits", "baudSet", "paritySet", "stopBitsSet"})
        view[name].shown = line;
    for (const char *name : {"baudSet", "paritySet", "stopBitsSet"}) view[name].enabled = !usbPort_;
    const FramingChoice f = framingChoiceOf(framingCodeOf(baudValue_));
    view["currentBaud"].caption = std::to_string(baudRateOf(baudValue_));
    view["currentParity"].caption = pageText("param.parity." + std::to_string(f.parityIndex),
                                             kParityTexts[static_cast<std::size_t>(f.parityIndex)]);
    view["currentStopBits"].caption = pageText("param.stopBits." + std::to_string(f.stopBitsIndex),
                                               kStopBitsTexts[static_cast<std::size_t>(f.stopBitsIndex)]);
    view["functionTest"];
    view["readContent"];
    return view;
}

}  // namespace orvex::app
