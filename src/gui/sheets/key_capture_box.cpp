#include "gui/sheets/key_capture_box.h"

#include <QKeyEvent>

namespace orvex::gui {

KeyCaptureBox::KeyCaptureBox(QWidget *parent) : QLineEdit(parent) {
    setReadOnly(true);  // typed characters never land in the box
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool KeyCaptureBox::event(QEvent *event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // No shortcut or mnemonic of the window takes a key meant for the sequence.
            event->accept();
            return true;
        case QEvent::KeyPress:
            keyPressEvent(static_cast<QKeyEvent *>(event));  // Tab too: no focus change
            return true;
        case QEvent::KeyRelease:
            keyReleaseEvent(static_cast<QKeyEvent *>(event));
            return true;
        default:
            return QLineEdit::event(event);
    }
}

void KeyCaptureBox::keyPressEvent(QKeyEvent *event) {
    event->accept();
    emit keyPressed(*event);
}

void KeyCaptureBox::keyReleaseEvent(QKeyEvent *event) {
    event->accept();
    emit keyReleased(*event);
}

void KeyCaptureBox::inputMethodEvent(QInputMethodEvent *event) { event->accept(); }

}  // namespace orvex::gui
