// The window of a configuration sheet: its pages as tabs and the four buttons
// "Speichern", "Laden", "Programmieren", "Abbrechen". The sheet model of
// liborvexapp reads the reader when the window opens, programs it, and loads
// and saves files; this window runs those operations one at a time (busy
// state meanwhile), shows the pages and puts the focus on a refused value.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "app/connect.h"
#include "sheets/sheet_base.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace orvex::gui {

class SheetPage;

class SheetDialog : public QDialog {
    Q_OBJECT
public:
    SheetDialog(QWidget *parent, app::ConnectContext &ctx, app::SheetBase &sheet);

    QTabWidget *tabs() const { return tabs_; }
    QPushButton *saveButton() const { return save_; }
    QPushButton *loadButton() const { return load_; }
    QPushButton *programButton() const { return program_; }
    QPushButton *cancelButton() const { return cancel_; }
    // The step "Programmieren" is in ("Prefix (2 von 7)"); empty otherwise.
    QLabel *stepLabel() const { return stepLabel_; }
    QProgressBar *stepProgress() const { return stepProgress_; }
    SheetPage *page(const std::string &id) const;
    SheetPage *currentPage() const;
    void showPage(const std::string &id);

    // The reader's configuration into the pages (runs once when the window is
    // first shown; tests may call it before).
    void readConfiguration();
    app::ProgramOutcome program();
    bool load();
    bool save();
    // Off: showing the window does not read the reader (files only, tests).
    void setReadOnShow(bool on) { readOnShow_ = on; }
    // An operation is running: the buttons do nothing meanwhile.
    bool busy() const { return busy_; }

    // Model -> every page, tab titles and window title.
    void refreshPages();

protected:
    virtual void readModel() = 0;
    // "Programmieren" with a backup of the reader first and a read-back
    // after; asks before programming without a backup.
    virtual app::ProgramOutcome programModel();
    virtual bool loadModel() = 0;
    virtual bool saveModel() = 0;
    virtual std::vector<std::pair<std::string, std::string>> pageTitles() const = 0;

    // Called by the derived window once its sheet model exists.
    void attachSheet();
    void addPage(SheetPage *page);
    // Captions of the current language into the buttons, pages and titles.
    void retranslate();
    void reject() override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

    app::ConnectContext &ctx_;

private:
    bool runExclusive(const std::function<void()> &operation);
    void layoutButtons();
    void layoutStepRow();
    void showStep(const app::ProgramStep &step);
    void clearStep();

    app::SheetBase &sheet_;
    QTabWidget *tabs_ = nullptr;
    QPushButton *save_ = nullptr, *load_ = nullptr, *program_ = nullptr, *cancel_ = nullptr;
    QLabel *stepLabel_ = nullptr;
    QProgressBar *stepProgress_ = nullptr;
    std::vector<SheetPage *> pages_;
    bool busy_ = false;
    bool readDone_ = false;
    bool readOnShow_ = true;
    // The control a page refused, focused once the operation has ended.
    struct Refusal {
        std::string page, field;
        int selectPosition = 0;
    };
    std::optional<Refusal> refusal_;
};

}  // namespace orvex::gui
