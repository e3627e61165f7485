#include "gui/sheets/serial_data_page.h"

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
#include "gui/params/block_select_dialog.h"
#include "gui/sheets/page_actions.h"

namespace orvex::gui {

using app::DataPageSerialValues;
using app::Family;

namespace {
constexpr std::array<const char *, 4> kFamilyNames{"famIso", "famMifare", "famIcode1", "famDesfire"};
constexpr std::array<const char *, 4> kFamilyTexts{"data.family.iso", "data.family.mifare",
                                                   "data.family.icode1", "data.family.desfire"};
constexpr std::array<const char *, 3> kSelectionNames{"selUid", "selSingle", "selSequence"};
}  // namespace

QLineEdit *SerialDataPage::edit(const std::string &name, std::string DataPageSerialValues::*member) {
    return boundEdit(name, model_, member);
}

QCheckBox *SerialDataPage::check(const std::string &name, bool DataPageSerialValues::*member) {
    auto *c = new QCheckBox(this);
    c->setObjectName(QString::fromStdString(name));
    binding_.add(name, c);
    checks_.emplace_back(c, member);
    connect(c, &QCheckBox::toggled, this, [this, member](bool on) {
        if (refreshing_) return;
        model_.values().*member = on;
        changed();
    });
    return c;
}

QComboBox *SerialDataPage::combo(const std::string &name, int DataPageSerialValues::*member) {
    auto *c = new QComboBox(this);
    c->setObjectName(QString::fromStdString(name));
    binding_.add(name, c);
    combos_.emplace_back(c, member);
    connect(c, &QComboBox::currentIndexChanged, this, [this, member](int index) {
        if (!refreshing_) model_.values().*member = index;
    });
    return c;
}

QLabel *SerialDataPage::label(const std::string &name) {
    auto *l = new QLabel(this);
    l->setObjectName(QString::fromStdString(name));
    binding_.add(name, l);
    return l;
}

SerialDataPage::SerialDataPage(const std::string &id, app::DataPageSerial &model, app::ConnectContext &ctx,
                               app::CapabilityFlags flags, QWidget *parent)
    : SheetPage(id, parent), model_(model), ctx_(ctx), flags_(flags) {
    // Representation.
    reprGroup_ = new QGroupBox(this);
    auto *reprLayout = new QVBoxLayout(reprGroup_);
    for (int i = 0; i < 6; ++i) {
        auto *r = new QRadioButton(reprGroup_);
        r->setAutoExclusive(false);  // the model keeps exactly one checked
        r->setObjectName(QStringLiteral("repr%1").arg(i));
        binding_.add("repr" + std::to_string(i), r);
        connect(r, &QRadioButton::clicked, this, [this, i] {
            model_.values().representation = i;
            changed();
        });
        repr_[std::size_t(i)] = r;
        reprLayout->addWidget(r);
    }
    reprLayout->addStretch();

    // Family and data selection.
    formatGroup_ = new QGroupBox(this);
    auto *format = new QGridLayout(formatGroup_);
    for (int i = 0; i < 4; ++i) {
        auto *c = new QCheckBox(formatGroup_);
        c->setObjectName(QString::fromLatin1(kFamilyNames[std::size_t(i)]));
        binding_.add(kFamilyNames[std::size_t(i)], c);
        connect(c, &QCheckBox::clicked, this, [this, i](bool on) {
            model_.clickFamily(static_cast<Family>(i), on);
            changed();
        });
        families_[std::size_t(i)] = c;
        format->addWidget(c, 0, i);
    }
    for (int i = 0; i < 3; ++i) {
        auto *r = new QRadioButton(formatGroup_);
        r->setAutoExclusive(false);
        r->setObjectName(QString::fromLatin1(kSelectionNames[std::size_t(i)]));
        binding_.add(kSelectionNames[std::size_t(i)], r);
        connect(r, &QRadioButton::clicked, this, [this, i] {
            model_.clickSelection(i);
            changed();
        });
        selection_[std::size_t(i)] = r;
        format->addWidget(r, 1, i);
    }
    auto *blockRow = new QHBoxLayout;
    blockSelect_ = new QPushButton(QStringLiteral("?"), formatGroup_);
    blockSelect_->setObjectName(QStringLiteral("blockSelect"));
    blockSelect_->setFixedWidth(28);
    binding_.add("blockSelect", blockSelect_);
    connect(blockSelect_, &QPushButton::clicked, this, &SerialDataPage::pickBlocks);
    blockRow->addWidget(blockSelect_);
    for (int i = 0; i < 4; ++i) {
        auto *b = new QLineEdit(formatGroup_);
        const std::string name = "block" + std::to_string(i + 1);
        b->setObjectName(QString::fromStdString(name));
        b->setValidator(nullptr);
        b->setMaximumWidth(50);
        binding_.add(name, b);
        connect(b, &QLineEdit::textChanged, this, [this, i](const QString &text) {
            if (!refreshing_) model_.values().blocks[std::size_t(i)] = text.toStdString();
        });
        blocks_[std::size_t(i)] = b;
        blockRow->addWidget(b);
    }
    blockRow->addStretch();
    format->addLayout(blockRow, 2, 0, 1, 4);
    auto *desfireRow = new QHBoxLayout;
    appIdLabel_ = label("appIdLabel");
    desfireRow->addWidget(appIdLabel_);
    desfireRow->addWidget(edit("appId", &DataPageSerialValues::appId));
    fileIdLabel_ = label("fileIdLabel");
    desfireRow->addWidget(fileIdLabel_);
    desfireRow->addWidget(edit("fileId", &DataPageSerialValues::fileId));
    modeLabel_ = label("modeLabel");
    desfireRow->addWidget(modeLabel_);
    desfireMode_ = combo("desfireMode", &DataPageSerialValues::desfireMode);
    desfireRow->addWidget(desfireMode_);
    format->addLayout(desfireRow, 3, 0, 1, 4);
    auto *sequenceRow = new QHBoxLayout;
    startBlockLabel_ = label("startBlockLabel");
    sequenceRow->addWidget(startBlockLabel_);
    sequenceRow->addWidget(edit("startBlock", &DataPageSerialValues::startBlock));
    lengthLabel_ = label("lengthLabel");
    sequenceRow->addWidget(lengthLabel_);
    sequenceRow->addWidget(edit("length", &DataPageSerialValues::length));
    sequenceRow->addStretch();
    format->addLayout(sequenceRow, 4, 0, 1, 4);

    // Info box.
    infoBox_ = new QGroupBox(this);
    binding_.addText("infoBox", infoBox_);
    auto *infoLayout = new QVBoxLayout(infoBox_);
    for (int i = 1; i <= 5; ++i) {
        auto *l = new QLabel(infoBox_);
        const std::string name = "info" + std::to_string(i);
        l->setObjectName(QString::fromStdString(name));
        binding_.addText(name, l);
        infoLayout->addWidget(l);
    }

    // Character count, used bytes, reversal, type identifiers.
    auto *output = new QGridLayout;
    charCountLabel_ = new QLabel(this);
    output->addWidget(charCountLabel_, 0, 0);
    QLineEdit *count = edit("charCount", &DataPageSerialValues::charCount);
    count->setMaximumWidth(50);
    output->addWidget(count, 0, 1);
    usedBytesLabel_ = label("usedBytesLabel");
    output->addWidget(usedBytesLabel_, 1, 0);
    auto *used = new QHBoxLayout;
    QLineEdit *from = edit("usedBytesFrom", &DataPageSerialValues::usedBytesFrom);
    from->setMaximumWidth(50);
    used->addWidget(from);
    dash_ = label("usedBytesDash");
    dash_->setText(QStringLiteral("-"));
    used->addWidget(dash_);
    QLineEdit *to = edit("usedBytesTo", &DataPageSerialValues::usedBytesTo);
    to->setMaximumWidth(50);
    used->addWidget(to);
    used->addStretch();
    output->addLayout(used, 1, 1);
    byteReverse_ = check("byteReverse", &DataPageSerialValues::byteReverse);
    bitReverse_ = check("bitReverse", &DataPageSerialValues::bitReverse);
    leftAlign_ = check("leftAlign", &DataPageSerialValues::leftAlign);
    output->addWidget(byteReverse_, 2, 0, 1, 2);
    output->addWidget(bitReverse_, 3, 0, 1, 2);
    output->addWidget(leftAlign_, 4, 0, 1, 2);
    typeIdBeforeLabel_ = label("typeIdBeforeLabel");
    output->addWidget(typeIdBeforeLabel_, 5, 0);
    QLineEdit *before = edit("typeIdBefore", &DataPageSerialValues::typeIdBefore);
    before->setMaximumWidth(30);
    output->addWidget(before, 5, 1);
    typeIdAfterLabel_ = label("typeIdAfterLabel");
    output->addWidget(typeIdAfterLabel_, 6, 0);
    QLineEdit *after = edit("typeIdAfter", &DataPageSerialValues::typeIdAfter);
    after->setMaximumWidth(30);
    output->addWidget(after, 6, 1);

    // Transponder keys and ISO 15693 options.
    keyGroup_ = new QGroupBox(this);
    binding_.add("keyGroup", keyGroup_);
    auto *keys = new QGridLayout(keyGroup_);
    keyActive_ = check("keyActive", &DataPageSerialValues::keyActive);
    keys->addWidget(keyActive_, 0, 0, 1, 4);
    mifareKeyLabel_ = label("mifareKeyLabel");
    keys->addWidget(mifareKeyLabel_, 1, 0);
    keys->addWidget(edit("mifareKey", &DataPageSerialValues::mifareKey), 1, 1, 1, 3);
    mifareKeyTypeLabel_ = label("mifareKeyTypeLabel");
    keys->addWidget(mifareKeyTypeLabel_, 2, 0);
    mifareKeyType_ = combo("mifareKeyType", &DataPageSerialValues::mifareKeyType);
    keys->addWidget(mifareKeyType_, 2, 1);
    desfireKeyTypeLabel_ = label("desfireKeyTypeLabel");
    keys->addWidget(desfireKeyTypeLabel_, 3, 0);
    desfireKeyType_ = combo("desfireKeyType", &DataPageSerialValues::desfireKeyType);
    keys->addWidget(desfireKeyType_, 3, 1);
    desfireKeyLabel_ = label("desfireKeyLabel");
    keys->addWidget(desfireKeyLabel_, 4, 0);
    QLineEdit *number = edit("desfireKeyNumber", &DataPageSerialValues::desfireKeyNumber);
    number->setMaximumWidth(40);
    keys->addWidget(number, 4, 1);
    keys->addWidget(edit("desfireKey", &DataPageSerialValues::desfireKey), 5, 0, 1, 4);
    highDataRate_ = check("highDataRate", &DataPageSerialValues::highDataRate);
    twoSubcarrier_ = check("twoSubcarrier", &DataPageSerialValues::twoSubcarrier);
    keys->addWidget(highDataRate_, 6, 0, 1, 2);
    keys->addWidget(twoSubcarrier_, 6, 2, 1, 2);

    functionTest_ = new QPushButton(this);
    readContent_ = new QPushButton(this);
    binding_.add("functionTest", functionTest_);
    binding_.add("readContent", readContent_);
    connect(functionTest_, &QPushButton::clicked, this, [this] { openPageFunctionTest(this, ctx_, flags_); });
    connect(readContent_, &QPushButton::clicked, this, [this] { openPageReadContent(this, ctx_); });
    for (QPushButton *b : {functionTest_, readContent_, blockSelect_}) b->setAutoDefault(false);

    auto *left = new QVBoxLayout;
    left->addWidget(reprGroup_);
    left->addLayout(output);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(formatGroup_);
    right->addWidget(infoBox_);
    right->addWidget(keyGroup_);
    right->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(functionTest_);
    buttons->addWidget(readContent_);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto *page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addLayout(buttons);
    retranslate();
}

void SerialDataPage::changed() {
    refresh();
    // Data set 2 cannot use the family data set 1 uses.
    if (partner_) partner_->refresh();
}

void SerialDataPage::pickBlocks() {
    QStringList texts;
    for (const auto &b : model_.values().blocks) texts << fromUtf8(b);
    BlockSelectDialog dialog(this, texts);
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList chosen = dialog.absoluteBlocks();
    for (int i = 0; i < 4 && i < chosen.size(); ++i)
        model_.values().blocks[std::size_t(i)] = chosen[i].toStdString();
    refresh();
}

void SerialDataPage::refresh() {
    RefreshScope scope(refreshing_);
    model_.refresh();
    const DataPageSerialValues &v = model_.values();
    refreshEdits();
    for (int i = 0; i < 4; ++i) setEditText(blocks_[std::size_t(i)], v.blocks[std::size_t(i)]);
    for (auto &[c, member] : checks_) c->setChecked(v.*member);
    for (auto &[c, member] : combos_) c->setCurrentIndex(v.*member);
    binding_.apply(model_.view());
}

void SerialDataPage::retranslate() {
    RefreshScope scope(refreshing_);
    reprGroup_->setTitle(uiText("data.representation"));
    for (int i = 0; i < 6; ++i)
        repr_[std::size_t(i)]->setText(uiText(("data.repr." + std::to_string(i)).c_str()));
    formatGroup_->setTitle(uiText("data.format"));
    for (int i = 0; i < 4; ++i) families_[std::size_t(i)]->setText(uiText(kFamilyTexts[std::size_t(i)]));
    selection_[0]->setText(uiText(534));
    selection_[1]->setText(uiText("data.singleBlock"));
    selection_[2]->setText(uiText("data.blockSequence"));
    charCountLabel_->setText(uiText("data.charCount"));
    usedBytesLabel_->setText(uiText("data.usedBytes"));
    byteReverse_->setText(uiText("data.reverseBytes"));
    bitReverse_->setText(uiText("data.reverseBits"));
    leftAlign_->setText(uiText("data.leftAlign"));
    typeIdBeforeLabel_->setText(uiText("data.typeIdBefore"));
    typeIdAfterLabel_->setText(uiText("data.typeIdAfter"));
    mifareKeyLabel_->setText(uiText("data.keyword"));
    mifareKeyTypeLabel_->setText(uiText("data.keyType"));
    desfireKeyTypeLabel_->setText(uiText("data.desfireKeyType"));
    desfireKeyLabel_->setText(uiText("data.desfireKeyLabel"));
    appIdLabel_->setText(uiText(606));
    fileIdLabel_->setText(uiText(607));
    modeLabel_->setText(uiText("data.modeLabel"));
    startBlockLabel_->setText(uiText("data.startBlock"));
    lengthLabel_->setText(uiText("data.lengthBytes"));
    highDataRate_->setText(uiText("data.highDataRate"));
    twoSubcarrier_->setText(uiText("data.twoSubcarrier"));
    functionTest_->setText(uiText("data.functionTest"));
    readContent_->setText(uiText("data.readContent"));
    auto fill = [](QComboBox *c, const QStringList &items) {
        const int index = c->currentIndex();
        c->clear();
        c->addItems(items);
        c->setCurrentIndex(index);
    };
    fill(mifareKeyType_, {uiText("data.keyA"), uiText("data.keyB")});
    fill(desfireKeyType_, {QStringLiteral("3DES"), QStringLiteral("AES")});
    QStringList modes;
    for (int i = 0; i < 4; ++i) modes << uiText(("data.desfireMode." + std::to_string(i)).c_str());
    fill(desfireMode_, modes);
    refresh();
}

}  // namespace orvex::gui
