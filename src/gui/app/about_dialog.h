// "Info über Orvex ReaderSetup": program and SDK versions, the maker's
// contact lines with clickable web and mail addresses, the two update lines
// and the switch for the automatic update check ("Version"/"Update"), which
// is stored however the box is closed.
//
// With update checks, the box fetches the version files (once per run) and
// fills the update lines when they arrive; a line that offers an update
// downloads the installer in the background and starts it.
#pragma once

#include <QDialog>
#include <memory>

#include "app/connect.h"
#include "update/installer.h"
#include "update/update_checks.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace orvex::gui {

class LinkLabel;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(QWidget *parent, app::ConnectContext &ctx, update::UpdateChecks *updates = nullptr);
    ~AboutDialog() override;

    QCheckBox *autoCheckBox() const { return autoCheck_; }
    LinkLabel *programUpdateLine() const { return programUpdate_; }
    LinkLabel *readerUpdateLine() const { return readerUpdate_; }
    QString programLine() const;

    void done(int result) override;

    // Fills both update lines from what the version files say now.
    void refreshUpdateLines();
    // Downloads and starts the installer a line offers (a click on it).
    void startUpdate(LinkLabel *line);
    bool downloading() const { return download_ != nullptr; }

signals:
    // An installer was started: the program ends so that it can be replaced.
    void exitRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void openLink(const QString &target);
    void installerDownloaded(const update::InstallerDownloadResult &result);

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

    update::UpdateChecks *updates_ = nullptr;
    int programListener_ = 0;
    int deviceListener_ = 0;
    bool updatesArrived_ = false;
    update::ProgramStatus programStatus_;
    update::DeviceStatus deviceStatus_;
    std::unique_ptr<update::InstallerDownload> download_;
    LinkLabel *downloadLine_ = nullptr;
    QString textBeforeDownload_;
};

}  // namespace orvex::gui
