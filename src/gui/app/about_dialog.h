// "Info über Orvex ReaderSetup": program and SDK versions, the maker's
// contact lines with clickable web and mail addresses, the two update lines
// and the switch for the automatic update check ("Version"/"Update"), which
// is stored however the box is closed.
#pragma once

#include <QDialog>

#include "app/connect.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace orvex::gui {

class LinkLabel;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(QWidget *parent, app::ConnectContext &ctx);

    QCheckBox *autoCheckBox() const { return autoCheck_; }
    LinkLabel *programUpdateLine() const { return programUpdate_; }
    LinkLabel *readerUpdateLine() const { return readerUpdate_; }
    QString programLine() const;

    void done(int result) override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void openLink(const QString &target);

    app::ConnectContext &ctx_;
    QLabel *picture_ = nullptr;
    QLabel *program_ = nullptr;
    QLabel *sdk_ = nullptr;
    LinkLabel *programUpdate_ = nullptr;
    LinkLabel *readerUpdate_ = nullptr;
    QCheckBox *autoCheck_ = nullptr;
    LinkLabel *web_ = nullptr;
    LinkLabel *mail_ = nullptr;
    QPushButton *ok_ = nullptr;
};

}  // namespace orvex::gui
