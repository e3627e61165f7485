#include "gui/keys/function_test_dialog.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "base/capabilities.h"
#include "app/prompts.h"
#include "gui/keys/function_test_hid_dialog.h"
#include "gui/app/ui_text.h"
#include "gui/app/wait_hook.h"

namespace orvex::gui {

QFont courierFont(const QFont &dialogFont) {
    QFont font = dialogFont;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

void openFunctionTest(QWidget *parent, app::ConnectContext &ctx, app::CapabilityFlags flags) {
    if (flags & app::CAP_HID) {
        FunctionTestHidDialog dialog(parent);
        dialog.exec();
        return;
    }
    FunctionTestDialog dialog(parent, ctx);
    dialog.exec();
}

FunctionTestDialog::FunctionTestDialog(QWidget *parent, app::ConnectContext &ctx) : QDialog(parent) {
    auto readOnly = [this] {
        auto *box = new QLineEdit(this);
        box->setReadOnly(true);
        return box;
    };
    send_ = new QPushButton(this);
    requestLabel_ = new QLabel(this);
    request_ = readOnly();
    request_->setMaximumWidth(48);
    hexUnit_ = new QLabel(this);
    modeLabel_ = new QLabel(this);
    mode_ = readOnly();
    mode_->setMaximumWidth(48);
    counterLabel_ = new QLabel(this);
    counter_ = readOnly();
    counter_->setMaximumWidth(72);
    asciiLabel_ = new QLabel(this);
    ascii_ = readOnly();
    hexLabel_ = new QLabel(this);
    hex_ = readOnly();
    ascii_->setFont(courierFont(font()));
    hex_->setFont(courierFont(font()));
    ascii_->setMinimumWidth(420);
    relay_ = new QPushButton(this);
    relay_->setCheckable(true);
    buzzer_ = new QPushButton(this);
    close_ = new QPushButton(this);

    auto *top = new QHBoxLayout;
    top->addWidget(send_);
    top->addSpacing(8);
    top->addWidget(requestLabel_);
    top->addWidget(request_);
    top->addWidget(hexUnit_);
    top->addSpacing(16);
    top->addWidget(modeLabel_);
    top->addWidget(mode_);
    top->addSpacing(16);
    top->addWidget(counterLabel_);
    top->addWidget(counter_);
    top->addStretch();

    auto *output = new QGridLayout;
    output->addWidget(asciiLabel_, 0, 0);
    output->addWidget(ascii_, 0, 1);
    output->addWidget(hexLabel_, 1, 0);
    output->addWidget(hex_, 1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(relay_);
    buttons->addWidget(buzzer_);
    buttons->addStretch();
    buttons->addWidget(close_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(output);
    layout->addStretch();
    layout->addLayout(buttons);
    retranslate();

    connect(send_, &QPushButton::clicked, this, [this] {
        test_.sendRequest();
        showTexts();
    });
    connect(relay_, &QPushButton::toggled, this, [this](bool on) { test_.setRelay(on); });
    connect(buzzer_, &QPushButton::clicked, this, [this] { test_.soundBuzzer(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    {
        app::BusyScope busy(ctx.prompts);
        started_ = test_.start(ctx);
    }
    if (!started_) return;
    mode_->setText(QString::number(test_.mode()));
    request_->setText(QStringLiteral("%1 ").arg(test_.requestChar(), 2, 16, QLatin1Char('0')).toUpper());
    counter_->setText(QStringLiteral("0"));
    relay_->setVisible(test_.relayShown());

    timer_ = new QTimer(this);
    timer_->setInterval(app::FunctionTest::PollIntervalMs);
    connect(timer_, &QTimer::timeout, this, &FunctionTestDialog::poll);
    timer_->start();
}

FunctionTestDialog::~FunctionTestDialog() {
    if (timer_) timer_->stop();
    test_.close();
}

int FunctionTestDialog::exec() {
    if (!started_) {
        setResult(Rejected);
        return Rejected;
    }
    return QDialog::exec();
}

void FunctionTestDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!minimumTaken_) {
        // May grow, never shrink below its first size.
        minimumTaken_ = true;
        setMinimumSize(size());
    }
}

void FunctionTestDialog::poll() {
    // A tick inside another command's wait would re-enter the reader link.
    if (insideReaderWait()) return;
    if (test_.pollOutput()) showTexts();
}

void FunctionTestDialog::showTexts() {
    const app::OutputRecorder &rec = test_.recorder();
    // Each record is shown from its start: setText leaves the cursor, and so
    // the view, at the end of a record longer than the box.
    ascii_->setText(QString::fromStdString(rec.ascii()));
    ascii_->setCursorPosition(0);
    hex_->setText(QString::fromStdString(rec.hex()));
    hex_->setCursorPosition(0);
    counter_->setText(QString::number(rec.counter()));
}

void FunctionTestDialog::retranslate() {
    setWindowTitle(uiText("functionTest.title"));
    send_->setText(uiText("functionTest.send"));
    requestLabel_->setText(uiText("functionTest.request"));
    hexUnit_->setText(QStringLiteral("Hex"));
    modeLabel_->setText(uiText("functionTest.mode"));
    counterLabel_->setText(uiText("functionTest.counter"));
    asciiLabel_->setText(uiText("functionTest.ascii"));
    hexLabel_->setText(uiText("functionTest.hex"));
    relay_->setText(uiText("functionTest.relay"));
    buzzer_->setText(uiText("functionTest.buzzer"));
    close_->setText(uiText(503));
}

void FunctionTestDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

}  // namespace orvex::gui
