// "Bluetooth Verbindungsaufbau": connects the dongle to the remembered reader
// or searches and lists the maker's readers, with a status log. Starts its
// first run by itself right after it appears.
#pragma once

#include <QDialog>

#include "app/bluetooth_connect_model.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace orvex::app {
class SettingsStore;
}

namespace orvex::gui {

class BluetoothConnectDialog : public QDialog {
    Q_OBJECT
public:
    BluetoothConnectDialog(QWidget *parent, app::SettingsStore &settings, int handle);

    // Set before exec() to keep the dialog from pressing its button at start.
    void setAutoStart(bool on) { autoStart_ = on; }
    // One run of the button, as a click does it.
    void press();

    QPlainTextEdit *statusBox() const { return status_; }
    QListWidget *list() const { return list_; }
    QPushButton *button() const { return button_; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showModel();

    app::BluetoothConnectModel model_;
    QPlainTextEdit *status_ = nullptr;
    QListWidget *list_ = nullptr;
    QPushButton *button_ = nullptr;
    bool autoStart_ = true;
    bool started_ = false;
};

}  // namespace orvex::gui
