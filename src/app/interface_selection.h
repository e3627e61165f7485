// The interface dialog without its window: the lists it shows and keeps
// current, the selection and what it enables, the USB driver check, the
// switch of a USB reader between HID keyboard mode and virtual COM mode, and
// OK. The dialog only shows this model's state and forwards the user's acts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/interface_settings.h"
#include "app/prompts.h"

namespace orvex::app {

class SettingsStore;

// Device-change codes a refresh is asked with.
inline constexpr int kDeviceArrival = 0x8000;
inline constexpr int kDeviceNodesChanged = 7;
inline constexpr int kOwnRefreshRequest = 24;

// What the window provides: a wait that keeps it painted but takes no input
// (the reader restarts, the browser starts), and the opener of web pages.
struct InterfaceSelectionHooks {
    std::function<void(int milliseconds)> pause;
    std::function<void(const std::string &address)> openPage;
};

class InterfaceSelection {
public:
    // Runs the settings loader (which may rewrite "Port"/"Name") and builds
    // the list with its initial selection.
    InterfaceSelection(SettingsStore &store, DeviceListProviders devices, Prompts &prompts,
                       InterfaceSelectionHooks hooks);

    const PortSettings &settings() const { return settings_; }
    const std::vector<std::string> &texts() const { return texts_; }
    // Index into texts(); nullopt when nothing is selected.
    std::optional<std::size_t> selection() const { return selection_; }
    // Baud, parity and stop bits are offered only for serial ports.
    bool lineSettingsEnabled() const { return settings_.kind == PortKind::Serial; }
    UsbModeRadios usbRadios() const;
    bool ipSearchShown() const { return settings_.ethernet; }

    // A device-change notification. True when the list texts changed.
    // scheduleRefresh() then tells whether the window's one-second timer is
    // to post another own request: an arrival is followed by five refreshes.
    bool refresh(int code);
    bool scheduleRefresh() const { return scheduleRefresh_; }
    int refreshCounter() const { return refreshCounter_; }
    static constexpr int RefreshDelayMs = 1000;

    void select(std::optional<std::size_t> index);
    void setEthernet(bool on);
    // The address the IP search returned (cut after its "]").
    void chooseLanAddress(const std::string &address);

    // "HID Mode" and "Virtual Com" on the selected item. True when the reader
    // took the switch and restarts in its other mode: the port name is then
    // cleared and the lists are to be refreshed as after a device change. A
    // reader that cannot be opened or refuses keeps its name (message 522).
    bool switchToHidMode();
    bool switchToVirtualCom();

    // OK with the dialog's line settings (nullopt: no baud chosen), timeout
    // and address. False keeps the dialog open (a value out of range).
    bool accept(std::optional<LineCombos> line, int timeoutMs, int address);

private:
    void rebuildTexts(bool initial);
    bool driverCheck();
    bool finishModeSwitch(bool switched);
    void openDriverPage();
    const std::string *selectedText() const;

    SettingsStore &store_;
    DeviceListProviders devices_;
    Prompts &prompts_;
    InterfaceSelectionHooks hooks_;
    PortSettings settings_;
    DeviceLists lists_;
    std::vector<std::string> texts_;
    std::optional<std::size_t> selection_;
    std::string storedSerialPort_;  // listed even when enumeration misses it
    bool refreshing_ = false;
    bool driverChecked_ = false;
    bool scheduleRefresh_ = false;
    int refreshCounter_ = 0;
};

}  // namespace orvex::app
