#include "app/connect.h"
#include "base/message_ids.h"

#include <algorithm>
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

void SetTitle(ConnectContext &ctx, std::string title) {
    ctx.title = std::move(title);
    if (ctx.setTitle) ctx.setTitle(ctx.title);
}

void SetFailureTitle(ConnectContext &ctx, int message) {
    const auto &strings = StringTable::instance();
    SetTitle(ctx, strings.text(kTitleBase) + " " + strings.text(message));
}

// Opens a plain serial port, hunting the rate when the stored one gets no
// answer.
int OpenSerialWithHunt(ConnectContext &ctx, const std::string &sdkName, int timeout) {
    const int start = ctx.settings.Get(settings::PortBaudrate);
    int handle = Orvex_OpenPort(sdkName.c_str(), start, timeout);
    if (handle != ORVEX_OPEN_NO_VERSION) return handle;
    for (int rate : BaudHuntOrder(start)) {
        handle = Orvex_OpenPort(sdkName.c_str(), rate, timeout);
        if (handle > 0) {
            ctx.settings.Set(settings::PortBaudrate, rate);
            ctx.prompts.showMessage(StringTable::instance().format(msg::kBaudCorrected, rate),
                                    MessageIcon::Warning);
            return handle;
        }
    }
    return handle;
}

}  // namespace

std::vector<int> BaudHuntOrder(int startRate) {
    const auto first = std::begin(BaudHuntCycle), last = std::end(BaudHuntCycle);
    const auto at = std::find(first, last, startRate);
    std::vector<int> order;
    if (at == last) return order;
    const auto count = std::distance(first, last), start = std::distance(first, at);
    for (auto step = 1; step < count; ++step) order.push_back(first[(start + step) % count]);
    return order;
}

namespace {

int ConnectAndIdentifyOnce(ConnectContext &ctx, CapabilityFlags &flags) {
    const PortSettings ps = LoadPortSettings(ctx.settings, ctx.devices);
    const std::string sdkName = BuildSdkPortName(ps.name, ps.address);
    const int timeout = ctx.settings.Get(settings::PortTimeoutConnect);

    int handle = ps.kind == PortKind::Serial ? OpenSerialWithHunt(ctx, sdkName, timeout)
                                             : Orvex_OpenPort(sdkName.c_str(), 19200, timeout);
    if (handle <= 0) return ConnectCannotOpen;

    if (ps.kind == PortKind::Bluetooth && ctx.bluetoothDeviceDialog && !ctx.bluetoothDeviceDialog(handle)) {
        Orvex_SetOutputMode(handle, 2);
        Orvex_ClosePort(handle);
        return 1;
    }

    Orvex_SetOutputMode(handle, 0);

    char answer[kVersionSize] = {};
    if (Orvex_ReadVersion(handle, answer, kVersionSize) != kVersionSize) {
        CloseReader(handle);
        SetFailureTitle(ctx, msg::kNoConnection);
        return ConnectNoAnswer;
    }
    char nameBuffer[kNameSize] = {};
    std::string model = Orvex_GetDeviceName(handle, nameBuffer, kNameSize) < 1 ? "---" : nameBuffer;
    ctx.lastModel = model;

    const auto version = ParseVersionAnswer(std::string_view(answer, kVersionSize));

    if (Orvex_GetTypeBit2(handle) == 0 && Orvex_GetTypeBit0(handle) != 0) {
        CloseReader(handle);
        SetFailureTitle(ctx, msg::kUnsupportedModel);
        return ConnectProgrammer;
    }
    if (!version || !IsSupportedType(version->typeCode)) {
        SetFailureTitle(ctx, msg::kUnsupportedModel);
        CloseReader(handle);
        return ConnectUnsupported;
    }

    SetTitle(ctx, SuccessTitle(StringTable::instance().text(kTitleBase), ProductVersionString(), model,
                               Orvex_IsUsbPort(handle) > 0, sdkName, version->digitValue));
    flags = ComputeCapabilityFlags(*version, ps.kind, ps.name);
    return handle;
}

}  // namespace

int ConnectAndIdentify(ConnectContext &ctx, CapabilityFlags &flags) {
    ctx.lastModel.clear();
    ctx.lastResult = ConnectAndIdentifyOnce(ctx, flags);
    return ctx.lastResult;
}

int ConnectReader(ConnectContext &ctx, int &baud, CapabilityFlags &flags, bool showMessages) {
    const int result = ConnectAndIdentify(ctx, flags);
    if (result > 0) {
        baud = ctx.settings.Get(settings::PortBaudrate);
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

void CloseReader(int &handle) {
    if (handle == 0) return;
    Orvex_SetOutputMode(handle, 2);
    Orvex_ClosePort(handle);
    handle = 0;
}

int ConnectWithStoredSettings(ConnectContext &ctx, FrameState &frame) {
    frame.baud = 19200;
    {
        // The busy state covers the connects, not the interface dialog.
        BusyScope busy(ctx.prompts);
        if (int handle = ConnectReader(ctx, frame.baud, frame.flags, false)) return handle;

        const std::string name = ctx.settings.PortNameOrDefault();
        if (name.substr(0, UsbPrefix.size()) == UsbPrefix) {
            const auto attached =
                ctx.devices.usbDevices ? ctx.devices.usbDevices() : std::vector<std::string>{};
            if (attached.size() == 1) {
                if (attached.front() == StripKindPrefix(name)) return 0;
                ctx.settings.Set(settings::PortName, std::string(UsbPrefix) + attached.front());
                if (int handle = ConnectReader(ctx, frame.baud, frame.flags, true)) return handle;
            }
        }
    }
    return SelectInterfaceAndConnect(ctx, frame);
}

int SelectInterfaceAndConnect(ConnectContext &ctx, FrameState &frame) {
    frame.baud = 19200;
    for (;;) {
        if (!ctx.interfaceDialog || !ctx.interfaceDialog()) return 0;
        BusyScope busy(ctx.prompts);
        const int handle = ConnectReader(ctx, frame.baud, frame.flags, true);
        if (handle > 0) return handle;
    }
}

void StoreDeviceIdentity(ConnectContext &ctx, std::string_view versionAnswer, std::string_view modelName) {
    ctx.identity = MakeDeviceIdentity(versionAnswer, modelName);
    if (ctx.settings.Get(settings::VersionUpdate) != 0 && ctx.deviceUpdateNotice) ctx.deviceUpdateNotice();
}

std::optional<IdentifiedReader> IdentifyAndClose(ConnectContext &ctx, int &handle) {
    char answer[kVersionSize] = {};
    if (Orvex_ReadVersion(handle, answer, kVersionSize) != kVersionSize) {
        CloseReader(handle);
        return std::nullopt;
    }
    char nameBuffer[kNameSize] = {};
    Orvex_GetDeviceName(handle, nameBuffer, kNameSize);
    CloseReader(handle);
    IdentifiedReader reader{std::string(answer, kVersionSize), nameBuffer};
    StoreDeviceIdentity(ctx, reader.versionAnswer, reader.modelName);
    return reader;
}

}  // namespace orvex::app
