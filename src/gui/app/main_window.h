// The main frame: menu, toolbar, status bar, title, placement, the two
// display languages and the commands that connect to the reader and open the
// dialogs. The reader logic of every command lives in liborvexapp
// (main_commands.h, connect.h); this class binds it to windows.
#pragma once

#include <QMainWindow>
#include <map>

#include "app/connect.h"
#include "app/main_commands.h"
#include "gui/app/qt_prompts.h"
#include "update/update_checks.h"

class QMenu;
class QToolBar;

namespace orvex::gui {

class LockIndicators;
class PictureView;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(app::ConnectContext &ctx, QtPrompts &prompts);
    ~MainWindow() override;

    // False when the view's picture could not be loaded (the program does not start).
    bool viewReady() const;
    PictureView *view() const { return view_; }

    app::FrameState &frame() { return frame_; }
    app::ConnectContext &context() { return ctx_; }
    int language() const { return language_; }
    QAction *action(int command) const;

    // Start-up identification (after the window is shown); then, when
    // "Version"/"Update" is on, the program update check.
    void identifyAtStartup();

    // The update checks of this run (they outlive the window): the About box
    // shows them, and a newer version found opens it (commands 1034, 1035).
    void setUpdateChecks(update::UpdateChecks *checks);

    // Language switch; switching to the current language does nothing.
    void switchToEnglish();
    void switchToGerman();

    // Menu and toolbar enabling and check marks from flags and language.
    void updateCommandStates();

    // Runs a menu or toolbar command by its id.
    void runCommand(int command);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void retranslate();
    void broadcastLanguageChange();
    bool runInterfaceDialog();
    void reportMissingWindow();

    void configure();
    void readContent();
    void selectInterface();
    void ipAddress();
    void startMode();
    void txPower();
    void factoryReset();
    void about();
    void manual();
    void postCommand(int command);
    void programUpdateFound();
    void deviceUpdateFound();

    app::ConnectContext &ctx_;
    QtPrompts &prompts_;
    app::FrameState frame_;
    int language_ = 0;

    std::map<int, QAction *> actions_;
    QMenu *settingsMenu_ = nullptr;
    QMenu *languageMenu_ = nullptr;
    QMenu *helpMenu_ = nullptr;
    QToolBar *toolBar_ = nullptr;
    PictureView *view_ = nullptr;
    LockIndicators *indicators_ = nullptr;

    update::UpdateChecks *updates_ = nullptr;
    int programUpdateListener_ = 0;
    int deviceUpdateListener_ = 0;
    bool aboutOpen_ = false;
};

}  // namespace orvex::gui
