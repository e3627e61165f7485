// OrvexReaderSetup: the desktop program.
#include <QApplication>
#include <QTimer>

#include "app/connect.h"
#include "app/settings_store.h"
#include "gui/app/artwork.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_prompts.h"
#include "gui/app/wait_hook.h"
#include "update/update_checks.h"

int main(int argc, char **argv) {
    using namespace orvex;
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Qel Applikationen"));
    QApplication::setApplicationName(QStringLiteral("OrvexReaderSetup"));
    QApplication::setDesktopFileName(QStringLiteral("orvex-readersetup"));
    QApplication::setWindowIcon(gui::artworkIcon(QStringLiteral("logo.svg")));

    app::SettingsStore settings;
    gui::QtPrompts prompts;
    app::ConnectContext ctx(settings, prompts);
    gui::installReaderWaitHook();
    // The reader's version file is fetched in the background from the start.
    const auto updates = update::UpdateChecks::ForSettings(settings);
    updates->device().Start();

    int rc = 1;
    {
        gui::MainWindow window(ctx, prompts);
        window.setUpdateChecks(updates.get());
        if (!window.viewReady()) return 1;  // without its picture the program does not start
        window.show();
        QCoreApplication::processEvents();  // paint the window before the first connect
        QTimer::singleShot(0, &window, [&window] { window.identifyAtStartup(); });
        rc = QApplication::exec();
    }
    gui::removeReaderWaitHook();
    return rc;
}
