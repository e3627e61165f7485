// "Parameter" of the serial sheet for serial, LAN and Bluetooth readers,
// bound to ParamPageSerial.
#pragma once

#include <array>

#include "app/connect.h"
#include "gui/sheets/sheet_page.h"
#include "params/param_page_serial.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvex::gui {

class SerialParamPage : public SheetPage {
    Q_OBJECT
public:
    SerialParamPage(app::ParamPageSerial &model, app::ConnectContext &ctx, app::CapabilityFlags flags,
                    QWidget *parent = nullptr);

    void refresh() override;
    void retranslate() override;

private:
    QLineEdit *edit(const std::string &name, std::string app::ParamPageSerialValues::*member);
    QLabel *label(const std::string &name);

    app::ParamPageSerial &model_;
    app::ConnectContext &ctx_;
    app::CapabilityFlags flags_;
    std::array<QRadioButton *, 4> modes_{};
    std::array<QRadioButton *, 3> powerOn_{};
    QGroupBox *modeGroup_ = nullptr, *powerOnGroup_ = nullptr, *interfaceGroup_ = nullptr,
              *tcpGroup_ = nullptr;
    QCheckBox *sensor_ = nullptr, *dtr_ = nullptr, *tcpClient_ = nullptr;
    QLabel *requestLabel_ = nullptr, *cycleLabel_ = nullptr, *timeoutLabel_ = nullptr;
    QLabel *baudLabel_ = nullptr, *parityLabel_ = nullptr, *stopBitsLabel_ = nullptr,
           *currentLabel_ = nullptr, *setLabel_ = nullptr, *ipLabel_ = nullptr, *portLabel_ = nullptr;
    QComboBox *baud_ = nullptr, *parity_ = nullptr, *stopBits_ = nullptr;
    QPushButton *functionTest_ = nullptr, *readContent_ = nullptr;
};

}  // namespace orvex::gui
