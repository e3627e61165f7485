// A dialog or message box that opens inside the busy state (the interface
// dialog during a connect, a connect message) must be usable: while it runs,
// the normal cursor is shown and the main window is enabled again (a disabled
// parent would disable the dialog too; the modal dialog blocks the main
// window's input by itself). The busy state comes back afterwards.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace orvex::gui {

class CursorSuspend {
public:
    explicit CursorSuspend(QWidget *mainWindow = nullptr)
        : active_(QApplication::overrideCursor() != nullptr), mainWindow_(mainWindow) {
        if (!active_) return;
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        if (mainWindow_ && !mainWindow_->isEnabled()) {
            reenabled_ = true;
            mainWindow_->setEnabled(true);
        }
    }
    ~CursorSuspend() {
        if (!active_) return;
        if (reenabled_ && mainWindow_) mainWindow_->setEnabled(false);
        QApplication::restoreOverrideCursor();
    }
    CursorSuspend(const CursorSuspend &) = delete;
    CursorSuspend &operator=(const CursorSuspend &) = delete;

private:
    bool active_;
    bool reenabled_ = false;
    QPointer<QWidget> mainWindow_;
};

}  // namespace orvex::gui
