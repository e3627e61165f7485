#include "gui/keys/function_test_hid_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"
#include "gui/keys/function_test_dialog.h"

namespace orvex::gui {

FunctionTestHidDialog::FunctionTestHidDialog(QWidget *parent) : QDialog(parent) {
    label_ = new QLabel(this);
    box_ = new QPlainTextEdit(this);
    box_->setFont(courierFont(font()));
    box_->setMinimumSize(420, 200);
    clear_ = new QPushButton(this);
    close_ = new QPushButton(this);
    connect(clear_, &QPushButton::clicked, this, &FunctionTestHidDialog::clearText);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    // Enter in the box is the reader's output, not the dialog's default button.
    clear_->setAutoDefault(false);
    close_->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(clear_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(box_, 1);
    layout->addLayout(buttons);
    retranslate();
    box_->setFocus();
}

void FunctionTestHidDialog::clearText() {
    box_->clear();
    box_->setFocus();
}

void FunctionTestHidDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!minimumTaken_) {
        minimumTaken_ = true;
        setMinimumSize(size());
    }
}

void FunctionTestHidDialog::retranslate() {
    setWindowTitle(uiText("functionTestHid.title"));
    label_->setText(uiText("functionTestHid.keyboard"));
    clear_->setText(uiText("report.clear"));
    close_->setText(uiText(503));
}

void FunctionTestHidDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

}  // namespace orvex::gui
