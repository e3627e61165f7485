#include "gui/sheets/sheet_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"
#include "gui/sheets/sheet_page.h"
#include "sheets/safe_programming.h"

namespace orvex::gui {

namespace {
constexpr int kSave = 506, kLoad = 504, kProgram = 505, kCancel = 507;
}

SheetDialog::SheetDialog(QWidget *parent, app::ConnectContext &ctx, app::SheetBase &sheet)
    : QDialog(parent), ctx_(ctx), sheet_(sheet) {
    tabs_ = new QTabWidget(this);
    save_ = new QPushButton(this);
    load_ = new QPushButton(this);
    program_ = new QPushButton(this);
    cancel_ = new QPushButton(this);
    // Enter belongs to the active page, never to a button.
    for (QPushButton *b : {save_, load_, program_, cancel_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layoutStepRow();
    layoutButtons();

    connect(save_, &QPushButton::clicked, this, [this] { save(); });
    connect(load_, &QPushButton::clicked, this, [this] { load(); });
    connect(program_, &QPushButton::clicked, this, [this] { program(); });
    connect(cancel_, &QPushButton::clicked, this, &SheetDialog::reject);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (SheetPage *p = currentPage()) p->activated();
    });
}

void SheetDialog::attachSheet() {
    sheet_.onRefused = [this](const std::string &pageId, const app::ValidationFailure &failure) {
        showPage(pageId);
        refusal_ = Refusal{pageId, failure.field, failure.selectPosition};
    };
    sheet_.onStep = [this](const app::ProgramStep &step) { showStep(step); };
}

void SheetDialog::layoutStepRow() {
    // The row keeps its height when idle so the window does not jump when a
    // run starts.
    stepLabel_ = new QLabel(this);
    // The window is disabled while the reader works; the step stays legible.
    QPalette legible = stepLabel_->palette();
    legible.setColor(QPalette::Disabled, QPalette::WindowText,
                     legible.color(QPalette::Active, QPalette::WindowText));
    stepLabel_->setPalette(legible);
    stepProgress_ = new QProgressBar(this);
    stepProgress_->setTextVisible(false);
    stepProgress_->setMaximumWidth(160);
    QSizePolicy keep = stepProgress_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    stepProgress_->setSizePolicy(keep);
    stepProgress_->hide();
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(stepLabel_, 1);
    row->addWidget(stepProgress_, 0);
    static_cast<QVBoxLayout *>(layout())->addLayout(row);
}

void SheetDialog::showStep(const app::ProgramStep &step) {
    stepLabel_->setText(fromUtf8(app::programStepText(step)));
    stepProgress_->setRange(0, step.count);
    stepProgress_->setValue(step.index - 1);
    stepProgress_->show();
    // The reader call that follows keeps only paint events flowing: paint the
    // new step now rather than at the first wait.
    stepLabel_->repaint();
    stepProgress_->repaint();
}

void SheetDialog::clearStep() {
    stepLabel_->clear();
    stepProgress_->hide();
}

void SheetDialog::layoutButtons() {
    // "Speichern", "Laden", "Programmieren", "Abbrechen": equal widths, the
    // first flush left and the last flush right under the tabs.
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    const QList<QPushButton *> order{save_, load_, program_, cancel_};
    for (int i = 0; i < order.size(); ++i) {
        if (i > 0) row->addStretch(1);
        order[i]->setMinimumWidth(110);
        row->addWidget(order[i], 0);
    }
    static_cast<QVBoxLayout *>(layout())->addLayout(row);
}

void SheetDialog::addPage(SheetPage *page) {
    pages_.push_back(page);
    tabs_->addTab(page, QString());
}

SheetPage *SheetDialog::page(const std::string &id) const {
    for (SheetPage *p : pages_)
        if (p->id() == id) return p;
    return nullptr;
}

SheetPage *SheetDialog::currentPage() const { return qobject_cast<SheetPage *>(tabs_->currentWidget()); }

void SheetDialog::showPage(const std::string &id) {
    if (SheetPage *p = page(id)) tabs_->setCurrentWidget(p);
}

bool SheetDialog::runExclusive(const std::function<void()> &operation) {
    if (busy_) return false;
    busy_ = true;
    for (QPushButton *b : {save_, load_, program_, cancel_}) b->setEnabled(false);
    operation();
    for (QPushButton *b : {save_, load_, program_, cancel_}) b->setEnabled(true);
    busy_ = false;
    refreshPages();
    if (refusal_) {
        if (SheetPage *p = page(refusal_->page)) {
            showPage(refusal_->page);
            focusRefusedControl(p->control(refusal_->field), refusal_->selectPosition);
        }
        refusal_.reset();
    }
    return true;
}

void SheetDialog::readConfiguration() {
    if (readDone_) return;
    readDone_ = true;
    if (SheetPage *p = currentPage()) p->activated();
    runExclusive([this] { readModel(); });
    if (SheetPage *p = currentPage()) p->activated();
}

app::ProgramOutcome SheetDialog::program() {
    app::ProgramOutcome outcome = app::ProgramOutcome::Stopped;
    runExclusive([&] { outcome = programModel(); });
    clearStep();
    return outcome;
}

app::ProgramOutcome SheetDialog::programModel() {
    app::ProgramSafeguards safeguards;
    safeguards.askWithoutBackup = true;
    return app::programSafely(ctx_, sheet_, safeguards).outcome;
}

bool SheetDialog::load() {
    bool done = false;
    runExclusive([&] { done = loadModel(); });
    return done;
}

bool SheetDialog::save() {
    bool done = false;
    runExclusive([&] { done = saveModel(); });
    return done;
}

void SheetDialog::refreshPages() {
    for (SheetPage *p : pages_) p->refresh();
    const auto titles = pageTitles();
    for (const auto &[id, title] : titles)
        if (SheetPage *p = page(id)) tabs_->setTabText(tabs_->indexOf(p), fromUtf8(title));
    setWindowTitle(fromUtf8(sheet_.title()));
}

void SheetDialog::retranslate() {
    save_->setText(uiText(kSave));
    load_->setText(uiText(kLoad));
    program_->setText(uiText(kProgram));
    cancel_->setText(uiText(kCancel));
    sheet_.retranslateTitle();
    for (SheetPage *p : pages_) p->retranslate();
    refreshPages();
}

void SheetDialog::reject() {
    // Closing waits for the running operation; nothing is saved or asked.
    if (!busy_) QDialog::reject();
}

void SheetDialog::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (SheetPage *p = currentPage(); p && !busy_) p->enterPressed();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SheetDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!readDone_ && readOnShow_) QTimer::singleShot(0, this, [this] { readConfiguration(); });
}

void SheetDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange && !pages_.empty()) retranslate();
    QDialog::changeEvent(event);
}

}  // namespace orvex::gui
