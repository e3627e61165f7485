#include "gui/params/read_content_dialog.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"

namespace orvex::gui {

ReadContentDialog::ReadContentDialog(QWidget *parent, app::ConnectContext &ctx, int handle, int baud,
                                     app::CapabilityFlags flags)
    : QDialog(parent), ctx_(ctx) {
    state_.handle = handle;
    state_.baud = baud;
    state_.flags = flags;

    report_ = new QPlainTextEdit(this);
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The report pads its labels to one width; a fixed font keeps the columns.
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setMinimumSize(520, 380);

    read_ = new QPushButton(this);
    clear_ = new QPushButton(this);
    close_ = new QPushButton(this);
    connect(read_, &QPushButton::clicked, this, [this] { readContent(); });
    connect(clear_, &QPushButton::clicked, this, [this] {
        state_.text.clear();
        report_->clear();
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(read_);
    buttons->addWidget(clear_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(report_, 1);
    layout->addLayout(buttons);
    retranslate();
}

void ReadContentDialog::retranslate() {
    setWindowTitle(uiText("report.title"));
    read_->setText(uiText("report.read"));
    clear_->setText(uiText("report.clear"));
    close_->setText(uiText(503));
}

void ReadContentDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void ReadContentDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    // Read once the window is on screen, so the report grows visibly.
    QTimer::singleShot(0, this, [this] {
        if (!readContent()) reject();
    });
}

void ReadContentDialog::showText(const std::string &text) {
    report_->setPlainText(messageText(text));
    report_->repaint();
}

bool ReadContentDialog::readContent() {
    const bool connected =
        app::readContent(ctx_, state_, [this](const std::string &text) { showText(text); });
    showText(state_.text);
    return connected;
}

void ReadContentDialog::closeReader() { app::closeReader(state_.handle); }

QString ReadContentDialog::reportText() const { return report_->toPlainText(); }

}  // namespace orvex::gui
