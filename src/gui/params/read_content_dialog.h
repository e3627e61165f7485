// "Inhalt eines programmierten Gerätes lesen": shows the read-content report
// of liborvexapp (read_content.h). Opened by the main frame with a connected
// handle, or by a page with handle 0 (it then connects by itself).
#pragma once

#include <QDialog>

#include "app/connect.h"
#include "params/read_content.h"

class QPlainTextEdit;
class QPushButton;

namespace orvex::gui {

class ReadContentDialog : public QDialog {
    Q_OBJECT
public:
    ReadContentDialog(QWidget *parent, app::ConnectContext &ctx, int handle, int baud,
                      app::CapabilityFlags flags);

    // Runs the reads and shows the report; false when no connection was made.
    bool readContent();
    // The caller closes whatever link the dialog still holds.
    void closeReader();
    int &handle() { return state_.handle; }
    app::CapabilityFlags flags() const { return state_.flags; }
    QString reportText() const;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void showText(const std::string &text);

    app::ConnectContext &ctx_;
    app::ReadContentState state_;
    bool firstShow_ = true;
    QPlainTextEdit *report_ = nullptr;
    QPushButton *read_ = nullptr;
    QPushButton *clear_ = nullptr;
    QPushButton *close_ = nullptr;
};

}  // namespace orvex::gui
