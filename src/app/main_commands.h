// The main frame's menu commands as window-free flows: which sheet opens,
// which menu items are enabled, and the commands that connect with a flags
// word of their own (start mode, transmit power, factory reset, IP address).
// Dialogs are passed in as callbacks that receive the handle variable; the
// flow closes whatever handle the dialog leaves in it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/connect.h"

namespace orvex::app {

// Command ids of the menu and toolbar.
enum MenuCommand : int {
    CmdConfigure = 32770,
    CmdReadContent = 32778,
    CmdInterface = 32780,
    CmdLanguageGerman = 32781,
    CmdLanguageEnglish = 32782,
    CmdIpAddress = 32784,
    CmdStartMode = 32785,
    CmdTxPower = 32786,
    CmdFactoryReset = 32787,
    CmdAbout = 57664,
    CmdExit = 57665,
    CmdHelp = 57670,
    CmdProgramUpdateFound = 1034,
    CmdDeviceUpdateFound = 1035,
};

// Enabled state of a menu command for the frame's flags word.
bool menuCommandEnabled(int command, CapabilityFlags flags);

enum class SheetKind { Serial, KeyboardWedge };
// "&Konfigurieren" opens the keyboard-wedge sheet for CAP_PS2, else the serial one.
SheetKind configurationSheetFor(CapabilityFlags flags);

// Language setting "Settings"/"Sprache": 1 English, anything else German.
inline bool isEnglishSetting(int value) { return value == 1; }

// A connect of its own for the commands of the settings menu: busy state,
// baud 19200, a fresh flags word, messages on. Does not touch the frame.
struct CommandConnection {
    int handle = 0;
    CapabilityFlags flags = 0;
    int baud = 19200;
};
CommandConnection connectForCommand(ConnectContext &ctx);

using HandleDialog = std::function<void(int &handle)>;

// How a settings command that runs a dialog on a connection of its own ended.
enum class CommandOutcome {
    NotAvailable,  // the frame's or the freshly read flags lack the capability
    NoConnection,  // connectReader gave no handle (it showed its message)
    Ran,           // the dialog ran on the connection
};

// "Startmodus": the Bluetooth standby dialog for a Bluetooth reader, else the
// power-on mode dialog (with silentReaderModeOffered from the fresh flags).
CommandOutcome runStartModeCommand(
    ConnectContext &ctx, CapabilityFlags frameFlags, const HandleDialog &bluetoothConfigDialog,
    const std::function<void(int &handle, bool silentReaderModeOffered)> &powerOnModeDialog);
// The same command without a main frame (orvexctl): the flags read on the
// command's own connection take the frame's place.
CommandOutcome runStartModeCommandWithoutFrame(
    ConnectContext &ctx, const HandleDialog &bluetoothConfigDialog,
    const std::function<void(int &handle, bool silentReaderModeOffered)> &powerOnModeDialog);

// "Sendeleistung": the dialog opens only when the fresh flags still have
// CAP_TX_POWER or CAP_EXTENDED.
CommandOutcome runTxPowerCommand(ConnectContext &ctx, CapabilityFlags frameFlags,
                                 const HandleDialog &txPowerDialog);

enum class FactoryResetOutcome {
    NotAvailable,  // frame flags or fresh flags lack CAP_FACTORY_RESET
    NoConnection,  // connectReader gave no handle (it showed its message)
    Declined,      // No to one of the two questions; nothing sent
    Done,          // message 10142
    Failed,        // message 10141
};
// "Werkseinstellung": asks 10139 and 10140 (default No), sends the reset,
// reports 10142 or 10141, closes the link.
FactoryResetOutcome runFactoryReset(ConnectContext &ctx, CapabilityFlags frameFlags);

// "IP-Adresse": runs the LAN settings dialog with the stored port's SDK name;
// a new address it returns is stored as "LAN: " + address. Then the reader is
// connected and identified again. Returns false when not available.
bool runIpAddressCommand(
    ConnectContext &ctx, FrameState &frame,
    const std::function<std::optional<std::string>(const std::string &sdkPortName)> &lanConfigDialog);

// "Schnittstelle" and the start-up identification: connect (by dialog or by
// the stored settings), then identifyAndClose.
std::optional<IdentifiedReader> runInterfaceCommand(ConnectContext &ctx, FrameState &frame);
std::optional<IdentifiedReader> runStartupIdentification(ConnectContext &ctx, FrameState &frame);

}  // namespace orvex::app
