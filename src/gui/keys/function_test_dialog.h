// "Funktionstest": watches what a reader with a character interface outputs.
// liborvexapp's FunctionTest owns the link and the record splitting; this
// dialog drives its 50 ms poll from a timer and shows the texts.
#pragma once

#include <QDialog>

#include "sheets/function_test.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace orvex::gui {

class FunctionTestDialog : public QDialog {
    Q_OBJECT
public:
    // Connects and prepares the reader (busy state meanwhile). When that
    // fails, exec() ends at once with Rejected.
    FunctionTestDialog(QWidget *parent, app::ConnectContext &ctx);
    ~FunctionTestDialog() override;

    bool started() const { return started_; }
    int exec() override;

    app::FunctionTest &test() { return test_; }
    QLineEdit *asciiBox() const { return ascii_; }
    QLineEdit *hexBox() const { return hex_; }
    QLineEdit *counterBox() const { return counter_; }
    QPushButton *relayButton() const { return relay_; }
    void poll();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void retranslate();
    void showTexts();

    app::FunctionTest test_;
    bool started_ = false;
    bool minimumTaken_ = false;
    QTimer *timer_ = nullptr;
    QPushButton *send_ = nullptr;
    QLabel *requestLabel_ = nullptr, *hexUnit_ = nullptr, *modeLabel_ = nullptr, *counterLabel_ = nullptr;
    QLabel *asciiLabel_ = nullptr, *hexLabel_ = nullptr;
    QLineEdit *request_ = nullptr, *mode_ = nullptr, *counter_ = nullptr, *ascii_ = nullptr, *hex_ = nullptr;
    QPushButton *relay_ = nullptr, *buzzer_ = nullptr, *close_ = nullptr;
};

// The "Funktionstest" buttons of the pages: the HID variant for readers in
// USB keyboard mode (CAP_HID), else the dialog above with its own link.
void openFunctionTest(QWidget *parent, app::ConnectContext &ctx, app::CapabilityFlags flags);

// The fixed font of the output boxes: Courier New, else the system's fixed font.
QFont courierFont(const QFont &dialogFont);

}  // namespace orvex::gui
