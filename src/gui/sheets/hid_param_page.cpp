#include "gui/sheets/hid_param_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/settings_store.h"
#include "base/cp1252.h"
#include "gui/app/ui_text.h"
#include "gui/sheets/layout_error_dialog.h"
#include "gui/sheets/page_actions.h"
#include "sheets/sheet_base.h"

namespace orvex::gui {

namespace {
// Mode radios of this page: modes 0, 2 and 3.
constexpr std::array<int, 3> kModes{0, 2, 3};

QString keyChar(std::uint8_t c) {
    return c ? fromUtf8(app::cp1252ToUtf8(std::string(1, static_cast<char>(c)))) : QString();
}
}  // namespace

KeyCapButton::KeyCapButton(std::uint8_t scan, QWidget *parent) : QAbstractButton(parent), scan_(scan) {
    setFocusPolicy(Qt::NoFocus);  // the keys only show the table
    setObjectName(QStringLiteral("key%1").arg(scan, 2, 16, QLatin1Char('0')));
}

void KeyCapButton::setEntry(const app::KeyEntry &entry, bool differs) {
    entry_ = entry;
    differs_ = differs;
    update();
}

void KeyCapButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, this);
    const int shift = isDown() ? 1 : 0;
    const QRect area = rect().adjusted(5 + shift, 3 + shift, -5 + shift, -3 + shift);
    painter.setPen(differs_ ? QColor(Qt::red) : palette().color(QPalette::ButtonText));
    painter.drawText(area, Qt::AlignTop | Qt::AlignLeft, keyChar(entry_.shift));
    painter.drawText(area, Qt::AlignBottom | Qt::AlignLeft, keyChar(entry_.normal));
    painter.drawText(area, Qt::AlignBottom | Qt::AlignRight, keyChar(entry_.altGr));
    if (differs_) {
        painter.setPen(QPen(Qt::red, 2));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void askLayoutTakeover(QWidget *parent, app::SettingsStore &settings, app::KeyTable &table) {
    const app::KeyTable host = app::hostKeyTable();
    const int differences = app::countLayoutDifferences(table, host);
    if (!app::askLayoutQuestion(differences, settings.get(app::settings::ShowLayoutError) != 0)) return;
    LayoutErrorDialog dialog(parent, settings, differences);
    if (dialog.exec() == QDialog::Accepted) table = host;
}

QLineEdit *HidParamPage::edit(const std::string &name, std::string app::ParamPageHidValues::*member) {
    auto *e = boundEdit(name, model_, member);
    e->setMaximumWidth(70);
    return e;
}

HidParamPage::HidParamPage(app::ParamPageHid &model, app::KeyTable &table, app::ConnectContext &ctx,
                           app::CapabilityFlags flags, QWidget *parent)
    : SheetPage(app::sheet_pages::kParameters, parent),
      model_(model),
      table_(table),
      ctx_(ctx),
      flags_(flags) {
    modeGroup_ = new QGroupBox(this);
    auto *modeLayout = new QVBoxLayout(modeGroup_);
    for (int i = 0; i < 3; ++i) {
        auto *r = new QRadioButton(modeGroup_);
        r->setAutoExclusive(false);
        const std::string name = "mode" + std::to_string(kModes[std::size_t(i)]);
        r->setObjectName(QString::fromStdString(name));
        binding_.add(name, r);
        connect(r, &QRadioButton::clicked, this, [this, i] {
            model_.values().modeIndex = i;
            refresh();
        });
        modes_[std::size_t(i)] = r;
        modeLayout->addWidget(r);
    }
    sensor_ = new QCheckBox(modeGroup_);
    binding_.add("sensor", sensor_);
    connect(sensor_, &QCheckBox::clicked, this, [this](bool on) {
        model_.values().sensor = on;
        refresh();
    });
    modeLayout->addWidget(sensor_);

    powerOnGroup_ = new QGroupBox(this);
    auto *powerLayout = new QVBoxLayout(powerOnGroup_);
    for (int i = 0; i < 3; ++i) {
        auto *r = new QRadioButton(powerOnGroup_);
        r->setAutoExclusive(false);
        const std::string name = "powerOn" + std::to_string(i);
        r->setObjectName(QString::fromStdString(name));
        binding_.add(name, r);
        connect(r, &QRadioButton::clicked, this, [this, i] {
            model_.values().powerOnIndex = i;
            refresh();
        });
        powerOn_[std::size_t(i)] = r;
        powerLayout->addWidget(r);
    }

    auto *timing = new QGridLayout;
    cycleLabel_ = new QLabel(this);
    timeoutLabel_ = new QLabel(this);
    timing->addWidget(cycleLabel_, 0, 0);
    timing->addWidget(edit("cycleTime", &app::ParamPageHidValues::cycleTime), 0, 1);
    timing->addWidget(new QLabel(QStringLiteral("ms"), this), 0, 2);
    timing->addWidget(timeoutLabel_, 1, 0);
    timing->addWidget(edit("timeout", &app::ParamPageHidValues::timeout), 1, 1);
    timing->addWidget(new QLabel(QStringLiteral("ms"), this), 1, 2);
    timing->setColumnStretch(3, 1);

    // The drawn keyboard.
    layoutGroup_ = new QGroupBox(this);
    auto *keyboard = new QVBoxLayout(layoutGroup_);
    const auto map = app::keyMap();
    std::size_t next = 0;
    for (std::size_t row = 0; row < app::kKeyboardRows.size(); ++row) {
        auto *line = new QHBoxLayout;
        line->setSpacing(2);
        line->addSpacing(int(row) * 12);
        for (int k = 0; k < app::kKeyboardRows[row] && next < map.size(); ++k, ++next) {
            auto *key = new KeyCapButton(map[next].scan, layoutGroup_);
            key->setFixedSize(36, 36);
            keys_.push_back(key);
            line->addWidget(key);
        }
        line->addStretch();
        keyboard->addLayout(line);
    }
    host_ = new QPushButton(layoutGroup_);
    load_ = new QPushButton(layoutGroup_);
    warn_ = new QCheckBox(layoutGroup_);
    auto *layoutButtons = new QHBoxLayout;
    layoutButtons->addWidget(host_);
    layoutButtons->addWidget(load_);
    layoutButtons->addStretch();
    keyboard->addLayout(layoutButtons);
    keyboard->addWidget(warn_);
    connect(host_, &QPushButton::clicked, this, [this] {
        table_ = app::hostKeyTable();
        refresh();
    });
    connect(load_, &QPushButton::clicked, this, [this] {
        if (loadFromReader) loadFromReader();
        refresh();
    });
    warn_->setChecked(ctx_.settings.get(app::settings::ShowLayoutError) != 0);
    connect(warn_, &QCheckBox::clicked, this,
            [this](bool on) { ctx_.settings.set(app::settings::ShowLayoutError, on ? 1 : 0); });

    functionTest_ = new QPushButton(this);
    readContent_ = new QPushButton(this);
    for (QPushButton *b : {host_, load_, functionTest_, readContent_}) b->setAutoDefault(false);
    connect(functionTest_, &QPushButton::clicked, this, [this] { openPageFunctionTest(this, ctx_, flags_); });
    connect(readContent_, &QPushButton::clicked, this, [this] { openPageReadContent(this, ctx_); });

    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(modeGroup_);
    left->addLayout(timing);
    top->addLayout(left);
    top->addWidget(powerOnGroup_, 0, Qt::AlignTop);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(functionTest_);
    bottom->addWidget(readContent_);
    auto *page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(layoutGroup_);
    page->addLayout(bottom);
    retranslate();
}

KeyCapButton *HidParamPage::key(std::uint8_t scan) const {
    for (KeyCapButton *k : keys_)
        if (k->scan() == scan) return k;
    return nullptr;
}

void HidParamPage::refresh() {
    RefreshScope scope(refreshing_);
    const app::ParamPageHidValues &v = model_.values();
    refreshEdits();
    binding_.apply(model_.view());
    const auto differing = app::differingKeys(table_, app::hostKeyTable());
    for (KeyCapButton *k : keys_)
        k->setEntry(table_.keys[k->scan()],
                    std::find(differing.begin(), differing.end(), k->scan()) != differing.end());
    load_->setEnabled(bool(loadFromReader));
    warn_->setChecked(ctx_.settings.get(app::settings::ShowLayoutError) != 0);
}

void HidParamPage::retranslate() {
    modeGroup_->setTitle(uiText("param.modeGroup"));
    for (int i = 0; i < 3; ++i)
        modes_[std::size_t(i)]->setText(
            uiText(("param.mode." + std::to_string(kModes[std::size_t(i)])).c_str()));
    sensor_->setText(uiText("param.sensor"));
    powerOnGroup_->setTitle(uiText("param.powerOn"));
    for (int i = 0; i < 3; ++i)
        powerOn_[std::size_t(i)]->setText(uiText(("param.powerOn." + std::to_string(i)).c_str()));
    cycleLabel_->setText(uiText("param.cycleTime"));
    timeoutLabel_->setText(uiText("param.timeout"));
    layoutGroup_->setTitle(uiText("hid.layout"));
    host_->setText(uiText("hid.hostLayout"));
    load_->setText(uiText("hid.loadFromReader"));
    warn_->setText(uiText("hid.warnOnDifference"));
    functionTest_->setText(uiText("param.functionTest"));
    readContent_->setText(uiText("param.readContent"));
    refresh();
}

}  // namespace orvex::gui
