// Windows that other parts of the desktop program provide (LAN and Bluetooth
// dialogs). Each part registers its opener at
// start-up; the main frame asks here, so it needs no include of them and a
// command whose window is not built in says so in the status bar.
// Register from main.cpp before the main window is created (the main window
// takes the Bluetooth device dialog at construction); static initialisers of
// a static library's object files may never run.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/connect.h"
#include "app/main_commands.h"

namespace orvex::gui {

struct DialogRegistry {
    // "IP-Adresse": the LAN settings dialog; a new address text on OK.
    std::function<std::optional<std::string>(QWidget *parent, const std::string &sdkPortName)>
        lanConfigDialog;
    // "IP ?" of the interface dialog: the IP address search; the chosen address.
    std::function<std::optional<std::string>(QWidget *parent)> ipAddressSearch;
    // "Startmodus" of a Bluetooth reader: the standby dialog.
    std::function<void(QWidget *parent, int &handle)> bluetoothConfigDialog;
    // The Bluetooth device dialog of the connect routine; true on OK.
    std::function<bool(QWidget *parent, int handle)> bluetoothDeviceDialog;

    static DialogRegistry &instance();
};

}  // namespace orvex::gui
