#include "gui/params/transmit_power_dialog.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"

namespace orvex::gui {

TransmitPowerDialog::TransmitPowerDialog(QWidget *parent, int handle, app::Prompts &prompts)
    : QDialog(parent), model_(handle, prompts) {
    auto makeGroup = [this](QGroupBox *&group, QRadioButton *&full, QRadioButton *&half) {
        group = new QGroupBox(this);
        full = new QRadioButton(group);
        half = new QRadioButton(group);
        auto *l = new QVBoxLayout(group);
        l->addWidget(full);
        l->addWidget(half);
        return group;
    };
    set_ = new QPushButton(this);
    close_ = new QPushButton(this);
    set_->setDefault(true);
    connect(set_, &QPushButton::clicked, this, &TransmitPowerDialog::set);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto *groups = new QHBoxLayout;
    groups->addWidget(makeGroup(iso15693_, full15693_, half15693_));
    groups->addWidget(makeGroup(iso14443_, full14443_, half14443_));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(set_);
    buttons->addWidget(close_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();

    model_.show();
    choose(model_.power());
}

void TransmitPowerDialog::choose(const app::TxPower &power) {
    (power.iso15693Half ? half15693_ : full15693_)->setChecked(true);
    (power.iso14443Half ? half14443_ : full14443_)->setChecked(true);
}

app::TxPower TransmitPowerDialog::chosen() const {
    app::TxPower power;
    power.iso15693Half = half15693_->isChecked();
    power.iso14443Half = half14443_->isChecked();
    return power;
}

void TransmitPowerDialog::retranslate() {
    setWindowTitle(uiText("txPower.title"));
    iso15693_->setTitle(uiText("txPower.iso15693"));
    iso14443_->setTitle(uiText("txPower.iso14443"));
    for (QRadioButton *full : {full15693_, full14443_}) full->setText(uiText("txPower.full"));
    for (QRadioButton *half : {half15693_, half14443_}) half->setText(uiText("txPower.half"));
    set_->setText(uiText("button.set"));
    close_->setText(uiText("button.schliessen"));
}

void TransmitPowerDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void TransmitPowerDialog::set() {
    if (model_.set(chosen())) accept();
}

}  // namespace orvex::gui
