// The key-capture box of the key-stroke pages: every key press and release
// (Tab, Escape, Enter, Alt combinations included) goes to the page instead
// of typing or moving the focus; the box shows only what the page puts there.
#pragma once

#include <QLineEdit>

class QKeyEvent;

namespace orvex::gui {

class KeyCaptureBox : public QLineEdit {
    Q_OBJECT
public:
    explicit KeyCaptureBox(QWidget *parent = nullptr);

signals:
    void keyPressed(const QKeyEvent &event);
    void keyReleased(const QKeyEvent &event);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
};

}  // namespace orvex::gui
