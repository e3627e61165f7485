// "Bluetooth Konfiguration": the reader's standby time, 10-2500 seconds.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvex::app {
class Prompts;
}

namespace orvex::gui {

class BluetoothConfigDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the standby time at once; an unreadable time leaves the edit empty.
    BluetoothConfigDialog(QWidget *parent, int handle, app::Prompts &prompts);

    QLineEdit *secondsEdit() const { return seconds_; }
    // "OK": checks, writes and closes, or says what is wrong and stays.
    void confirm();

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    const int handle_;
    app::Prompts &prompts_;
    QLabel *after_ = nullptr;
    QLineEdit *seconds_ = nullptr;
    QLabel *unit_ = nullptr;
    QLabel *note_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
};

}  // namespace orvex::gui
