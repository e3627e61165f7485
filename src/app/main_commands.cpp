#include "app/main_commands.h"
#include "base/message_ids.h"

#include <array>

#include "base/capabilities.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {

struct MenuRequirement {
    int command;
    CapabilityFlags anyOf;
};

// Menu items that need a capability of the last identified reader; every
// other item is always enabled.
constexpr std::array<MenuRequirement, 4> kMenuRequirements = {{
    {CmdIpAddress, CAP_LAN},
    {CmdStartMode, CAP_BLUETOOTH | CAP_POWER_ON_MODE},
    {CmdTxPower, CAP_TX_POWER_MENU_MASK},
    {CmdFactoryReset, CAP_FACTORY_RESET},
}};

std::optional<IdentifiedReader> IdentifyIfConnected(ConnectContext &ctx, int handle) {
    if (handle <= 0) return std::nullopt;
    return IdentifyAndClose(ctx, handle);
}

}  // namespace

bool MenuCommandEnabled(int command, CapabilityFlags flags) {
    for (const auto &r : kMenuRequirements)
        if (r.command == command) return (flags & r.anyOf) != 0;
    return true;
}

SheetKind ConfigurationSheetFor(CapabilityFlags flags) {
    return HasCapability(flags, CAP_PS2) ? SheetKind::KeyboardWedge : SheetKind::Serial;
}

CommandConnection ConnectForCommand(ConnectContext &ctx) {
    CommandConnection c;
    BusyScope busy(ctx.prompts);
    c.handle = ConnectReader(ctx, c.baud, c.flags, true);
    return c;
}

namespace {

// frameFlags empty: no main frame; the flags read on this connection decide.
CommandOutcome RunStartMode(ConnectContext &ctx, std::optional<CapabilityFlags> frameFlags,
                            const HandleDialog &bluetoothConfigDialog,
                            const std::function<void(int &, bool)> &powerOnModeDialog) {
    auto offered = [](CapabilityFlags flags) { return (flags & (CAP_BLUETOOTH | CAP_POWER_ON_MODE)) != 0; };
    if (frameFlags && !offered(*frameFlags)) return CommandOutcome::NotAvailable;
    CommandConnection c = ConnectForCommand(ctx);
    if (c.handle <= 0) return CommandOutcome::NoConnection;
    const CapabilityFlags decisive = frameFlags.value_or(c.flags);
    CommandOutcome outcome = CommandOutcome::Ran;
    if (!offered(decisive)) {
        outcome = CommandOutcome::NotAvailable;
    } else if (HasCapability(decisive, CAP_BLUETOOTH)) {
        if (bluetoothConfigDialog) bluetoothConfigDialog(c.handle);
    } else if (powerOnModeDialog) {
        powerOnModeDialog(c.handle, HasCapability(c.flags, CAP_SILENT_READER_MODE));
    }
    CloseReader(c.handle);
    return outcome;
}

}  // namespace

CommandOutcome RunStartModeCommand(ConnectContext &ctx, CapabilityFlags frameFlags,
                                   const HandleDialog &bluetoothConfigDialog,
                                   const std::function<void(int &, bool)> &powerOnModeDialog) {
    return RunStartMode(ctx, frameFlags, bluetoothConfigDialog, powerOnModeDialog);
}

CommandOutcome RunStartModeCommandWithoutFrame(ConnectContext &ctx, const HandleDialog &bluetoothConfigDialog,
                                               const std::function<void(int &, bool)> &powerOnModeDialog) {
    return RunStartMode(ctx, std::nullopt, bluetoothConfigDialog, powerOnModeDialog);
}

CommandOutcome RunTxPowerCommand(ConnectContext &ctx, CapabilityFlags frameFlags,
                                 const HandleDialog &txPowerDialog) {
    if (!HasCapability(frameFlags, CAP_TX_POWER_MENU_MASK)) return CommandOutcome::NotAvailable;
    CommandConnection c = ConnectForCommand(ctx);
    if (c.handle <= 0) return CommandOutcome::NoConnection;
    CommandOutcome outcome = CommandOutcome::NotAvailable;
    if (HasCapability(c.flags, CAP_TX_POWER_MENU_MASK)) {
        if (txPowerDialog) txPowerDialog(c.handle);
        outcome = CommandOutcome::Ran;
    }
    CloseReader(c.handle);
    return outcome;
}

FactoryResetOutcome RunFactoryReset(ConnectContext &ctx, CapabilityFlags frameFlags) {
    if (!HasCapability(frameFlags, CAP_FACTORY_RESET)) return FactoryResetOutcome::NotAvailable;
    CommandConnection c = ConnectForCommand(ctx);
    if (c.handle <= 0) return FactoryResetOutcome::NoConnection;

    FactoryResetOutcome outcome = FactoryResetOutcome::NotAvailable;
    if (HasCapability(c.flags, CAP_FACTORY_RESET)) {
        const auto &strings = StringTable::instance();
        outcome = FactoryResetOutcome::Declined;
        if (ctx.prompts.askYesNoWith(MessageIcon::Warning, strings.text(msg::kFactoryResetWarning), false) &&
            ctx.prompts.askYesNoWith(MessageIcon::Warning, strings.text(msg::kFactoryResetConfirm), false)) {
            const bool done = Orvex_FactoryReset(c.handle) == 0;
            ctx.prompts.showMessage(strings.text(done ? msg::kFactoryResetDone : msg::kFactoryResetFailed),
                                    done ? MessageIcon::Information : MessageIcon::Error);
            outcome = done ? FactoryResetOutcome::Done : FactoryResetOutcome::Failed;
        }
    }
    CloseReader(c.handle);
    return outcome;
}

bool RunIpAddressCommand(
    ConnectContext &ctx, FrameState &frame,
    const std::function<std::optional<std::string>(const std::string &)> &lanConfigDialog) {
    if (!HasCapability(frame.flags, CAP_LAN)) return false;
    const PortSettings ps = LoadPortSettings(ctx.settings, ctx.devices);
    if (lanConfigDialog) {
        if (auto address = lanConfigDialog(BuildSdkPortName(ps.name, ps.address)))
            ctx.settings.Set(settings::PortName, std::string(LanPrefix) + *address);
    }
    int handle = ConnectWithStoredSettings(ctx, frame);
    CloseReader(handle);
    return true;
}

std::optional<IdentifiedReader> RunInterfaceCommand(ConnectContext &ctx, FrameState &frame) {
    return IdentifyIfConnected(ctx, SelectInterfaceAndConnect(ctx, frame));
}

std::optional<IdentifiedReader> RunStartupIdentification(ConnectContext &ctx, FrameState &frame) {
    return IdentifyIfConnected(ctx, ConnectWithStoredSettings(ctx, frame));
}

}  // namespace orvex::app
