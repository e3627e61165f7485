// "Schnittstelle": choosing how the reader is attached. The loader, list
// texts, line settings and OK logic are liborvexapp's (interface_settings.h);
// this dialog shows them, keeps the lists current while it is open and runs
// the USB mode switch and driver check.
#pragma once

#include <QDialog>

#include "app/interface_settings.h"
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

    const app::PortSettings &portSettings() const { return settings_; }
    QListWidget *portList() const { return list_; }
    int refreshCounter() const { return refreshCounter_; }

    // Device-change notification: DeviceArrival, DeviceNodesChanged or
    // OwnRefreshRequest.
    void refresh(int code);
    static constexpr int OwnRefreshRequest = 24;

    void accept() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildWidgets();
    void retranslate();
    void startDialog();
    void rebuildList();
    void selectByPortName();
    void applyKind();
    void updateUsbRadios();
    bool driverCheck();
    void postRefresh();
    void onSelectionChanged();
    void onEthernetClicked();
    void onIpSearch();
    void onHidMode();
    void onVirtualCom();
    void pause(int milliseconds);
    void openDriverPage();

    app::SettingsStore &store_;
    app::DeviceListProviders devices_;
    app::Prompts &prompts_;
    app::PortSettings settings_;
    app::DeviceLists lists_;
    std::vector<std::string> texts_;

    bool refreshing_ = false;
    bool driverChecked_ = false;
    int refreshCounter_ = 0;
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
