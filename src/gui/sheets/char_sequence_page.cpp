#include "gui/sheets/char_sequence_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/cp1252.h"
#include "app/string_table.h"
#include "gui/app/ui_text.h"
#include "gui/sheets/page_actions.h"
#include "keys/key_names.h"

namespace orvex::gui {

CharSequencePageWidget::CharSequencePageWidget(const std::string &id, app::CharSequencePage &model,
                                               app::ConnectContext &ctx, app::CapabilityFlags flags,
                                               QWidget *parent)
    : SheetPage(id, parent), model_(model), ctx_(ctx), flags_(flags) {
    inputLabel_ = new QLabel(this);
    input_ = new QLineEdit(this);
    input_->setObjectName(QStringLiteral("input"));
    choices_ = new QListWidget(this);
    choices_->setObjectName(QStringLiteral("inputList"));
    for (int code = 0; code < app::kInputListSize; ++code)
        choices_->addItem(fromUtf8(app::cp1252ToUtf8(app::inputListText(static_cast<uint8_t>(code)))));
    insert_ = new QPushButton(this);
    delete_ = new QPushButton(this);
    clear_ = new QPushButton(this);
    up_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowUp), QString(), this);
    down_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowDown), QString(), this);
    functionTest_ = new QPushButton(this);
    readContent_ = new QPushButton(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("sequence"));
    list_->setColumnCount(1);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setStretchLastSection(true);
    list_->setFont(QFont(QStringLiteral("Monospace")));
    for (QPushButton *b : {insert_, delete_, clear_, up_, down_, functionTest_, readContent_})
        b->setAutoDefault(false);

    // Typing makes the typed text the input; picking from the list takes
    // the list's entry with its position.
    connect(input_, &QLineEdit::textEdited, this, [this](const QString &text) {
        model_.setInput(text.toStdString(), -1);
        QSignalBlocker block(choices_);
        choices_->clearSelection();
        choices_->setCurrentRow(-1);
    });
    connect(choices_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_ || row < 0) return;
        input_->setText(choices_->item(row)->text());
        model_.setInput(input_->text().toStdString(), row);
    });
    connect(choices_, &QListWidget::itemDoubleClicked, this, [this] { insertCharacter(); });
    connect(insert_, &QPushButton::clicked, this, [this] { insertCharacter(); });
    connect(delete_, &QPushButton::clicked, this, [this] {
        showMessage(model_.deleteCharacter());
        refresh();
        input_->clear();
        model_.setInput({}, -1);
        input_->setFocus();
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        model_.clearPage();
        refresh();
    });
    connect(up_, &QPushButton::clicked, this, [this] {
        model_.moveUp();
        refresh();
    });
    connect(down_, &QPushButton::clicked, this, [this] {
        model_.moveDown();
        refresh();
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
        if (refreshing_) return;
        QTreeWidgetItem *item = list_->currentItem();
        model_.selectItem(item ? list_->indexOfTopLevelItem(item) : -1);
    });
    connect(functionTest_, &QPushButton::clicked, this, [this] { openPageFunctionTest(this, ctx_, flags_); });
    connect(readContent_, &QPushButton::clicked, this, [this] { openPageReadContent(this, ctx_); });

    auto *inputColumn = new QVBoxLayout;
    inputColumn->addWidget(inputLabel_);
    inputColumn->addWidget(input_);
    inputColumn->addWidget(choices_);
    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(insert_);
    buttons->addWidget(delete_);
    buttons->addWidget(clear_);
    buttons->addWidget(up_);
    buttons->addWidget(down_);
    buttons->addStretch();
    auto *columns = new QHBoxLayout;
    columns->addLayout(inputColumn, 2);
    columns->addLayout(buttons);
    columns->addWidget(list_, 3);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(functionTest_);
    bottom->addWidget(readContent_);
    auto *page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addLayout(bottom);
    retranslate();
}

void CharSequencePageWidget::showMessage(const std::optional<app::PageMessage> &message) {
    if (message) ctx_.prompts.showMessage(app::text(message->id), app::MessageIcon::Warning);
}

void CharSequencePageWidget::insertCharacter() {
    if (choices_->currentRow() < 0) model_.setInput(input_->text().toStdString(), -1);
    showMessage(model_.insertCharacter());
    if (model_.inputScrollPosition() >= 0) {
        QSignalBlocker block(choices_);
        choices_->scrollToItem(choices_->item(model_.inputScrollPosition()),
                               QAbstractItemView::PositionAtTop);
    }
    refresh();
    if (model_.inputTextSelected()) input_->selectAll();
    input_->setFocus();
}

void CharSequencePageWidget::refresh() {
    RefreshScope scope(refreshing_);
    const auto texts = model_.rebuildList();
    list_->clear();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto *item = new QTreeWidgetItem(list_, {fromUtf8(texts[i])});
        item->setData(0, Qt::UserRole, int(i));
    }
    if (QTreeWidgetItem *selected = list_->topLevelItem(model_.selectedItem()))
        list_->setCurrentItem(selected);
    list_->setHeaderLabels({fromUtf8(model_.columnCaption())});
}

void CharSequencePageWidget::retranslate() {
    inputLabel_->setText(uiText("seq.input"));
    insert_->setText(QStringLiteral(">>"));
    delete_->setText(uiText("seq.deleteChar"));
    clear_->setText(uiText("seq.clearPage"));
    up_->setText(uiText("seq.up"));
    down_->setText(uiText("seq.down"));
    functionTest_->setText(uiText("data.functionTest"));
    readContent_->setText(uiText("data.readContent"));
    refresh();
}

void CharSequencePageWidget::activated() { input_->setFocus(Qt::OtherFocusReason); }

}  // namespace orvex::gui
