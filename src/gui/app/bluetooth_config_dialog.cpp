#include "gui/app/bluetooth_config_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/bluetooth_standby.h"
#include "app/prompts.h"
#include "base/message_ids.h"
#include "gui/app/ui_text.h"

namespace orvex::gui {

namespace {
constexpr int kCancelText = 507;
}

BluetoothConfigDialog::BluetoothConfigDialog(QWidget *parent, int handle, app::Prompts &prompts)
    : QDialog(parent), handle_(handle), prompts_(prompts) {
    after_ = new QLabel(this);
    seconds_ = new QLineEdit(this);
    seconds_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), seconds_));
    seconds_->setMaxLength(5);
    seconds_->setFixedWidth(70);
    unit_ = new QLabel(this);
    note_ = new QLabel(this);
    ok_ = new QPushButton(this);
    cancel_ = new QPushButton(this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &BluetoothConfigDialog::confirm);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto *row = new QHBoxLayout;
    row->addWidget(after_);
    row->addWidget(seconds_);
    row->addWidget(unit_);
    row->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();

    if (const auto seconds = app::readStandbySeconds(handle_))
        seconds_->setText(QString::number(*seconds));
    else
        prompts_.showMessage(app::StringTable::instance().text(app::msg::kConfigNotRead),
                             app::MessageIcon::Warning);
}

void BluetoothConfigDialog::confirm() {
    const std::string text = seconds_->text().toStdString();
    if (const auto error = app::standbyInputError(text)) {
        prompts_.showMessage(*error, app::MessageIcon::Warning);
        seconds_->setFocus();
        seconds_->selectAll();
        return;
    }
    if (!app::writeStandbySeconds(handle_, std::stoi(text))) {
        prompts_.showMessage(app::StringTable::instance().text(app::msg::kProgrammingFailed),
                             app::MessageIcon::Warning);
        return;
    }
    accept();
}

void BluetoothConfigDialog::retranslate() {
    setWindowTitle(uiText("bt.configTitle"));
    after_->setText(uiText("bt.standbyAfter"));
    unit_->setText(uiText("bt.seconds"));
    note_->setText(uiText("bt.standbyNote"));
    ok_->setText(uiText("button.ok"));
    cancel_->setText(uiText(kCancelText));
}

void BluetoothConfigDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

}  // namespace orvex::gui
