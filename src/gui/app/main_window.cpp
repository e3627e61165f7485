#include "gui/app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/desktop_open.h"
#include "app/program_files.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "gui/app/about_dialog.h"
#include "gui/app/bluetooth_config_dialog.h"
#include "gui/app/bluetooth_connect_dialog.h"
#include "gui/app/artwork.h"
#include "gui/app/cursor_suspend.h"
#include "gui/app/interface_dialog.h"
#include "gui/app/lan_config_dialog.h"
#include "gui/app/lock_indicators.h"
#include "gui/app/picture_view.h"
#include "gui/app/ui_text.h"
#include "gui/app/window_lan_functions.h"
#include "gui/params/power_on_dialog.h"
#include "gui/params/read_content_dialog.h"
#include "gui/params/transmit_power_dialog.h"
#include "gui/sheets/configuration_sheets.h"

namespace orvex::gui {

using namespace app;

namespace {

constexpr int kProgramTitle = 57344;
constexpr int kLanguageFileMissing = 545;
constexpr QSize kInitialSize(700, 670);
constexpr int kToolButtonSize = 50;
constexpr int kToolIconSize = 36;

// Menu and toolbar commands: menu text name, prompt string (0: none) and
// toolbar picture (none: not on the toolbar).
struct CommandInfo {
    int id;
    const char *menuText;
    int prompt;
    const char *picture;
};
constexpr CommandInfo kCommands[] = {
    {CmdConfigure, "menu.configure", CmdConfigure, "tb_configure.svg"},
    {CmdReadContent, "menu.readContent", CmdReadContent, "tb_read.svg"},
    {CmdInterface, "menu.interface", CmdInterface, "tb_interface.svg"},
    {CmdIpAddress, "menu.ipAddress", CmdIpAddress, nullptr},
    {CmdStartMode, "menu.startMode", CmdStartMode, nullptr},
    {CmdTxPower, "menu.txPower", 0, nullptr},
    {CmdFactoryReset, "menu.factoryReset", 0, nullptr},
    {CmdLanguageGerman, "menu.german", CmdLanguageGerman, nullptr},
    {CmdLanguageEnglish, "menu.english", CmdLanguageEnglish, nullptr},
    {CmdExit, "menu.exit", CmdExit, "tb_exit.svg"},
    {CmdAbout, "menu.about", CmdAbout, "tb_about.svg"},
    {CmdHelp, nullptr, CmdHelp, "tb_manual.svg"},
};

// Toolbar order; 0 is a separator.
constexpr int kToolBar[] = {CmdConfigure, CmdReadContent, 0, CmdInterface, 0, CmdAbout, CmdHelp, 0, CmdExit};

}  // namespace

MainWindow::MainWindow(ConnectContext &ctx, QtPrompts &prompts) : ctx_(ctx), prompts_(prompts) {
    prompts_.setMainWindow(this);
    resize(kInitialSize);
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();

    view_ = new PictureView(this);
    setCentralWidget(view_);

    const SettingsStore &settings = ctx_.settings;
    move(settings.get(settings::WindowLeft), settings.get(settings::WindowTop));

    ctx_.setTitle = [this](const std::string &title) { setWindowTitle(QString::fromStdString(title)); };
    ctx_.interfaceDialog = [this] { return runInterfaceDialog(); };
    ctx_.bluetoothDeviceDialog = [this](int handle) {
        CursorSuspend arrow(this);
        BluetoothConnectDialog dialog(this, ctx_.settings, handle);
        return dialog.exec() == QDialog::Accepted;
    };

    retranslate();
    if (isEnglishSetting(settings.get(settings::Language))) switchToEnglish();
    setWindowTitle(uiText(kProgramTitle));
    updateCommandStates();
}

MainWindow::~MainWindow() {
    setUpdateChecks(nullptr);
    ctx_.setTitle = nullptr;
    ctx_.interfaceDialog = nullptr;
    ctx_.bluetoothDeviceDialog = nullptr;
    prompts_.setMainWindow(nullptr);
}

bool MainWindow::viewReady() const { return view_ && view_->hasPicture(); }

QAction *MainWindow::action(int command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::createActions() {
    for (const CommandInfo &info : kCommands) {
        auto *act = new QAction(this);
        if (info.picture) act->setIcon(artworkIcon(QString::fromLatin1(info.picture)));
        act->setIconVisibleInMenu(false);  // pictures belong to the toolbar
        const int id = info.id;
        connect(act, &QAction::triggered, this, [this, id] { runCommand(id); });
        actions_[id] = act;
        addAction(act);  // shortcuts work without the menu open
    }
    action(CmdLanguageGerman)->setCheckable(true);
    action(CmdLanguageEnglish)->setCheckable(true);
    action(CmdHelp)->setShortcut(QKeySequence(Qt::Key_F1));
    action(CmdHelp)->setShortcutContext(Qt::ApplicationShortcut);
}

void MainWindow::createMenus() {
    QMenuBar *bar = menuBar();
    // The menu bar would show an action's picture instead of its text: its
    // top-level commands get text-only twins.
    auto topLevel = [this, bar](int id) {
        auto *twin = new QAction(this);
        connect(twin, &QAction::triggered, this, [this, id] { runCommand(id); });
        connect(action(id), &QAction::changed, twin, [twin, original = action(id)] {
            twin->setText(original->text());
            twin->setStatusTip(original->statusTip());
            twin->setEnabled(original->isEnabled());
        });
        bar->addAction(twin);
    };
    topLevel(CmdConfigure);
    topLevel(CmdReadContent);
    settingsMenu_ = bar->addMenu(QString());
    for (int id : {CmdInterface, CmdIpAddress, CmdStartMode, CmdTxPower, CmdFactoryReset})
        settingsMenu_->addAction(action(id));
    languageMenu_ = bar->addMenu(QString());
    languageMenu_->addAction(action(CmdLanguageGerman));
    languageMenu_->addAction(action(CmdLanguageEnglish));
    topLevel(CmdExit);
    helpMenu_ = bar->addMenu(QString());
    helpMenu_->addAction(action(CmdAbout));
    for (QMenu *menu : {settingsMenu_, languageMenu_, helpMenu_})
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);
}

void MainWindow::createToolBar() {
    toolBar_ = addToolBar(QString());
    toolBar_->setObjectName(QStringLiteral("mainToolBar"));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setIconSize(QSize(kToolIconSize, kToolIconSize));
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int id : kToolBar) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        toolBar_->addAction(action(id));
        if (QWidget *button = toolBar_->widgetForAction(action(id)))
            button->setFixedSize(kToolButtonSize, kToolButtonSize);
    }
}

