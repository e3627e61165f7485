#include "gui/sheets/key_stroke_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/string_table.h"
#include "gui/app/ui_text.h"
#include "gui/sheets/key_capture_box.h"
#include "gui/sheets/key_event_map.h"
#include "gui/sheets/overflow_dialog.h"
#include "gui/sheets/page_actions.h"

namespace orvex::gui {

KeyStrokePageWidget::KeyStrokePageWidget(const std::string &id, app::KeyStrokePage &model,
                                         app::ConnectContext &ctx, QWidget *parent)
    : SheetPage(id, parent), model_(model), ctx_(ctx) {
    capture_ = new KeyCaptureBox(this);
    capture_->setObjectName(QStringLiteral("capture"));
    tab_ = new QPushButton(this);
    esc_ = new QPushButton(this);
    delete_ = new QPushButton(this);
    clear_ = new QPushButton(this);
    readContent_ = new QPushButton(this);
    for (QPushButton *b : {tab_, esc_, delete_, clear_, readContent_}) b->setAutoDefault(false);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("sequence"));
    list_->setColumnCount(1);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setStretchLastSection(true);
    showOverflow = [this] { runOverflowDialog(); };

    connect(capture_, &KeyCaptureBox::keyPressed, this, &KeyStrokePageWidget::pressKey);
    connect(capture_, &KeyCaptureBox::keyReleased, this, &KeyStrokePageWidget::releaseKey);
    connect(tab_, &QPushButton::clicked, this,
            [this] { recorded(model_.addKey(app::KeyStrokePage::kVkTab, app::KeyStrokePage::kScanTab)); });
    connect(esc_, &QPushButton::clicked, this, [this] {
        recorded(model_.addKey(app::KeyStrokePage::kVkEscape, app::KeyStrokePage::kScanEscape));
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (auto message = model_.deleteKey())
            ctx_.prompts.showMessage(app::text(message->id), app::MessageIcon::Warning);
        refresh();
        capture_->setFocus();
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        model_.clearKeys();
        refresh();
        capture_->setFocus();
    });
    connect(readContent_, &QPushButton::clicked, this, [this] {
        openPageReadContent(this, ctx_);
        model_.clearCapture();
        refresh();
        capture_->setFocus();
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
        if (refreshing_) return;
        QTreeWidgetItem *item = list_->currentItem();
        model_.selectItem(item ? list_->indexOfTopLevelItem(item) : -1);
    });

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(capture_);
    buttons->addWidget(tab_);
    buttons->addWidget(esc_);
    buttons->addWidget(delete_);
    buttons->addWidget(clear_);
    buttons->addStretch();
    buttons->addWidget(readContent_);
    auto *page = new QHBoxLayout(this);
    page->addLayout(buttons, 1);
    page->addWidget(list_, 2);
    retranslate();
}

void KeyStrokePageWidget::pressKey(const QKeyEvent &event) {
    const auto key = capturedKeyFrom(event);
    if (!key) return;
    recorded(model_.recordPress(*key, capture_->hasFocus()));
}

void KeyStrokePageWidget::releaseKey(const QKeyEvent &event) {
    const auto key = capturedKeyFrom(event);
    if (!key) return;
    if (model_.recordRelease(*key) == app::RecordResult::Recorded) refresh();
}

void KeyStrokePageWidget::recorded(app::RecordResult result) {
    if (result == app::RecordResult::Overflow) {
        if (showOverflow) showOverflow();
        return;
    }
    if (result == app::RecordResult::Recorded) refresh();
}

void KeyStrokePageWidget::runOverflowDialog() {
    OverflowDialog dialog(this);
    connect(&dialog, &OverflowDialog::keyReleased, this, &KeyStrokePageWidget::releaseKey);
    dialog.exec();
    capture_->setFocus();
}

void KeyStrokePageWidget::enterPressed() {
    recorded(model_.recordPress({app::KeyStrokePage::kVkEnter, app::KeyStrokePage::kScanEnter, false, false},
                                capture_->hasFocus()));
}

void KeyStrokePageWidget::activated() {
    model_.clearCapture();
    refresh();
    capture_->setFocus(Qt::OtherFocusReason);
}

void KeyStrokePageWidget::refresh() {
    RefreshScope scope(refreshing_);
    capture_->setText(fromUtf8(model_.captureText()));
    list_->clear();
    for (const app::KeyListItem &item : model_.rebuildList()) {
        auto *row = new QTreeWidgetItem(list_, {fromUtf8(item.text)});
        row->setData(0, Qt::UserRole, item.entry);
    }
    if (QTreeWidgetItem *selected = list_->topLevelItem(model_.selectedItem()))
        list_->setCurrentItem(selected);
    list_->setHeaderLabels({fromUtf8(model_.columnCaption())});
}

void KeyStrokePageWidget::retranslate() {
    tab_->setText(QStringLiteral("Tab"));
    esc_->setText(QStringLiteral("Esc"));
    delete_->setText(uiText("seq.deleteChar"));
    clear_->setText(uiText("seq.clearPage"));
    readContent_->setText(uiText("data.readContent"));
    refresh();
}

}  // namespace orvex::gui
