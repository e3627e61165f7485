#include "gui/app/qt_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

#include "gui/app/cursor_suspend.h"
#include "gui/app/ui_text.h"

namespace orvex::gui {

namespace {
constexpr int kProgramTitle = 57344;
}

QMessageBox::Icon toQtIcon(app::MessageIcon icon) {
    switch (icon) {
        case app::MessageIcon::Information:
            return QMessageBox::Information;
        case app::MessageIcon::Warning:
            return QMessageBox::Warning;
        case app::MessageIcon::Error:
            return QMessageBox::Critical;
        case app::MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QtPrompts::QtPrompts(QWidget *mainWindow) : mainWindow_(mainWindow) {}

QWidget *QtPrompts::messageParent() const {
    if (QWidget *modal = QApplication::activeModalWidget()) return modal;
    return mainWindow_;
}

void QtPrompts::showMessage(const std::string &text, app::MessageIcon icon) {
    CursorSuspend usable(mainWindow_);
    QMessageBox box(toQtIcon(icon), uiText(kProgramTitle), messageText(text), QMessageBox::Ok,
                    messageParent());
    box.exec();
}

bool QtPrompts::askYesNo(const std::string &text, bool defaultYes) {
    return askYesNoWith(app::MessageIcon::Question, text, defaultYes);
}

bool QtPrompts::askYesNoWith(app::MessageIcon icon, const std::string &text, bool defaultYes) {
    CursorSuspend usable(mainWindow_);
    QMessageBox box(toQtIcon(icon), uiText(kProgramTitle), messageText(text),
                    QMessageBox::Yes | QMessageBox::No, messageParent());
    // Qt's own button texts are English; the string table speaks the active language.
    box.button(QMessageBox::Yes)->setText(uiText("layout.yes"));
    box.button(QMessageBox::No)->setText(uiText("layout.no"));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompts::askRetry(const std::string &text, const std::string &caption) {
    CursorSuspend usable(mainWindow_);
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption), messageText(text),
                    QMessageBox::Retry | QMessageBox::Cancel, messageParent());
    box.button(QMessageBox::Retry)->setText(uiText("button.retry"));
    box.button(QMessageBox::Cancel)->setText(uiText(507));
    box.setDefaultButton(QMessageBox::Retry);
    return box.exec() == QMessageBox::Retry;
}

std::optional<std::string> QtPrompts::chooseOpenFile(const std::string &title, const std::string &filter,
                                                     const std::string &folder) {
    CursorSuspend usable(mainWindow_);
    const QString file =
        QFileDialog::getOpenFileName(messageParent(), QString::fromStdString(title),
                                     QString::fromStdString(folder), QString::fromStdString(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

std::optional<std::string> QtPrompts::chooseSaveFile(const std::string &title, const std::string &filter,
                                                     const std::string &folder,
                                                     const std::string &suggestedName) {
    QString start = QString::fromStdString(folder);
    if (!suggestedName.empty())
        start = start.isEmpty() ? QString::fromStdString(suggestedName)
                                : start + QLatin1Char('/') + QString::fromStdString(suggestedName);
    CursorSuspend usable(mainWindow_);
    const QString file = QFileDialog::getSaveFileName(messageParent(), QString::fromStdString(title), start,
                                                      QString::fromStdString(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

void QtPrompts::beginBusy() {
    if (busyDepth_++ > 0) return;
    // The override cursor is application-wide, so it stays a wait cursor over
    // the disabled main window too.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (mainWindow_) {
        wasEnabled_ = mainWindow_->isEnabled();
        mainWindow_->setEnabled(false);
    }
}

void QtPrompts::endBusy() {
    if (busyDepth_ == 0 || --busyDepth_ > 0) return;
    if (mainWindow_) mainWindow_->setEnabled(wasEnabled_);
    QApplication::restoreOverrideCursor();
}

void QtPrompts::status(const std::string &text) {
    if (auto *frame = qobject_cast<QMainWindow *>(mainWindow_.data()))
        frame->statusBar()->showMessage(QString::fromStdString(text));
}

}  // namespace orvex::gui