void MainWindow::createStatusBar() {
    QStatusBar *bar = statusBar();
    indicators_ = new LockIndicators(this);
    for (QLabel *label : indicators_->labels()) bar->addPermanentWidget(label);
}

void MainWindow::retranslate() {
    for (const CommandInfo &info : kCommands) {
        QAction *act = action(info.id);
        if (info.menuText)
            act->setText(uiText(info.menuText));
        else
            act->setText(promptTooltip(info.prompt));
        act->setStatusTip(info.prompt ? promptStatus(info.prompt) : QString());
        act->setToolTip(info.prompt ? promptTooltip(info.prompt) : act->text().remove(QLatin1Char('&')));
    }
    settingsMenu_->setTitle(uiText("menu.settings"));
    languageMenu_->setTitle(uiText("menu.languages"));
    helpMenu_->setTitle(uiText("menu.help"));
    toolBar_->setWindowTitle(uiText(kProgramTitle));
    indicators_->retranslate();
}

void MainWindow::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QMainWindow::changeEvent(event);
}

void MainWindow::broadcastLanguageChange() {
    // Every open window rebuilds its texts; the event travels on to the children.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &change);
    }
}

void MainWindow::switchToEnglish() {
    if (language_ == 1) return;
    if (!StringTable::instance().loadEnglish()) {
        prompts_.showMessage(StringTable::instance().text(kLanguageFileMissing), MessageIcon::Warning);
        return;
    }
    language_ = 1;
    broadcastLanguageChange();
    updateCommandStates();
}

void MainWindow::switchToGerman() {
    if (language_ == 0) return;
    StringTable::instance().useGerman();
    language_ = 0;
    broadcastLanguageChange();
    updateCommandStates();
}

void MainWindow::updateCommandStates() {
    for (const auto &[id, act] : actions_) act->setEnabled(menuCommandEnabled(id, frame_.flags));
    action(CmdLanguageGerman)->setChecked(language_ == 0);
    action(CmdLanguageEnglish)->setChecked(language_ == 1);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    SettingsStore &settings = ctx_.settings;
    settings.set(settings::Language, language_);
    const QPoint topLeft = windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)
                               ? normalGeometry().topLeft()
                               : pos();
    settings.set(settings::WindowLeft, topLeft.x());
    settings.set(settings::WindowTop, topLeft.y());
    switchToGerman();
    event->accept();
}

void MainWindow::runCommand(int command) {
    if (!menuCommandEnabled(command, frame_.flags)) return;
    statusBar()->clearMessage();
    switch (command) {
        case CmdConfigure:
            configure();
            break;
        case CmdReadContent:
            readContent();
            break;
        case CmdInterface:
            selectInterface();
            break;
        case CmdIpAddress:
            ipAddress();
            break;
        case CmdStartMode:
            startMode();
            break;
        case CmdTxPower:
            txPower();
            break;
        case CmdFactoryReset:
            factoryReset();
            break;
        case CmdLanguageGerman:
            switchToGerman();
            break;
        case CmdLanguageEnglish:
            switchToEnglish();
            break;
        case CmdExit:
            close();
            break;
        case CmdAbout:
            about();
            break;
        case CmdHelp:
            manual();
            break;
        case CmdProgramUpdateFound:
            programUpdateFound();
            break;
        case CmdDeviceUpdateFound:
            deviceUpdateFound();
            break;
        default:
            break;
    }
    updateCommandStates();
}

