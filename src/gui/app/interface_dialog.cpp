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
#include "gui/app/device_monitor.h"
#include "gui/app/field_check.h"
#include "gui/app/ip_search_dialog.h"
#include "gui/app/ui_text.h"
#include "gui/app/window_lan_functions.h"

namespace orvex::gui {

using namespace app;

namespace {

const char *const kParityNames[] = {"param.parity.0", "param.parity.1", "param.parity.2"};

}  // namespace

InterfaceDialog::InterfaceDialog(QWidget *parent, SettingsStore &store, const DeviceListProviders &devices,
                                 Prompts &prompts)
    : QDialog(parent),
      prompts_(prompts),
      model_(store, devices, prompts,
             {[this](int ms) { pause(ms); }, [](const std::string &page) { desktopOpen(page); }}) {
    buildWidgets();
    retranslate();

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(InterfaceSelection::RefreshDelayMs);
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
    // After a mode switch the port name is empty while a refresh may have
    // highlighted an item: clicking that item must still choose it.
    connect(list_, &QListWidget::itemClicked, this, &InterfaceDialog::onSelectionChanged);
    connect(ethernet_, &QCheckBox::clicked, this, &InterfaceDialog::onEthernetClicked);
    connect(ipSearch_, &QPushButton::clicked, this, &InterfaceDialog::onIpSearch);
    connect(hidMode_, &QRadioButton::clicked, this, [this] { onUsbMode(true); });
    connect(virtualCom_, &QRadioButton::clicked, this, [this] { onUsbMode(false); });
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
    const PortSettings &settings = model_.settings();
    const LineCombos combos = lineCombosFromBaudValue(settings.baudValue);
    baud_->setCurrentIndex(baud_->findText(QString::number(combos.rate)));
    parity_->setCurrentIndex(combos.parity);
    stopBits_->setCurrentIndex(combos.stopBits);
    timeout_->setText(QString::number(settings.timeoutMs));
    address_->setText(QString::number(settings.address));
    ethernet_->setChecked(settings.ethernet);
    showList();
    adjustSize();
    setMinimumSize(sizeHint());
    postRefresh();
}

void InterfaceDialog::postRefresh() {
    QMetaObject::invokeMethod(
        this, [this] { refresh(OwnRefreshRequest); }, Qt::QueuedConnection);
}

void InterfaceDialog::showList() {
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const std::string &text : model_.texts()) list_->addItem(QString::fromStdString(text));
        if (const auto index = model_.selection())
            list_->setCurrentRow(int(*index));
        else
            list_->clearSelection();
    }
    showSelectionState();
}

void InterfaceDialog::showSelectionState() {
    const bool serial = model_.lineSettingsEnabled();
    for (QWidget *w :
         {static_cast<QWidget *>(baud_), static_cast<QWidget *>(parity_), static_cast<QWidget *>(stopBits_)})
        w->setEnabled(serial);
    const UsbModeRadios radios = model_.usbRadios();
    hidMode_->setEnabled(radios.hidEnabled);
    hidMode_->setChecked(radios.hidChecked);
    virtualCom_->setEnabled(radios.vcomEnabled);
    virtualCom_->setChecked(radios.vcomChecked);
    ipSearch_->setVisible(model_.ipSearchShown());
}

void InterfaceDialog::refresh(int code) {
    if (model_.refresh(code))
        showList();
    else
        showSelectionState();
    if (model_.scheduleRefresh()) refreshTimer_->start();
}

void InterfaceDialog::onSelectionChanged() {
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    model_.select(selected.isEmpty() ? std::nullopt
                                     : std::optional<std::size_t>(list_->row(selected.first())));
    showSelectionState();
}

void InterfaceDialog::onEthernetClicked() {
    model_.setEthernet(ethernet_->isChecked());
    postRefresh();
    ipSearch_->setVisible(model_.ipSearchShown());
}

// "IP ?": the chosen maker's reader becomes the selected LAN entry.
void InterfaceDialog::onIpSearch() {
    if (!model_.ipSearchShown()) return;
    IpSearchDialog search(this, windowLanFunctions(), prompts_);
    search.exec();
    if (const auto &address = search.chosenAddress()) model_.chooseLanAddress(*address);
    postRefresh();
}

void InterfaceDialog::onUsbMode(bool toHid) {
    QApplication::setOverrideCursor(Qt::WaitCursor);  // the prompts suspend it while asking
    const bool switched = toHid ? model_.switchToHidMode() : model_.switchToVirtualCom();
    QApplication::restoreOverrideCursor();
    showSelectionState();
    // The restarted reader reappears in its other mode; a simulated one
    // sends no device event, so follow it as after a device change.
    if (switched) refresh(kDeviceNodesChanged);
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
    std::optional<LineCombos> line;
    if (baud_->currentIndex() >= 0) {
        // The line combos count even when disabled.
        line = LineCombos{baud_->currentText().toInt(), parity_->currentIndex(), stopBits_->currentIndex()};
    }
    model_.setEthernet(ethernet_->isChecked());
    if (model_.accept(line, *timeout, *address)) QDialog::accept();
}

}  // namespace orvex::gui
