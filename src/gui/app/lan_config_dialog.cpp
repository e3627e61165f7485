#include "gui/app/lan_config_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/string_table.h"
#include "gui/app/dotted_quad_validator.h"
#include "gui/app/ui_text.h"

namespace orvex::gui {

using namespace app;

namespace {

constexpr int kTextEnterValidAddress = 10128;
constexpr int kProgressStep = 10;

QLineEdit *portEdit(QWidget *parent) {
    auto *edit = new QLineEdit(parent);
    edit->setValidator(new QIntValidator(0, 99999, edit));
    edit->setMaximumWidth(70);
    return edit;
}

QLineEdit *quadEdit(QWidget *parent) {
    auto *edit = new QLineEdit(parent);
    edit->setValidator(new DottedQuadValidator(edit));
    edit->setMaxLength(15);
    return edit;
}

QLabel *dash(QWidget *parent) { return new QLabel(QStringLiteral("-"), parent); }

}  // namespace

LanConfigDialog::LanConfigDialog(QWidget *parent, const std::string &address, LanFunctions lan,
                                 Prompts &prompts)
    : QDialog(parent), prompts_(prompts), model_(address, std::move(lan), prompts) {
    buildWidgets();
    retranslate();
    model_.load();
    showFields();
}

void LanConfigDialog::buildWidgets() {
    dhcp_ = new QRadioButton(this);
    fixed_ = new QRadioButton(this);
    auto *modes = new QButtonGroup(this);
    modes->addButton(dhcp_);
    modes->addButton(fixed_);
    dhcpNameLabel_ = new QLabel(this);
    ipLabel_ = new QLabel(this);
    maskLabel_ = new QLabel(this);
    gatewayLabel_ = new QLabel(this);
    dhcpName_ = new QLineEdit(this);
    dhcpName_->setMaxLength(int(LanConfigModel::kMaxDhcpName));
    dhcpPort_ = portEdit(this);
    ipAddress_ = quadEdit(this);
    fixedPort_ = portEdit(this);
    mask_ = quadEdit(this);
    gateway_ = quadEdit(this);

    progress_ = new QProgressBar(this);
    progress_->setOrientation(Qt::Vertical);
    progress_->setRange(0, LanConfigModel::kProgressRangeMs);
    progress_->setTextVisible(false);
    progress_->hide();

    auto *grid = new QGridLayout;
    grid->addWidget(dhcp_, 0, 0, 1, 4);
    grid->addWidget(dhcpNameLabel_, 1, 0);
    grid->addWidget(dhcpName_, 1, 1);
    grid->addWidget(dash(this), 1, 2);
    grid->addWidget(dhcpPort_, 1, 3);
    grid->addWidget(fixed_, 2, 0, 1, 4);
    grid->addWidget(ipLabel_, 3, 0);
    grid->addWidget(ipAddress_, 3, 1);
    grid->addWidget(dash(this), 3, 2);
    grid->addWidget(fixedPort_, 3, 3);
    grid->addWidget(maskLabel_, 4, 0);
    grid->addWidget(mask_, 4, 1);
    grid->addWidget(gatewayLabel_, 5, 0);
    grid->addWidget(gateway_, 5, 1);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QDialogButtonBox(Qt::Vertical, this);
    ok_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &LanConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LanConfigDialog::reject);

    auto *side = new QVBoxLayout;
    side->addWidget(buttons);
    side->addWidget(progress_, 1, Qt::AlignHCenter);
    side->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(side);

    connect(dhcp_, &QRadioButton::clicked, this, [this] {
        readControls();
        model_.fields().mode = LanMode::Dhcp;
        showMode();
    });
    connect(fixed_, &QRadioButton::clicked, this, [this] {
        readControls();
        model_.fields().mode = LanMode::FixedAddress;
        showMode();
    });
}