bool MainWindow::runInterfaceDialog() {
    CursorSuspend arrow(this);
    InterfaceDialog dialog(this, ctx_.settings, ctx_.devices, prompts_);
    return dialog.exec() == QDialog::Accepted;
}

void MainWindow::reportMissingWindow() { statusBar()->showMessage(uiText("status.windowNotAvailable")); }

void MainWindow::identifyAtStartup() {
    runStartupIdentification(ctx_, frame_);
    updateCommandStates();
    if (updates_ && ctx_.settings.get(settings::VersionUpdate) != 0)
        programUpdateListener_ = updates_->program().start([this] { postCommand(CmdProgramUpdateFound); });
}

void MainWindow::setUpdateChecks(update::UpdateChecks *checks) {
    if (updates_) {
        updates_->program().removeListener(programUpdateListener_);
        updates_->device().removeListener(deviceUpdateListener_);
        programUpdateListener_ = deviceUpdateListener_ = 0;
    }
    updates_ = checks;
    ctx_.deviceUpdateNotice = nullptr;
    if (updates_) ctx_.deviceUpdateNotice = [this] { postCommand(CmdDeviceUpdateFound); };
}

void MainWindow::postCommand(int command) {
    // Also called from fetch workers: the command runs on this window's thread.
    QMetaObject::invokeMethod(
        this, [this, command] { runCommand(command); }, Qt::QueuedConnection);
}

void MainWindow::programUpdateFound() {
    if (updates_ && updates_->programNow().state == update::UpdateState::Newer) about();
}

void MainWindow::deviceUpdateFound() {
    if (!updates_ || ctx_.identity.modelName.empty()) return;
    const auto status = updates_->deviceNow(ctx_.identity);
    if (status.state == update::UpdateState::Pending && deviceUpdateListener_ == 0) {
        // The reader's file is still on its way: ask again once it is here.
        deviceUpdateListener_ = updates_->device().start([this] { postCommand(CmdDeviceUpdateFound); });
        return;
    }
    if (status.state == update::UpdateState::Newer) about();
}

void MainWindow::configure() {
    // The sheet opens also without a reader (it then connects by itself, or
    // edits files); it fits the reader identified last.
    int handle = connectWithStoredSettings(ctx_, frame_);
    runConfigurationSheet(this, ctx_, configurationSheetFor(frame_.flags), handle, frame_.baud, frame_.flags);
    closeReader(handle);
}

void MainWindow::readContent() {
    const int handle = connectWithStoredSettings(ctx_, frame_);
    ReadContentDialog dialog(this, ctx_, handle, frame_.baud, frame_.flags);
    dialog.exec();
    dialog.closeReader();
}

void MainWindow::selectInterface() { runInterfaceCommand(ctx_, frame_); }

void MainWindow::ipAddress() {
    runIpAddressCommand(ctx_, frame_, [this](const std::string &address) -> std::optional<std::string> {
        LanConfigDialog dialog(this, address, windowLanFunctions(), prompts_);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.address();
    });
}

void MainWindow::startMode() {
    runStartModeCommand(
        ctx_, frame_.flags,
        [this](int &handle) {
            BluetoothConfigDialog dialog(this, handle, prompts_);
            dialog.exec();
        },
        [this](int &handle, bool silentOffered) {
            PowerOnModeDialog dialog(this, handle, silentOffered, prompts_);
            dialog.exec();
        });
}

void MainWindow::txPower() {
    runTxPowerCommand(ctx_, frame_.flags, [this](int &handle) {
        TransmitPowerDialog dialog(this, handle, prompts_);
        dialog.exec();
    });
}

void MainWindow::factoryReset() { runFactoryReset(ctx_, frame_.flags); }

void MainWindow::about() {
    if (aboutOpen_) return;  // an update notice while the box is open
    aboutOpen_ = true;
    AboutDialog dialog(this, ctx_, updates_);
    connect(&dialog, &AboutDialog::exitRequested, this, [this] { postCommand(CmdExit); });
    dialog.exec();
    aboutOpen_ = false;
}

void MainWindow::manual() {
    const auto pdf = findManual();
    if (!pdf) return;
    // The opener reports from its own thread; the message is shown on ours.
    QPointer<MainWindow> self(this);
    const int result = desktopOpen(*pdf, programDirectory(), [self](int finished) {
        if (finished >= 32 || !QCoreApplication::instance()) return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, finished] {
                if (self) self->prompts_.showMessage(desktopOpenFailureText(finished), MessageIcon::Error);
            },
            Qt::QueuedConnection);
    });
    const std::string text = desktopOpenFailureText(result);
    if (!text.empty()) prompts_.showMessage(text, MessageIcon::Error);
}

}  // namespace orvex::gui
