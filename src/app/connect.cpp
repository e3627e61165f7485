#include "app/connect.h"
#include "base/message_ids.h"

#include <algorithm>
#include <cerrno>
#include <array>
#include <iterator>

#include "app/settings_store.h"
#include "app/string_table.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {

constexpr int kTitleBase = 57344;
constexpr int kVersionSize = 4;
constexpr int kNameSize = 30;

void setTitle(ConnectContext &ctx, std::string title) {
    ctx.title = std::move(title);
    if (ctx.setTitle) ctx.setTitle(ctx.title);
}

void setFailureTitle(ConnectContext &ctx, int message) {
    const auto &strings = StringTable::instance();
    setTitle(ctx, strings.text(kTitleBase) + " " + strings.text(message));
}

// Opens a plain serial port, hunting the rate when the stored one gets no
// answer.
int openSerialWithHunt(ConnectContext &ctx, const std::string &sdkName, int timeout) {
    const int start = ctx.settings.get(settings::PortBaudrate);
    int handle = Orvex_OpenPort(sdkName.c_str(), start, timeout);
    if (handle != ORVEX_OPEN_NO_VERSION) return handle;
    for (int rate : baudHuntOrder(start)) {
        handle = Orvex_OpenPort(sdkName.c_str(), rate, timeout);
        if (handle > 0) {
            ctx.settings.set(settings::PortBaudrate, rate);
            ctx.prompts.showMessage(StringTable::instance().format(msg::kBaudCorrected, rate),
                                    MessageIcon::Warning);
            return handle;
        }
    }
    return handle;
}

}  // namespace

std::vector<int> baudHuntOrder(int startRate) {
    const auto first = std::begin(BaudHuntCycle), last = std::end(BaudHuntCycle);
    const auto at = std::find(first, last, startRate);
    std::vector<int> order;
    if (at == last) return order;
    const auto count = std::distance(first, last), start = std::distance(first, at);
    for (auto step = 1; step < count; ++step) order.push_back(first[(start + step) % count]);
    return order;
}

namespace {

int connectAndIdentifyOnce(ConnectContext &ctx, CapabilityFlags &flags) {
    const PortSettings ps = loadPortSettings(ctx.settings, ctx.devices);
    const std::string sdkName = buildSdkPortName(ps.name, ps.address);
    const int timeout = ctx.settings.get(settings::PortTimeoutConnect);

    int handle = ps.kind == PortKind::Serial ? openSerialWithHunt(ctx, sdkName, timeout)
                                             : Orvex_OpenPort(sdkName.c_str(), 19200, timeout);
    if (handle <= 0)
        return handle == ORVEX_OPEN_FAILED && errno == EBUSY ? ConnectPortBusy : ConnectCannotOpen;

    if (ps.kind == PortKind::Bluetooth && ctx.bluetoothDeviceDialog && !ctx.bluetoothDeviceDialog(handle)) {
        Orvex_SetOutputMode(handle, 2);
        Orvex_ClosePort(handle);
        return 1;
    }

    Orvex_SetOutputMode(handle, 0);

    char answer[kVersionSize] = {};
    if (Orvex_ReadVersion(handle, answer, kVersionSize) != kVersionSize) {
        closeReader(handle);
        setFailureTitle(ctx, msg::kNoConnection);
        return ConnectNoAnswer;
    }
    char nameBuffer[kNameSize] = {};
    std::string model = Orvex_GetDeviceName(handle, nameBuffer, kNameSize) < 1 ? "---" : nameBuffer;
    ctx.lastModel = model;

    const auto version = parseVersionAnswer(std::string_view(answer, kVersionSize));

    if (Orvex_GetTypeBit2(handle) == 0 && Orvex_GetTypeBit0(handle) != 0) {
        closeReader(handle);
        setFailureTitle(ctx, msg::kUnsupportedModel);
        return ConnectProgrammer;
    }
    if (!version || !isSupportedType(version->typeCode)) {
        setFailureTitle(ctx, msg::kUnsupportedModel);
        closeReader(handle);
        return ConnectUnsupported;
    }

    setTitle(ctx, successTitle(StringTable::instance().text(kTitleBase), productVersionString(), model,
                               Orvex_IsUsbPort(handle) > 0, sdkName, version->digitValue));
    flags = computeCapabilityFlags(*version, ps.kind, ps.name);
    return handle;
}

}  // namespace

