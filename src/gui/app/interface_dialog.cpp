#include "gui/app/interface_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/desktop_open.h"
#include "app/usb_mode_switch.h"
#include "app/reader_identity.h"
#include "gui/app/device_monitor.h"
#include "gui/app/dialog_registry.h"
#include "gui/app/field_check.h"
#include "gui/app/ui_text.h"
#include "orvex/orvex.h"

namespace orvex::gui {

using namespace app;

namespace {

constexpr int kRefreshDelayMs = 1000;
constexpr int kRefreshRepeats = 4;  // an arrival is followed by five refreshes
constexpr int kModeSwitchWaitMs = 1000;
constexpr int kDriverPageWaitMs = 2000;

const char *const kParityNames[] = {"param.parity.0", "param.parity.1", "param.parity.2"};

}  // namespace

InterfaceDialog::InterfaceDialog(QWidget *parent, SettingsStore &store, const DeviceListProviders &devices,
                                 Prompts &prompts)
    : QDialog(parent), store_(store), devices_(devices), prompts_(prompts) {
    settings_ = LoadPortSettings(store_, devices_);
    buildWidgets();
    retranslate();

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshDelayMs);
    connect(refreshTimer_, &QTimer::timeout, this, &InterfaceDialog::postRefresh);
    monitor_ = new DeviceMonitor(this);
    connect(monitor_, &DeviceMonitor::deviceChanged, this, &InterfaceDialog::refresh);

    startDialog();
}

void InterfaceDialog::buildWidgets() {
    group_ = new QGroupBox(this);
    list_ = new QListWidget(group_);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumWidth(360);
    ethernet_ = new QCheckBox(group_);
    ipSearch_ = new QPushButton(group_);
    hidMode_ = new QRadioButton(group_);
    virtualCom_ = new QRadioButton(group_);
    // The two radios show a state; neither stays chosen by a click alone.
    usbModes_ = new QButtonGroup(this);
    usbModes_->setExclusive(false);
    usbModes_->addButton(hidMode_);
    usbModes_->addButton(virtualCom_);

    baudLabel_ = new QLabel(group_);
    parityLabel_ = new QLabel(group_);
    stopLabel_ = new QLabel(group_);
    timeoutLabel_ = new QLabel(group_);
    addressLabel_ = new QLabel(group_);
    baud_ = new QComboBox(group_);
    for (int rate : BaudRates) baud_->addItem(QString::number(rate));
    parity_ = new QComboBox(group_);
    for (int i = 0; i < 3; ++i) parity_->addItem(QString());
    stopBits_ = new QComboBox(group_);
    stopBits_->addItems({QStringLiteral("1"), QStringLiteral("2")});
    timeout_ = new QLineEdit(group_);
    timeout_->setValidator(new QIntValidator(0, 9999999, timeout_));
    address_ = new QLineEdit(group_);
    address_->setValidator(new QIntValidator(0, 999, address_));

    auto *usbRow = new QHBoxLayout;
    usbRow->addWidget(hidMode_);
    usbRow->addWidget(virtualCom_);
    usbRow->addStretch();
    auto *lanRow = new QHBoxLayout;
    lanRow->addWidget(ethernet_);
    lanRow->addStretch();
    lanRow->addWidget(ipSearch_);

    auto *line = new QGridLayout;
    line->addWidget(baudLabel_, 0, 0);
    line->addWidget(baud_, 0, 1);
    line->addWidget(parityLabel_, 1, 0);
    line->addWidget(parity_, 1, 1);
    line->addWidget(stopLabel_, 2, 0);
    line->addWidget(stopBits_, 2, 1);
    line->addWidget(timeoutLabel_, 3, 0);
    line->addWidget(timeout_, 3, 1);
    line->addWidget(addressLabel_, 4, 0);
    line->addWidget(address_, 4, 1);
    line->setColumnStretch(1, 1);

    auto *groupLayout = new QVBoxLayout(group_);
    groupLayout->addWidget(list_, 1);
    groupLayout->addLayout(lanRow);
    groupLayout->addLayout(usbRow);
    groupLayout->addLayout(line);

    auto *buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &InterfaceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &InterfaceDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group_, 1);
    layout->addWidget(buttons);

    connect(list_, &QListWidget::itemSelectionChanged, this, &InterfaceDialog::onSelectionChanged);
    connect(ethernet_, &QCheckBox::clicked, this, &InterfaceDialog::onEthernetClicked);
    connect(ipSearch_, &QPushButton::clicked, this, &InterfaceDialog::onIpSearch);
    connect(hidMode_, &QRadioButton::clicked, this, &InterfaceDialog::onHidMode);
    connect(virtualCom_, &QRadioButton::clicked, this, &InterfaceDialog::onVirtualCom);
}

