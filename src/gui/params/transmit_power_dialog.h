// "Sendeleistung": full or half transmit power for the ISO 15693 and the
// ISO 14443 (MIFARE) mode, through liborvexapp's TxPowerModel.
#pragma once

#include <QDialog>

#include "params/reader_option_models.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace orvex::gui {

class TransmitPowerDialog : public QDialog {
    Q_OBJECT
public:
    TransmitPowerDialog(QWidget *parent, int handle, app::Prompts &prompts);

    app::TxPower chosen() const;
    void choose(const app::TxPower &power);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void set();

    app::TxPowerModel model_;
    QGroupBox *iso15693_ = nullptr, *iso14443_ = nullptr;
    QRadioButton *full15693_ = nullptr, *half15693_ = nullptr;
    QRadioButton *full14443_ = nullptr, *half14443_ = nullptr;
    QPushButton *set_ = nullptr, *close_ = nullptr;
};

}  // namespace orvex::gui
