// Prefix, suffix, separator and removal pages of keyboard-wedge readers,
// bound to KeyStrokePage: the key-capture box records what the person
// presses and releases; the overflow dialog refuses a key beyond the
// reader's buffer.
#pragma once

#include <functional>

#include "app/connect.h"
#include "gui/sheets/sheet_page.h"
#include "keys/key_stroke_page.h"

class QKeyEvent;
class QPushButton;
class QTreeWidget;

namespace orvex::gui {

class KeyCaptureBox;

class KeyStrokePageWidget : public SheetPage {
    Q_OBJECT
public:
    KeyStrokePageWidget(const std::string &id, app::KeyStrokePage &model, app::ConnectContext &ctx,
                        QWidget *parent = nullptr);

    void refresh() override;
    void retranslate() override;
    void enterPressed() override;
    void activated() override;

    KeyCaptureBox *captureBox() const { return capture_; }
    QTreeWidget *sequenceList() const { return list_; }
    QPushButton *tabButton() const { return tab_; }
    QPushButton *escButton() const { return esc_; }
    QPushButton *deleteButton() const { return delete_; }
    QPushButton *clearButton() const { return clear_; }

    // Runs the overflow dialog; tests replace it to answer it themselves.
    std::function<void()> showOverflow;

    void pressKey(const QKeyEvent &event);
    void releaseKey(const QKeyEvent &event);

private:
    void recorded(app::RecordResult result);
    void runOverflowDialog();

    app::KeyStrokePage &model_;
    app::ConnectContext &ctx_;
    KeyCaptureBox *capture_ = nullptr;
    QTreeWidget *list_ = nullptr;
    QPushButton *tab_ = nullptr, *esc_ = nullptr, *delete_ = nullptr, *clear_ = nullptr,
                *readContent_ = nullptr;
};

}  // namespace orvex::gui
