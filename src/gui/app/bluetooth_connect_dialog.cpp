#include "gui/app/bluetooth_connect_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"

namespace orvex::gui {

namespace {
constexpr int kStartDelayMs = 10;
}

BluetoothConnectDialog::BluetoothConnectDialog(QWidget *parent, app::SettingsStore &settings, int handle)
    : QDialog(parent), model_(settings, handle) {
    status_ = new QPlainTextEdit(this);
    status_->setReadOnly(true);
    status_->setMinimumSize(360, 90);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumHeight(120);
    button_ = new QPushButton(this);
    button_->setDefault(true);
    connect(button_, &QPushButton::clicked, this, &BluetoothConnectDialog::press);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { model_.select(row); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(list_);
    layout->addWidget(button_, 0, Qt::AlignRight);
    setWindowTitle(uiText("bt.connectTitle"));
    showModel();
}

void BluetoothConnectDialog::showModel() {
    status_->setPlainText(messageText(model_.statusLog()));
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const auto &name : model_.listEntries()) list_->addItem(QString::fromStdString(name));
    list_->setCurrentRow(model_.selected());
    button_->setText(uiText(model_.buttonCaption()));
}

void BluetoothConnectDialog::press() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    button_->setEnabled(false);
    // The search and the connect block; what they are about is painted first.
    const bool linked = model_.press([this] {
        showModel();
        status_->repaint();
        list_->repaint();
    });
    showModel();
    button_->setEnabled(true);
    QApplication::restoreOverrideCursor();
    if (linked) accept();
}

void BluetoothConnectDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (started_ || !autoStart_) return;
    started_ = true;
    QTimer::singleShot(kStartDelayMs, this, &BluetoothConnectDialog::press);
}

void BluetoothConnectDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) {
        setWindowTitle(uiText("bt.connectTitle"));
        button_->setText(uiText(model_.buttonCaption()));
    }
    QDialog::changeEvent(event);
}

}  // namespace orvex::gui
