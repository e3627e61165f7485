// "Schnittstelle": choosing how the reader is attached. Every rule is the
// model's (app/interface_selection.h); this dialog shows its state, forwards
// the user's acts and runs the one-second refresh timer it asks for.
#pragma once

#include <QDialog>

#include "app/interface_selection.h"
#include "app/prompts.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;

namespace orvex::app {
class SettingsStore;
}

namespace orvex::gui {

class DeviceMonitor;

class InterfaceDialog : public QDialog {
    Q_OBJECT
public:
    // Runs the settings loader (which may rewrite "Port"/"Name").
    InterfaceDialog(QWidget *parent, app::SettingsStore &store, const app::DeviceListProviders &devices,
                    app::Prompts &prompts);

    const app::PortSettings &portSettings() const { return model_.settings(); }
    QListWidget *portList() const { return list_; }
    int refreshCounter() const { return model_.refreshCounter(); }

    // Device-change notification: app::kDeviceArrival, kDeviceNodesChanged or
    // kOwnRefreshRequest.
    void refresh(int code);
    static constexpr int OwnRefreshRequest = app::kOwnRefreshRequest;

    void accept() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildWidgets();
    void retranslate();
    void startDialog();
    void showList();
    void showSelectionState();
    void postRefresh();
    void onSelectionChanged();
    void onEthernetClicked();
    void onIpSearch();
    void onUsbMode(bool toHid);
    void pause(int milliseconds);

    app::Prompts &prompts_;
    app::InterfaceSelection model_;
    QTimer *refreshTimer_ = nullptr;
    DeviceMonitor *monitor_ = nullptr;

    QGroupBox *group_ = nullptr;
    QListWidget *list_ = nullptr;
    QCheckBox *ethernet_ = nullptr;
    QPushButton *ipSearch_ = nullptr;
    QRadioButton *hidMode_ = nullptr;
    QRadioButton *virtualCom_ = nullptr;
    QButtonGroup *usbModes_ = nullptr;
    QLabel *baudLabel_ = nullptr, *parityLabel_ = nullptr, *stopLabel_ = nullptr;
    QLabel *timeoutLabel_ = nullptr, *addressLabel_ = nullptr;
    QComboBox *baud_ = nullptr, *parity_ = nullptr, *stopBits_ = nullptr;
    QLineEdit *timeout_ = nullptr, *address_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr;
};

}  // namespace orvex::gui
