#include "gui/sheets/overflow_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"

namespace orvex::gui {

OverflowDialog::OverflowDialog(QWidget *parent) : QDialog(parent) {
    first_ = new QLabel(this);
    second_ = new QLabel(this);
    ok_ = new QPushButton(this);
    ok_->setDefault(true);
    ok_->installEventFilter(this);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(first_);
    layout->addWidget(second_);
    layout->addLayout(buttons);
    retranslate();
}

bool OverflowDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ok_ && event->type() == QEvent::KeyRelease)
        emit keyReleased(*static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

void OverflowDialog::keyReleaseEvent(QKeyEvent *event) {
    emit keyReleased(*event);
    QDialog::keyReleaseEvent(event);
}

void OverflowDialog::retranslate() {
    setWindowTitle(uiText(57344));
    first_->setText(uiText("overflow.text"));
    second_->setText(uiText("overflow.notAdded"));
    ok_->setText(uiText("button.ok"));
}

void OverflowDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

}  // namespace orvex::gui
