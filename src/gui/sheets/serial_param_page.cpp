#include "gui/sheets/serial_param_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"
#include "gui/sheets/page_actions.h"

namespace orvex::gui {

using app::ParamPageSerialValues;

namespace {
const QStringList kBaudRates{"2400", "4800", "9600", "19200", "38400", "57600", "115200"};
}

QLineEdit *SerialParamPage::edit(const std::string &name, std::string ParamPageSerialValues::*member) {
    return boundEdit(name, model_, member);
}

QLabel *SerialParamPage::label(const std::string &name) {
    auto *l = new QLabel(this);
    l->setObjectName(QString::fromStdString(name));
    binding_.add(name, l);
    return l;
}

SerialParamPage::SerialParamPage(app::ParamPageSerial &model, app::ConnectContext &ctx,
                                 app::CapabilityFlags flags, QWidget *parent)
    : SheetPage("parameters", parent), model_(model), ctx_(ctx), flags_(flags) {
    auto toggle = [this](QAbstractButton *b, auto apply) {
        connect(b, &QAbstractButton::clicked, this, [this, apply](bool on) {
            if (refreshing_) return;
            apply(on);
            refresh();
        });
    };

    modeGroup_ = new QGroupBox(this);
    auto *modeLayout = new QVBoxLayout(modeGroup_);
    for (int i = 0; i < 4; ++i) {
        auto *r = new QRadioButton(modeGroup_);
        r->setAutoExclusive(false);
        r->setObjectName(QStringLiteral("mode%1").arg(i));
        binding_.add("mode" + std::to_string(i), r);
        toggle(r, [this, i](bool) { model_.values().mode = i; });
        modes_[std::size_t(i)] = r;
        modeLayout->addWidget(r);
    }
    sensor_ = new QCheckBox(modeGroup_);
    binding_.add("sensor", sensor_);
    toggle(sensor_, [this](bool on) { model_.values().sensor = on; });
    modeLayout->addWidget(sensor_);

    auto *timing = new QGridLayout;
    cycleLabel_ = new QLabel(this);
    timeoutLabel_ = new QLabel(this);
    requestLabel_ = new QLabel(this);
    timing->addWidget(cycleLabel_, 0, 0);
    timing->addWidget(edit("cycleTime", &ParamPageSerialValues::cycleTime), 0, 1);
    timing->addWidget(new QLabel(QStringLiteral("ms"), this), 0, 2);
    timing->addWidget(timeoutLabel_, 1, 0);
    timing->addWidget(edit("timeout", &ParamPageSerialValues::timeout), 1, 1);
    timing->addWidget(new QLabel(QStringLiteral("ms"), this), 1, 2);
    timing->addWidget(requestLabel_, 2, 0);
    QLineEdit *request = edit("requestChar", &ParamPageSerialValues::requestChar);
    request->setMaximumWidth(40);
    timing->addWidget(request, 2, 1);

    dtr_ = new QCheckBox(this);
    binding_.add("dtr", dtr_);
    toggle(dtr_, [this](bool on) { model_.values().dtr = on; });

    powerOnGroup_ = new QGroupBox(this);
    auto *powerLayout = new QVBoxLayout(powerOnGroup_);
    for (int i = 0; i < 3; ++i) {
        auto *r = new QRadioButton(powerOnGroup_);
        r->setAutoExclusive(false);
        r->setObjectName(QStringLiteral("powerOn%1").arg(i));
        binding_.add("powerOn" + std::to_string(i), r);
        toggle(r, [this, i](bool) { model_.values().powerOnIndex = i; });
        powerOn_[std::size_t(i)] = r;
        powerLayout->addWidget(r);
    }

    interfaceGroup_ = new QGroupBox(this);
    binding_.add("interfaceGroup", interfaceGroup_);
    auto *line = new QGridLayout(interfaceGroup_);
    baudLabel_ = label("baudLabel");
    parityLabel_ = label("parityLabel");
    stopBitsLabel_ = label("stopBitsLabel");
    currentLabel_ = label("currentLabel");
    setLabel_ = label("setLabel");
    line->addWidget(baudLabel_, 0, 1);
    line->addWidget(parityLabel_, 0, 2);
    line->addWidget(stopBitsLabel_, 0, 3);
    line->addWidget(currentLabel_, 1, 0);
    line->addWidget(label("currentBaud"), 1, 1);
    line->addWidget(label("currentParity"), 1, 2);
    line->addWidget(label("currentStopBits"), 1, 3);
    line->addWidget(setLabel_, 2, 0);
    baud_ = new QComboBox(interfaceGroup_);
    baud_->addItems(kBaudRates);
    parity_ = new QComboBox(interfaceGroup_);
    stopBits_ = new QComboBox(interfaceGroup_);
    binding_.add("baudSet", baud_);
    binding_.add("paritySet", parity_);
    binding_.add("stopBitsSet", stopBits_);
    line->addWidget(baud_, 2, 1);
    line->addWidget(parity_, 2, 2);
    line->addWidget(stopBits_, 2, 3);
    connect(baud_, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (!refreshing_) model_.values().baudSet = text.toStdString();
    });
    connect(parity_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!refreshing_) model_.values().parity = i;
    });
    connect(stopBits_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!refreshing_) model_.values().stopBits = i;
    });

    tcpGroup_ = new QGroupBox(this);
    binding_.add("tcpGroup", tcpGroup_);
    auto *tcp = new QGridLayout(tcpGroup_);
    tcpClient_ = new QCheckBox(tcpGroup_);
    binding_.add("tcpClient", tcpClient_);
    toggle(tcpClient_, [this](bool on) { model_.values().tcpClient = on; });
    ipLabel_ = label("remoteIpLabel");
    portLabel_ = label("remotePortLabel");
    tcp->addWidget(tcpClient_, 0, 0, 1, 2);
    tcp->addWidget(ipLabel_, 1, 0);
    tcp->addWidget(edit("remoteIp", &ParamPageSerialValues::remoteIp), 1, 1);
    tcp->addWidget(portLabel_, 2, 0);
    tcp->addWidget(edit("remotePort", &ParamPageSerialValues::remotePort), 2, 1);

    functionTest_ = new QPushButton(this);
    readContent_ = new QPushButton(this);
    binding_.add("functionTest", functionTest_);
    binding_.add("readContent", readContent_);
    for (QPushButton *b : {functionTest_, readContent_}) b->setAutoDefault(false);
    connect(functionTest_, &QPushButton::clicked, this, [this] { openPageFunctionTest(this, ctx_, flags_); });
    connect(readContent_, &QPushButton::clicked, this, [this] { openPageReadContent(this, ctx_); });

    auto *left = new QVBoxLayout;
    left->addWidget(modeGroup_);
    left->addLayout(timing);
    left->addWidget(dtr_);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(powerOnGroup_);
    right->addWidget(interfaceGroup_);
    right->addWidget(tcpGroup_);
    right->addStretch();
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(functionTest_);
    buttons->addWidget(readContent_);
    auto *page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addLayout(buttons);
    retranslate();
}

