// "LAN Einstellung": one LAN reader's network settings. The rules are the
// model's (app/lan_config.h); this window shows the fields, enables what the
// mode allows and shows the progress while the reader comes back.
#pragma once

#include <QDialog>

#include "app/lan_config.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QLabel;

namespace orvex::gui {

class LanConfigDialog : public QDialog {
    Q_OBJECT
public:
    LanConfigDialog(QWidget *parent, const std::string &address, app::LanFunctions lan,
                    app::Prompts &prompts);

    // The address as opened; the new one after a successful change.
    const std::string &address() const { return model_.address(); }

    void accept() override;

    QRadioButton *dhcpRadio() const { return dhcp_; }
    QRadioButton *fixedRadio() const { return fixed_; }
    QLineEdit *dhcpNameEdit() const { return dhcpName_; }
    QLineEdit *ipAddressEdit() const { return ipAddress_; }
    QLineEdit *fixedPortEdit() const { return fixedPort_; }
    QLineEdit *maskEdit() const { return mask_; }
    QLineEdit *gatewayEdit() const { return gateway_; }
    QProgressBar *progressBar() const { return progress_; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildWidgets();
    void retranslate();
    void showFields();
    void showMode();
    void readControls();
    bool quadsComplete();
    void showProgress(int elapsedMs);
    void endProgress();
    QLineEdit *editFor(app::LanConfigControl control) const;

    app::Prompts &prompts_;
    app::LanConfigModel model_;
    QRadioButton *dhcp_ = nullptr, *fixed_ = nullptr;
    QLabel *dhcpNameLabel_ = nullptr, *ipLabel_ = nullptr, *maskLabel_ = nullptr, *gatewayLabel_ = nullptr;
    QLineEdit *dhcpName_ = nullptr, *dhcpPort_ = nullptr, *ipAddress_ = nullptr, *fixedPort_ = nullptr;
    QLineEdit *mask_ = nullptr, *gateway_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr;
};

}  // namespace orvex::gui
