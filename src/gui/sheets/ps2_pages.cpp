#include "gui/sheets/ps2_pages.h"

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
#include "sheets/sheet_base.h"

namespace orvex::gui {

namespace {
// The representation radios in code order; code 3 is the hidden "Leer".
constexpr std::array<const char *, 5> kReprTexts{"data.repr.0", "data.repr.1", "data.repr.2",
                                                 "data.repr.empty", "data.repr.4"};
}  // namespace

Ps2DataPage::Ps2DataPage(app::DataPagePs2 &model, app::ConnectContext &ctx, QWidget *parent)
    : SheetPage(app::sheet_pages::kData, parent), model_(model), ctx_(ctx) {
    reprGroup_ = new QGroupBox(this);
    auto *repr = new QVBoxLayout(reprGroup_);
    for (int i = 0; i < 5; ++i) {
        auto *r = new QRadioButton(reprGroup_);
        r->setAutoExclusive(false);
        r->setObjectName(QStringLiteral("repr%1").arg(i));
        binding_.add("repr" + std::to_string(i), r);
        connect(r, &QRadioButton::clicked, this, [this, i] {
            model_.values().representation = i;
            refresh();
        });
        repr_[std::size_t(i)] = r;
        repr->addWidget(r);
    }
    formatGroup_ = new QGroupBox(this);
    auto *format = new QVBoxLayout(formatGroup_);
    for (int i = 0; i < 2; ++i) {
        auto *r = new QRadioButton(formatGroup_);
        r->setAutoExclusive(false);
        const std::string name = i == 0 ? "selUid" : "selBlocks";
        r->setObjectName(QString::fromStdString(name));
        binding_.add(name, r);
        connect(r, &QRadioButton::clicked, this, [this, i] {
            model_.clickSelection(i);
            refresh();
        });
        selection_[std::size_t(i)] = r;
        format->addWidget(r);
    }
    auto *blockRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto *b = new QLineEdit(formatGroup_);
        const std::string name = "block" + std::to_string(i + 1);
        b->setObjectName(QString::fromStdString(name));
        b->setMaximumWidth(40);
        binding_.add(name, b);
        connect(b, &QLineEdit::textChanged, this, [this, i](const QString &t) {
            if (!refreshing_) model_.values().blocks[std::size_t(i)] = t.toStdString();
        });
        blocks_[std::size_t(i)] = b;
        blockRow->addWidget(b);
    }
    blockRow->addStretch();
    format->addLayout(blockRow);

    auto *info = new QGroupBox(this);
    binding_.addText("infoBox", info);
    auto *infoLayout = new QVBoxLayout(info);
    for (int i = 1; i <= 4; ++i) {
        auto *l = new QLabel(info);
        binding_.addText("info" + std::to_string(i), l);
        infoLayout->addWidget(l);
    }

    charCountLabel_ = new QLabel(this);
    charCount_ = new QLineEdit(this);
    charCount_->setObjectName(QStringLiteral("charCount"));
    charCount_->setMaximumWidth(50);
    binding_.add("charCount", charCount_);
    connect(charCount_, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (!refreshing_) model_.values().charCount = t.toStdString();
    });
    readContent_ = new QPushButton(this);
    readContent_->setAutoDefault(false);
    binding_.add("readContent", readContent_);
    connect(readContent_, &QPushButton::clicked, this, [this] { openPageReadContent(this, ctx_); });

    auto *count = new QHBoxLayout;
    count->addWidget(charCountLabel_);
    count->addWidget(charCount_);
    count->addStretch();
    auto *left = new QVBoxLayout;
    left->addWidget(reprGroup_);
    left->addLayout(count);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(formatGroup_);
    right->addWidget(info);
    right->addStretch();
    right->addWidget(readContent_, 0, Qt::AlignRight);
    auto *page = new QHBoxLayout(this);
    page->addLayout(left);
    page->addLayout(right);
    retranslate();
}

void Ps2DataPage::refresh() {
    RefreshScope scope(refreshing_);
    const app::DataPagePs2Values &v = model_.values();
    setEditText(charCount_, v.charCount);
    for (int i = 0; i < 4; ++i) setEditText(blocks_[std::size_t(i)], v.blocks[std::size_t(i)]);
    binding_.apply(model_.view());
}

void Ps2DataPage::retranslate() {
    reprGroup_->setTitle(uiText("data.representation"));
    for (int i = 0; i < 5; ++i) repr_[std::size_t(i)]->setText(uiText(kReprTexts[std::size_t(i)]));
    formatGroup_->setTitle(uiText("data.format"));
    selection_[0]->setText(uiText("data.uidOnly"));
    selection_[1]->setText(uiText("data.blocksMax4"));
    charCountLabel_->setText(uiText("data.charCount"));
    readContent_->setText(uiText("data.readContent"));
    refresh();
}

Ps2ParamPage::Ps2ParamPage(app::ParamPagePs2 &model, QWidget *parent)
    : SheetPage(app::sheet_pages::kParameters, parent), model_(model) {
    auto *grid = new QGridLayout;
    auto row = [&](int r, QLabel *&label, QLineEdit *&edit, const char *name, const char *unit,
                   std::string app::ParamPagePs2Values::*member) {
        label = new QLabel(this);
        edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaximumWidth(70);
        binding_.add(name, edit);
        connect(edit, &QLineEdit::textChanged, this, [this, member](const QString &t) {
            if (!refreshing_) model_.values().*member = t.toStdString();
        });
        grid->addWidget(label, r, 0);
        grid->addWidget(edit, r, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(unit), this), r, 2);
    };
    row(0, delayLabel_, delay_, "delay", "ms", &app::ParamPagePs2Values::delay);
    row(1, frequencyLabel_, frequency_, "frequency", "kHz", &app::ParamPagePs2Values::frequency);
    row(2, timeoutLabel_, timeout_, "timeout", "ms", &app::ParamPagePs2Values::timeout);
    grid->setColumnStretch(3, 1);
    auto *page = new QVBoxLayout(this);
    page->addLayout(grid);
    page->addStretch();
    retranslate();
}

void Ps2ParamPage::refresh() {
    RefreshScope scope(refreshing_);
    const app::ParamPagePs2Values &v = model_.values();
    setEditText(delay_, v.delay);
    setEditText(frequency_, v.frequency);
    setEditText(timeout_, v.timeout);
    binding_.apply(model_.view());
}

void Ps2ParamPage::retranslate() {
    delayLabel_->setText(uiText("param.wedgeDelay"));
    frequencyLabel_->setText(uiText("param.wedgeFrequency"));
    timeoutLabel_->setText(uiText("param.timeout"));
    refresh();
}

}  // namespace orvex::gui