void SerialParamPage::refresh() {
    RefreshScope scope(refreshing_);
    const ParamPageSerialValues &v = model_.values();
    refreshEdits();
    const int baudIndex = baud_->findText(fromUtf8(v.baudSet));
    baud_->setCurrentIndex(baudIndex);
    parity_->setCurrentIndex(v.parity);
    stopBits_->setCurrentIndex(v.stopBits);
    binding_.apply(model_.view());
}

void SerialParamPage::retranslate() {
    RefreshScope scope(refreshing_);
    modeGroup_->setTitle(uiText("param.modeGroup"));
    for (int i = 0; i < 4; ++i)
        modes_[std::size_t(i)]->setText(uiText(("param.mode." + std::to_string(i)).c_str()));
    sensor_->setText(uiText("param.sensor"));
    cycleLabel_->setText(uiText("param.cycleTime"));
    timeoutLabel_->setText(uiText("param.timeout"));
    requestLabel_->setText(uiText("param.requestChar"));
    dtr_->setText(uiText("param.dtr"));
    powerOnGroup_->setTitle(uiText("param.powerOn"));
    for (int i = 0; i < 3; ++i)
        powerOn_[std::size_t(i)]->setText(uiText(("param.powerOn." + std::to_string(i)).c_str()));
    interfaceGroup_->setTitle(uiText("param.interface"));
    baudLabel_->setText(uiText("param.baudRate"));
    parityLabel_->setText(uiText("param.parity"));
    stopBitsLabel_->setText(uiText("param.stopBits"));
    currentLabel_->setText(uiText("param.current"));
    setLabel_->setText(uiText("param.set"));
    parity_->clear();
    parity_->addItems({uiText("param.parity.0"), uiText("param.parity.1"), uiText("param.parity.2")});
    stopBits_->clear();
    stopBits_->addItems({uiText("param.stopBits.0"), uiText("param.stopBits.1")});
    tcpClient_->setText(uiText("param.tcpClient"));
    ipLabel_->setText(uiText("param.serverIp"));
    portLabel_->setText(uiText("param.port"));
    functionTest_->setText(uiText("param.functionTest"));
    readContent_->setText(uiText("param.readContent"));
    refresh();
}

}  // namespace orvex::gui