int connectAndIdentify(ConnectContext &ctx, CapabilityFlags &flags) {
    ctx.lastModel.clear();
    ctx.lastResult = connectAndIdentifyOnce(ctx, flags);
    return ctx.lastResult;
}

int connectReader(ConnectContext &ctx, int &baud, CapabilityFlags &flags, bool showMessages) {
    const int result = connectAndIdentify(ctx, flags);
    if (result > 0) {
        baud = ctx.settings.get(settings::PortBaudrate);
        return result;
    }
    if (showMessages) {
        static constexpr std::array<std::pair<int, int>, 3> kMessages = {{
            {ConnectNoAnswer, msg::kNoConnection},
            {ConnectUnsupported, msg::kUnsupportedModel},
            {ConnectProgrammer, msg::kPureProgrammer},
        }};
        for (const auto &[code, message] : kMessages)
            if (code == result)
                ctx.prompts.showMessage(StringTable::instance().text(message), MessageIcon::Warning);
    }
    return 0;
}

void closeReader(int &handle) {
    if (handle == 0) return;
    Orvex_SetOutputMode(handle, 2);
    Orvex_ClosePort(handle);
    handle = 0;
}

int connectWithStoredSettings(ConnectContext &ctx, FrameState &frame) {
    frame.baud = 19200;
    {
        // The busy state covers the connects, not the interface dialog.
        BusyScope busy(ctx.prompts);
        if (int handle = connectReader(ctx, frame.baud, frame.flags, false)) return handle;

        const std::string name = ctx.settings.portNameOrDefault();
        if (name.substr(0, UsbPrefix.size()) == UsbPrefix) {
            const auto attached =
                ctx.devices.usbDevices ? ctx.devices.usbDevices() : std::vector<std::string>{};
            if (attached.size() == 1) {
                if (attached.front() == stripKindPrefix(name)) return 0;
                ctx.settings.set(settings::PortName, std::string(UsbPrefix) + attached.front());
                if (int handle = connectReader(ctx, frame.baud, frame.flags, true)) return handle;
            }
        }
    }
    return selectInterfaceAndConnect(ctx, frame);
}

int selectInterfaceAndConnect(ConnectContext &ctx, FrameState &frame) {
    frame.baud = 19200;
    for (;;) {
        if (!ctx.interfaceDialog || !ctx.interfaceDialog()) return 0;
        BusyScope busy(ctx.prompts);
        const int handle = connectReader(ctx, frame.baud, frame.flags, true);
        if (handle > 0) return handle;
    }
}

void storeDeviceIdentity(ConnectContext &ctx, std::string_view versionAnswer, std::string_view modelName) {
    ctx.identity = makeDeviceIdentity(versionAnswer, modelName);
    if (ctx.settings.get(settings::VersionUpdate) != 0 && ctx.deviceUpdateNotice) ctx.deviceUpdateNotice();
}

std::optional<IdentifiedReader> identifyAndClose(ConnectContext &ctx, int &handle) {
    char answer[kVersionSize] = {};
    if (Orvex_ReadVersion(handle, answer, kVersionSize) != kVersionSize) {
        closeReader(handle);
        return std::nullopt;
    }
    char nameBuffer[kNameSize] = {};
    Orvex_GetDeviceName(handle, nameBuffer, kNameSize);
    closeReader(handle);
    IdentifiedReader reader{std::string(answer, kVersionSize), nameBuffer};
    storeDeviceIdentity(ctx, reader.versionAnswer, reader.modelName);
    return reader;
}

}  // namespace orvex::app
