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

std::optional<IdentifiedReader> identifyIfConnected(ConnectContext &ctx, int handle) {
    if (handle <= 0) return std::nullopt;
    return identifyAndClose(ctx, handle);
}

}  // namespace

bool menuCommandEnabled(int command, CapabilityFlags flags) {
    for (const auto &r : kMenuRequirements)
        if (r.command == command) return (flags & r.anyOf) != 0;
    return true;
}

SheetKind configurationSheetFor(CapabilityFlags flags) {
    return hasCapability(flags, CAP_PS2) ? SheetKind::KeyboardWedge : SheetKind::Serial;
}

CommandConnection connectForCommand(ConnectContext &ctx) {
    CommandConnection c;
    BusyScope busy(ctx.prompts);
    c.handle = connectReader(ctx, c.baud, c.flags, true);
    return c;
}

namespace {

// frameFlags empty: no main frame; the flags read on this connection decide.
CommandOutcome runStartMode(ConnectContext &ctx, std::optional<CapabilityFlags> frameFlags,
                            const HandleDialog &bluetoothConfigDialog,
                            const std::function<void(int &, bool)> &powerOnModeDialog) {
    auto offered = [](CapabilityFlags flags) { return (flags & (CAP_BLUETOOTH | CAP_POWER_ON_MODE)) != 0; };
    if (frameFlags && !offered(*frameFlags)) return CommandOutcome::NotAvailable;
    CommandConnection c = connectForCommand(ctx);
    if (c.handle <= 0) return CommandOutcome::NoConnection;
    const CapabilityFlags decisive = frameFlags.value_or(c.flags);
    CommandOutcome outcome = CommandOutcome::Ran;
    if (!offered(decisive)) {
        outcome = CommandOutcome::NotAvailable;
    } else if (hasCapability(decisive, CAP_BLUETOOTH)) {
        if (bluetoothConfigDialog) bluetoothConfigDialog(c.handle);
    } else if (powerOnModeDialog) {
        powerOnModeDialog(c.handle, hasCapability(c.flags, CAP_SILENT_READER_MODE));
    }
    closeReader(c.handle);
    return outcome;
}

}  // namespace

CommandOutcome runStartModeCommand(ConnectContext &ctx, CapabilityFlags frameFlags,
                                   const HandleDialog &bluetoothConfigDialog,
                                   const std::function<void(int &, bool)> &powerOnModeDialog) {
    return runStartMode(ctx, frameFlags, bluetoothConfigDialog, powerOnModeDialog);
}

CommandOutcome runStartModeCommandWithoutFrame(ConnectContext &ctx, const HandleDialog &bluetoothConfigDialog,
                                               const std::function<void(int &, bool)> &powerOnModeDialog) {
    return runStartMode(ctx, std::nullopt, bluetoothConfigDialog, powerOnModeDialog);
}

CommandOutcome runTxPowerCommand(ConnectContext &ctx, CapabilityFlags frameFlags,
                                 const HandleDialog &txPowerDialog) {
    if (!hasCapability(frameFlags, CAP_TX_POWER_MENU_MASK)) return CommandOutcome::NotAvailable;
    CommandConnection c = connectForCommand(ctx);
    if (c.handle <= 0) return CommandOutcome::NoConnection;
    CommandOutcome outcome = CommandOutcome::NotAvailable;
    if (hasCapability(c.flags, CAP_TX_POWER_MENU_MASK)) {
        if (txPowerDialog) txPowerDialog(c.handle);
        outcome = CommandOutcome::Ran;
    }
    closeReader(c.handle);
    return outcome;
}

FactoryResetOutcome runFactoryReset(ConnectContext &ctx, CapabilityFlags frameFlags) {
    if (!hasCapability(frameFlags, CAP_FACTORY_RESET)) return FactoryResetOutcome::NotAvailable;
    CommandConnection c = connectForCommand(ctx);
    if (c.handle <= 0) return FactoryResetOutcome::NoConnection;

    FactoryResetOutcome outcome = FactoryResetOutcome::NotAvailable;
    if (hasCapability(c.flags, CAP_FACTORY_RESET)) {
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
    closeReader(c.handle);
    return outcome;
}

bool runIpAddressCommand(
    ConnectContext &ctx, FrameState &frame,
    const std::function<std::optional<std::string>(const std::string &)> &lanConfigDialog) {
    if (!hasCapability(frame.flags, CAP_LAN)) return false;
    const PortSettings ps = loadPortSettings(ctx.settings, ctx.devices);
    if (lanConfigDialog) {
        if (auto address = lanConfigDialog(buildSdkPortName(ps.name, ps.address)))
            ctx.settings.set(settings::PortName, std::string(LanPrefix) + *address);
    }
    int handle = connectWithStoredSettings(ctx, frame);
    closeReader(handle);
    return true;
}

std::optional<IdentifiedReader> runInterfaceCommand(ConnectContext &ctx, FrameState &frame) {
    return identifyIfConnected(ctx, selectInterfaceAndConnect(ctx, frame));
}

std::optional<IdentifiedReader> runStartupIdentification(ConnectContext &ctx, FrameState &frame) {
    return identifyIfConnected(ctx, connectWithStoredSettings(ctx, frame));
}

}  // namespace orvex::app