void InterfaceDialog::retranslate() {
    setWindowTitle(uiText("interface.title"));
    group_->setTitle(uiText("interface.group"));
    ethernet_->setText(uiText("interface.ethernet"));
    ipSearch_->setText(uiText("interface.ipSearch"));
    hidMode_->setText(uiText("interface.hidMode"));
    virtualCom_->setText(uiText("interface.virtualCom"));
    baudLabel_->setText(uiText("param.baudRate"));
    parityLabel_->setText(uiText("param.parity"));
    stopLabel_->setText(uiText("interface.stopBits"));
    timeoutLabel_->setText(uiText("interface.timeout"));
    addressLabel_->setText(uiText("interface.address"));
    for (int i = 0; i < 3; ++i) parity_->setItemText(i, uiText(kParityNames[i]));
    ok_->setText(uiText("button.ok"));
    cancel_->setText(uiText(507));
}

void InterfaceDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void InterfaceDialog::startDialog() {
    const LineCombos combos = LineCombosFromBaudValue(settings_.baudValue);
    baud_->setCurrentIndex(baud_->findText(QString::number(combos.rate)));
    parity_->setCurrentIndex(combos.parity);
    stopBits_->setCurrentIndex(combos.stopBits);
    timeout_->setText(QString::number(settings_.timeoutMs));
    address_->setText(QString::number(settings_.address));
    ethernet_->setChecked(settings_.ethernet);

    lists_ = EnumerateDevices(devices_, settings_.ethernet);
    texts_ = InterfaceListTexts(lists_);
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const std::string &text : texts_) list_->addItem(QString::fromStdString(text));
        const auto index = InitialSelection(texts_, settings_.name);
        if (index) list_->setCurrentRow(int(*index));
    }
    applyKind();
    updateUsbRadios();
    ipSearch_->setVisible(settings_.ethernet);
    adjustSize();
    setMinimumSize(sizeHint());
    postRefresh();
}

void InterfaceDialog::postRefresh() {
    QMetaObject::invokeMethod(
        this, [this] { refresh(OwnRefreshRequest); }, Qt::QueuedConnection);
}

void InterfaceDialog::rebuildList() {
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const std::string &text : texts_) list_->addItem(QString::fromStdString(text));
    selectByPortName();
}

void InterfaceDialog::selectByPortName() {
    const auto index = SelectByPrefix(texts_, settings_.name);
    if (index)
        list_->setCurrentRow(int(*index));
    else
        list_->clearSelection();
}

void InterfaceDialog::applyKind() {
    settings_.kind = PortKindOf(settings_.name, settings_.ethernet);
    const bool serial = settings_.kind == PortKind::Serial;
    for (QWidget *w :
         {static_cast<QWidget *>(baud_), static_cast<QWidget *>(parity_), static_cast<QWidget *>(stopBits_)})
        w->setEnabled(serial);
}

void InterfaceDialog::updateUsbRadios() {
    const UsbModeRadios radios = UsbModeRadiosFor(settings_.name);
    hidMode_->setEnabled(radios.hidEnabled);
    hidMode_->setChecked(radios.hidChecked);
    virtualCom_->setEnabled(radios.vcomEnabled);
    virtualCom_->setChecked(radios.vcomChecked);
}

bool InterfaceDialog::driverCheck() {
    const std::string question = DriverCheckQuestion(Orvex_GetUsbDriverState());
    if (question.empty()) return false;
    if (prompts_.askYesNo(question, true)) openDriverPage();
    return true;
}

void InterfaceDialog::openDriverPage() {
    DesktopOpen(DriverDownloadPage());
    pause(kDriverPageWaitMs);
}