void LanConfigDialog::retranslate() {
    setWindowTitle(uiText("lanConfig.title"));
    dhcp_->setText(uiText("lanConfig.dhcp"));
    fixed_->setText(uiText("lanConfig.fixed"));
    dhcpNameLabel_->setText(uiText("lanConfig.dhcpName"));
    ipLabel_->setText(uiText("lanConfig.ipAddress"));
    maskLabel_->setText(uiText("lanConfig.mask"));
    gatewayLabel_->setText(uiText("lanConfig.gateway"));
    ok_->setText(uiText("button.ok"));
    cancel_->setText(uiText(507));
}

void LanConfigDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void LanConfigDialog::showFields() {
    const LanConfigFields &f = model_.fields();
    dhcpName_->setText(QString::fromStdString(f.dhcpName));
    dhcpPort_->setText(QString::number(f.dhcpPort));
    ipAddress_->setText(QString::fromStdString(f.ipAddress));
    fixedPort_->setText(QString::number(f.fixedPort));
    mask_->setText(QString::fromStdString(f.mask));
    gateway_->setText(QString::fromStdString(f.gateway));
    showMode();
}

void LanConfigDialog::showMode() {
    const LanMode mode = model_.fields().mode;
    dhcp_->setChecked(mode == LanMode::Dhcp);
    fixed_->setChecked(mode == LanMode::FixedAddress);
    const LanConfigView view = model_.view();
    dhcpName_->setEnabled(view.dhcpNameEnabled);
    dhcpPort_->setEnabled(view.dhcpPortEnabled);
    ipAddress_->setEnabled(view.ipAddressEnabled);
    fixedPort_->setEnabled(view.fixedPortEnabled);
}

void LanConfigDialog::readControls() {
    LanConfigFields &f = model_.fields();
    f.dhcpName = dhcpName_->text().left(int(LanConfigModel::kMaxDhcpName)).toStdString();
    f.dhcpPort = dhcpPort_->text().toInt();
    f.ipAddress = ipAddress_->text().toStdString();
    f.fixedPort = fixedPort_->text().toInt();
    f.mask = mask_->text().toStdString();
    f.gateway = gateway_->text().toStdString();
}

// The validators let a half-typed quad stand in the control; it is refused
// on OK like a blank address.
bool LanConfigDialog::quadsComplete() {
    const bool fixed = model_.fields().mode == LanMode::FixedAddress;
    for (QLineEdit *edit : {ipAddress_, mask_, gateway_}) {
        if ((edit != ipAddress_ || fixed) && !edit->hasAcceptableInput()) {
            prompts_.showMessage(StringTable::instance().text(kTextEnterValidAddress), MessageIcon::Warning);
            edit->setFocus();
            return false;
        }
    }
    return true;
}

void LanConfigDialog::showProgress(int elapsedMs) {
    if (progress_->isHidden()) {
        for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (w != progress_) w->setEnabled(false);
        ok_->hide();
        cancel_->hide();
        progress_->setValue(0);
        progress_->show();
    }
    progress_->setValue(elapsedMs - elapsedMs % kProgressStep);
}

void LanConfigDialog::endProgress() {
    progress_->hide();
    for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) w->setEnabled(true);
    ok_->show();
    cancel_->show();
}

QLineEdit *LanConfigDialog::editFor(LanConfigControl control) const {
    switch (control) {
        case LanConfigControl::DhcpName:
            return dhcpName_;
        case LanConfigControl::DhcpPort:
            return dhcpPort_;
        case LanConfigControl::IpAddress:
            return ipAddress_;
        case LanConfigControl::FixedPort:
            return fixedPort_;
        case LanConfigControl::None:
            break;
    }
    return nullptr;
}

void LanConfigDialog::accept() {
    readControls();
    if (!quadsComplete()) return;
    const LanConfigOutcome outcome = model_.ok([this](int elapsedMs) { showProgress(elapsedMs); });
    endProgress();
    if (outcome.kind == LanConfigOutcome::Done) {
        QDialog::accept();
        return;
    }
    showFields();  // a failed change loaded the settings again
    if (QLineEdit *edit = editFor(outcome.focus)) edit->setFocus();
}

}  // namespace orvex::gui
