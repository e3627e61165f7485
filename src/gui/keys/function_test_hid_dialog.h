// "Funktionstest HID": a reader in USB keyboard mode types into a text box
// like a keyboard; no link is needed.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace orvex::gui {

class FunctionTestHidDialog : public QDialog {
    Q_OBJECT
public:
    explicit FunctionTestHidDialog(QWidget *parent);

    QPlainTextEdit *keyboardBox() const { return box_; }
    void clearText();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void retranslate();

    bool minimumTaken_ = false;
    QLabel *label_ = nullptr;
    QPlainTextEdit *box_ = nullptr;
    QPushButton *clear_ = nullptr, *close_ = nullptr;
};

}  // namespace orvex::gui
