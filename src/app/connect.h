// The connect routine: turns the stored interface settings into an open,
// identified port handle (hunting the baud rate on plain serial ports),
// derives the capability flags and writes the window title; and the
// main-frame operations around it that decide when to ask for an interface.
//
// No handle stays open between user commands: every command connects, uses
// the handle and ends with closeReader (output mode 2, then close).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/interface_settings.h"
#include "app/prompts.h"
#include "app/reader_identity.h"

namespace orvex::app {

class SettingsStore;

// Results of connectAndIdentify besides a handle > 0.
enum ConnectResult : int {
    ConnectCannotOpen = 0,    // any failed open, also after the baud hunt
    ConnectNoAnswer = -2,     // no version answer (message 522)
    ConnectUnsupported = -4,  // type code not supported (message 523)
    ConnectProgrammer = -5,   // pure programmer (message 549)
    ConnectPortBusy = -6,     // the port is held by another program (the open failed with EBUSY)
};

// Rates the baud hunt cycles through, in order.
inline constexpr int BaudHuntCycle[] = {2400, 4800, 9600, 19200, 38400};
// The rates tried after the start rate got no answer: the cycle from the
// start's successor back to just before the start; none for a rate outside it.
std::vector<int> baudHuntOrder(int startRate);

// What the routine needs from its surroundings. One context lives as long as
// the program (or one orvexctl run).
struct ConnectContext {
    ConnectContext(SettingsStore &s, Prompts &p) : settings(s), prompts(p) {}

    SettingsStore &settings;
    Prompts &prompts;
    DeviceListProviders devices = systemDeviceLists();

    // Bluetooth device dialog with the open handle; true when it ends with
    // OK. Unset: the connect goes on as after OK.
    std::function<bool(int handle)> bluetoothDeviceDialog;
    // The interface selection dialog run modally; true when it ended with OK
    // (and stored the settings).
    std::function<bool()> interfaceDialog;
    // Receives every title the routine writes; unset without a main window.
    std::function<void(const std::string &title)> setTitle;
    // Device update check request (command 1035 posted to the main window).
    std::function<void()> deviceUpdateNotice;

    // The last title written (also kept without a main window).
    std::string title;
    // The result of the last connectAndIdentify (a handle or a ConnectResult).
    int lastResult = 0;
    // Model name read by the last connect that got a version answer.
    std::string lastModel;
    // The reader identified last in this run (About box, update check).
    DeviceIdentity identity;
};

// The main frame's view of the last identified reader.
struct FrameState {
    CapabilityFlags flags = 0;
    int baud = 19200;
};

// The routine proper. flags is written only on success. Returns a handle
// (reader in output mode 0) or a ConnectResult. After the Bluetooth device
// dialog was cancelled the port is closed again and the result is 1, which
// the reader link treats as an invalid handle.
int connectAndIdentify(ConnectContext &ctx, CapabilityFlags &flags);

// connectAndIdentify; on success baud := "Port"/"Baudrate". Otherwise 0,
// after message 522, 523 or 549 for -2, -4, -5 when showMessages is on.
int connectReader(ConnectContext &ctx, int &baud, CapabilityFlags &flags, bool showMessages);

// Output mode 2, close, handle := 0; nothing for handle 0.
void closeReader(int &handle);

// Start-up and the menu commands that use the stored port: connects quietly,
// asks for an interface when that gives no reader (and follows a single
// attached USB reader). Handle or 0. Keeps frame.flags and frame.baud.
int connectWithStoredSettings(ConnectContext &ctx, FrameState &frame);

// Shows the interface dialog until a reader connects or the person cancels.
int selectInterfaceAndConnect(ConnectContext &ctx, FrameState &frame);

// Keeps the identity for the About box and, when "Version"/"Update" is on,
// requests the device update check.
void storeDeviceIdentity(ConnectContext &ctx, std::string_view versionAnswer, std::string_view modelName);

// A reader read back over an open handle.
struct IdentifiedReader {
    std::string versionAnswer;  // four characters as read
    std::string modelName;
};

// The identification after a connect (start-up, "Schnittstelle"): reads
// version and name, closes the handle, then storeDeviceIdentity. nullopt
// (handle closed all the same) when the version cannot be read.
std::optional<IdentifiedReader> identifyAndClose(ConnectContext &ctx, int &handle);

}  // namespace orvex::app
