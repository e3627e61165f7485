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
    SelectLineCombos(baudValue_);
    ResetSnapshot();
}

void ParamPageSerial::SetCapabilities(CapabilityFlags caps) { caps_ = caps; }

bool ParamPageSerial::tcpClientOffered() const {
    return HasCapability(caps_, CAP_EXTENDED) && HasCapability(caps_, CAP_LAN);
}

Validation ParamPageSerial::Validate() const {
    if (auto e = CheckIntegerField("cycleTime", v_.cycleTime, 100, 12700)) return e;
    if (auto e = CheckIntegerField("timeout", v_.timeout, 100, 12700)) return e;
    if (!ParseIntegerText(v_.remotePort)) return ValidationFailure{MsgEnterInteger, {}, "remotePort", 0};
    return std::nullopt;
}

int ParamPageSerial::SelectedBaudValue() const {
    int base = v_.baudSet.empty() ? BaudRateOf(baudValue_) : static_cast<int>(LeadingDecimal(v_.baudSet));
    return base + FramingCodeFromChoice(v_.parity, v_.stopBits, FramingCodeOf(baudValue_));
}

void ParamPageSerial::StoreToParameters(OperatingParameters &p) const {
    p.modeByte = static_cast<std::uint8_t>(16 * (v_.sensor ? 1 : 0) + v_.mode);
    p.cycleTimeMs = static_cast<int>(ParseIntegerText(v_.cycleTime).value_or(0));
    p.timeoutMs = static_cast<int>(ParseIntegerText(v_.timeout).value_or(0));
    std::string request = Utf8ToCp1252(v_.requestChar);
    p.requestChar = request.empty() ? '?' : request[0];
    p.powerOnIndex = static_cast<std::int8_t>(v_.powerOnIndex);
    p.dtrMode = v_.dtr ? 1 : 0;
    p.baudValue = SelectedBaudValue();
    if (v_.tcpClient) {
        p.remoteIp = v_.remoteIp;
        p.remotePort = static_cast<int>(ParseIntegerText(v_.remotePort).value_or(0));
    } else {
        p.remoteIp.clear();
        p.remotePort = 0;
    }
}

void ParamPageSerial::SelectLineCombos(int baudValue) {
    v_.baudSet = std::string(BaudChoiceOf(baudValue));
    const FramingChoice f = FramingChoiceOf(FramingCodeOf(baudValue));
    v_.parity = f.parityIndex;
    v_.stopBits = f.stopBitsIndex;
}

void ParamPageSerial::PutParameters(const OperatingParameters &p) {
    v_.mode = p.modeByte & 0x0F;
    v_.sensor = (p.modeByte & 0x10) != 0;
    v_.cycleTime = std::to_string(p.cycleTimeMs);
    v_.timeout = std::to_string(p.timeoutMs);
    const auto request = static_cast<unsigned char>(p.requestChar);
    v_.requestChar = request ? Cp1252CharToUtf8(request) : std::string();
    if (p.powerOnIndex != -1) v_.powerOnIndex = p.powerOnIndex;
    v_.dtr = p.dtrMode != 0;
    baudValue_ = p.baudValue;
    SelectLineCombos(p.baudValue);
    v_.tcpClient = !p.remoteIp.empty();
    v_.remoteIp = p.remoteIp;
    v_.remotePort = std::to_string(p.remotePort);
}

bool ParamPageSerial::LoadFromParameters(const OperatingParameters &p, bool dtrSupported,
                                         Validation *failure) {
    dtrSupported_ = dtrSupported;
    PutParameters(p);
    if (auto e = Validate()) {
        if (failure) *failure = e;
        v_.mode = 0;
        v_.sensor = false;
        v_.cycleTime = "1000";
        v_.timeout = "500";
        v_.requestChar = "?";
        baudValue_ = 19200;
        SelectLineCombos(baudValue_);
        return false;
    }
    return true;
}

void ParamPageSerial::LoadFromFileParameters(const OperatingParameters &p) { PutParameters(p); }

void ParamPageSerial::ShowCurrentBaud(int baudValue) { baudValue_ = baudValue; }

bool ParamPageSerial::IsModified() const {
    const auto &a = v_, &b = snapshot_;
    return a.mode != b.mode || a.sensor != b.sensor || a.cycleTime != b.cycleTime || a.timeout != b.timeout ||
           a.requestChar != b.requestChar || a.powerOnIndex != b.powerOnIndex || a.dtr != b.dtr ||
           a.baudSet != b.baudSet || a.parity != b.parity || a.stopBits != b.stopBits ||
           a.tcpClient != b.tcpClient || a.remoteIp != b.remoteIp || a.remotePort != b.remotePort ||
           baudValue_ != snapshotBaud_;
}

void ParamPageSerial::ResetSnapshot() {
    snapshot_ = v_;
    snapshotBaud_ = baudValue_;
}

ViewState ParamPageSerial::View() const {
    ViewState view;
    for (int i = 0; i < 4; ++i) view["mode" + std::to_string(i)].checked = v_.mode == i;
    view["mode2"].enabled = HasCapability(caps_, CAP_EXTENDED);

    const bool powerOn = HasCapability(caps_, CAP_POWER_ON_MODE);
    for (int i = 0; i < 3; ++i) view["powerOn" + std::to_string(i)].checked = v_.powerOnIndex == i;
    view["powerOn0"].enabled = view["powerOn1"].enabled = powerOn;
    view["powerOn2"].enabled = powerOn && HasCapability(caps_, CAP_SILENT_READER_MODE);

    view["timeout"].enabled = v_.mode == 0 || v_.mode == 2;
    view["cycleTime"].enabled = v_.mode == 3;
    view["sensor"].shown = HasCapability(caps_, CAP_SENSOR_OUTPUT);
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

    const bool line = HasCapability(caps_, CAP_PLAIN_SERIAL);
    for (const char *name :
         {"interfaceGroup", "baudLabel", "parityLabel", "stopBitsLabel", "currentLabel", "setLabel",
          "currentBaud", "currentParity", "currentStopBits", "baudSet", "paritySet", "stopBitsSet"})
        view[name].shown = line;
    for (const char *name : {"baudSet", "paritySet", "stopBitsSet"}) view[name].enabled = !usbPort_;
    const FramingChoice f = FramingChoiceOf(FramingCodeOf(baudValue_));
    view["currentBaud"].caption = std::to_string(BaudRateOf(baudValue_));
    view["currentParity"].caption = PageText("param.parity." + std::to_string(f.parityIndex),
                                             kParityTexts[static_cast<std::size_t>(f.parityIndex)]);
    view["currentStopBits"].caption = PageText("param.stopBits." + std::to_string(f.stopBitsIndex),
                                               kStopBitsTexts[static_cast<std::size_t>(f.stopBitsIndex)]);
    view["functionTest"];
    view["readContent"];
    return view;
}

}  // namespace orvex::app