void InterfaceDialog::refresh(int code) {
    if (refreshing_) return;
    refreshing_ = true;
    for (int pass = 0; pass < 2; ++pass) {
        DeviceLists fresh = EnumerateDevices(devices_, settings_.ethernet);
        const bool changed = fresh.com != lists_.com || fresh.usb != lists_.usb || fresh.lan != lists_.lan ||
                             fresh.bluetooth != lists_.bluetooth;
        lists_ = std::move(fresh);
        if (changed) {
            texts_ = InterfaceListTexts(lists_);
            rebuildList();
        }
        if (driverChecked_) break;
        driverChecked_ = true;
        if (!driverCheck()) break;  // a shown driver message is followed by a second pass
    }
    updateUsbRadios();

    if (code == DeviceArrival || code == DeviceNodesChanged) {
        refreshCounter_ = 1;
        refreshTimer_->start();
    } else if (code == OwnRefreshRequest && refreshCounter_ >= 1 && refreshCounter_ <= kRefreshRepeats) {
        ++refreshCounter_;
        refreshTimer_->start();
    } else {
        refreshCounter_ = 0;
    }
    refreshing_ = false;
}

void InterfaceDialog::onSelectionChanged() {
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        const UsbModeRadios none = UsbModeRadiosFor("");
        hidMode_->setEnabled(none.hidEnabled);
        hidMode_->setChecked(false);
        virtualCom_->setEnabled(none.vcomEnabled);
        virtualCom_->setChecked(false);
        return;
    }
    settings_.name = selected.first()->text().toStdString();
    applyKind();
    updateUsbRadios();
}

void InterfaceDialog::onEthernetClicked() {
    settings_.ethernet = ethernet_->isChecked();
    postRefresh();
    ipSearch_->setVisible(settings_.ethernet);
}

void InterfaceDialog::onIpSearch() {
    const auto &search = DialogRegistry::instance().ipAddressSearch;
    if (!settings_.ethernet || !search) return;
    const std::optional<std::string> address = search(this);
    if (address) {
        std::string chosen = *address;
        const auto bracket = chosen.find(']');
        if (bracket != std::string::npos && bracket > 0) chosen.resize(bracket + 1);
        settings_.name = std::string(LanPrefix) + chosen;
    }
    postRefresh();
}

void InterfaceDialog::onHidMode() {
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QListWidgetItem *item = list_->currentItem();
        if (item && item->isSelected()) {
            const std::string text = item->text().toStdString();
            if (IsQelVirtualComPort(text)) {
                SwitchVirtualComToHid(text);
                settings_.name.clear();
                pause(kModeSwitchWaitMs);
            }
        }
        QApplication::restoreOverrideCursor();
    }
    updateUsbRadios();
}

void InterfaceDialog::onVirtualCom() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QListWidgetItem *item = list_->currentItem();
    if (item && item->isSelected()) {
        const std::string text = item->text().toStdString();
        if (IsSwitchableUsbReader(text)) {
            if (Orvex_IsVirtualComDriverInstalled() == 1) {
                SwitchHidToVirtualCom(text);
                settings_.name.clear();
                pause(kModeSwitchWaitMs);
            } else {
                QApplication::restoreOverrideCursor();
                const bool yes = prompts_.askYesNo(VirtualComDriverQuestion(), true);
                QApplication::setOverrideCursor(Qt::WaitCursor);
                if (yes) openDriverPage();
            }
        }
    }
    QApplication::restoreOverrideCursor();
    updateUsbRadios();
}

void InterfaceDialog::pause(int milliseconds) {
    // The reader restarts meanwhile; keep painting, take no input.
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void InterfaceDialog::accept() {
    const std::optional<int> timeout = readIntField(timeout_, TimeoutMin, TimeoutMax, prompts_);
    if (!timeout) return;
    const std::optional<int> address = readIntField(address_, AddressMin, AddressMax, prompts_);
    if (!address) return;

    PortSettings result = settings_;
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    if (!selected.isEmpty()) {
        result.name = selected.first()->text().toStdString();
        result.kind = PortKindOf(result.name, result.ethernet);
    } else {
        result.name.clear();  // nothing chosen: "Name" stays as stored
    }
    if (baud_->currentIndex() >= 0) {
        // The line combos count even when disabled.
        LineCombos combos;
        combos.rate = baud_->currentText().toInt();
        combos.parity = parity_->currentIndex();
        combos.stopBits = stopBits_->currentIndex();
        result.baudValue = BaudValueFromLineCombos(combos);
    }
    result.timeoutMs = *timeout;
    result.address = *address;
    result.ethernet = ethernet_->isChecked();
    if (!StorePortSettings(store_, result)) return;
    settings_ = result;
    QDialog::accept();
}

}  // namespace orvex::gui
