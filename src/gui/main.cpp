// OrvexReaderSetup: the desktop program.
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <string_view>

#include "app/connect.h"
#include "app/settings_store.h"
#include "app/version_text.h"
#include "gui/app/artwork.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_prompts.h"
#include "gui/app/wait_hook.h"
#include "update/update_checks.h"

namespace {

// The manual page is made from this text and --version.
constexpr const char *kHelpText =
    "Usage: OrvexReaderSetup [OPTION]...\n"
    "Identifies, configures and tests Orvex RFID readers.\n"
    "\n"
    "At start the program identifies the reader at the stored interface and asks\n"
    "for an interface when none answers. Settings (interface, language, window)\n"
    "are kept in $XDG_CONFIG_HOME/Qel Applikationen/OrvexReaderSetup.ini.\n"
    "\n"
    "Options:\n"
    "  -h, --help       print this text and exit\n"
    "      --version    print the version and exit\n"
    "\n"
    "The standard Qt options apply as well, for example -platform offscreen.\n";

}  // namespace

int main(int argc, char **argv) {
    using namespace orvex;
    // Answered before the window system starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelpText, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts(app::versionText("OrvexReaderSetup").c_str());
            return 0;
        }
    }
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
    const auto updates = update::UpdateChecks::forSettings(settings);
    updates->device().start();

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
