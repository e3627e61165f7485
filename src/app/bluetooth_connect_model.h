// What the Bluetooth connect dialog decides: connect to the remembered (or
// chosen) reader, else search and list the maker's readers, with a status
// log of each step. The window shows the state and presses the button.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/bluetooth_devices.h"

namespace orvex::app {

class SettingsStore;

class BluetoothConnectModel {
public:
    // The dialog's inquiry buffer holds ten records.
    static constexpr int kRecordCapacity = 10;

    // Starts with the reader remembered in the settings, if any.
    BluetoothConnectModel(SettingsStore &settings, int handle);

    // Message id of the button's caption: 563 "Verbinden" with a chosen
    // reader or a filled list, 550 "Suchen" otherwise.
    int buttonCaption() const { return caption_; }
    const std::vector<std::string> &listEntries() const { return list_; }
    // Index of the selected entry, -1 for none.
    int selected() const { return selected_; }
    void select(int index) { selected_ = index >= 0 && index < static_cast<int>(list_.size()) ? index : -1; }
    const std::string &statusLog() const { return log_; }

    // One press of the button. `show` runs after each change the person
    // should see before the next blocking call. True when a link was set up:
    // the reader is remembered and the dialog ends with OK.
    bool press(const std::function<void()> &show);

private:
    bool connectChosen(const std::function<void()> &show);
    void search(const std::function<void()> &show);

    SettingsStore &settings_;
    const int handle_;
    std::string log_;
    std::vector<std::string> list_;
    int selected_ = -1;
    int caption_;
    std::optional<BtDevice> chosen_;
    std::vector<BtDevice> found_;  // what the last search of this dialog returned
};

}  // namespace orvex::app
