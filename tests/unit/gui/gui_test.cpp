// Widget tests of the desktop program (offscreen): menu enabling, language
// switch, busy state, interface dialog, block selection, view fitting and the
// desktop opener.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>

#include "base/capabilities.h"
#include "app/connect.h"
#include "app/desktop_open.h"
#include "app/program_files.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "gui/app/about_dialog.h"
#include "update/update_checks.h"
#include "gui/app/link_label.h"
#include "gui/params/power_on_dialog.h"
#include "gui/app/interface_dialog.h"
#include "gui/app/main_window.h"
#include "gui/app/picture_view.h"
#include "gui/params/block_select_dialog.h"
#include "common/gui_fixture.h"

using namespace orvex;
using orvex::gui::test::GuiFixture;
using orvex::gui::test::ScriptedPrompts;

class GuiTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string storePath() const { return dir_.filePath(QStringLiteral("settings.ini")).toStdString(); }

private slots:
    void init() {
        QFile::remove(QString::fromStdString(storePath()));
        qunsetenv("ORVEX_ENGLISH_STRINGS");
        app::StringTable::instance().useGerman();
    }

    void menuEnablingFollowsFlags_data() {
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<bool>("ip");
        QTest::addColumn<bool>("startMode");
        QTest::addColumn<bool>("txPower");
        QTest::addColumn<bool>("reset");
        QTest::newRow("none") << quint32(0) << false << false << false << false;
        QTest::newRow("lan") << quint32(app::CAP_LAN) << true << false << false << false;
        QTest::newRow("bluetooth") << quint32(app::CAP_BLUETOOTH) << false << true << false << false;
        QTest::newRow("power-on") << quint32(app::CAP_POWER_ON_MODE) << false << true << false << false;
        QTest::newRow("tx power") << quint32(app::CAP_TX_POWER) << false << false << true << false;
        QTest::newRow("extended") << quint32(app::CAP_EXTENDED) << false << false << true << false;
        QTest::newRow("type 0x434") << quint32(0x6ff1b0) << false << true << true << true;
    }
    void menuEnablingFollowsFlags() {
        QFETCH(quint32, flags);
        GuiFixture f;
        gui::MainWindow frame(f.ctx, f.prompts);
        frame.frame().flags = flags;
        frame.updateCommandStates();
        QFETCH(bool, ip);
        QFETCH(bool, startMode);
        QFETCH(bool, txPower);
        QFETCH(bool, reset);
        QCOMPARE(frame.action(app::CmdIpAddress)->isEnabled(), ip);
        QCOMPARE(frame.action(app::CmdStartMode)->isEnabled(), startMode);
        QCOMPARE(frame.action(app::CmdTxPower)->isEnabled(), txPower);
        QCOMPARE(frame.action(app::CmdFactoryReset)->isEnabled(), reset);
        for (int always : {app::CmdConfigure, app::CmdReadContent, app::CmdInterface, app::CmdAbout,
                           app::CmdExit, app::CmdLanguageGerman, app::CmdLanguageEnglish})
            QVERIFY(frame.action(always)->isEnabled());
    }

    void menuOrderAndToolbar() {
        GuiFixture f;
        gui::MainWindow frame(f.ctx, f.prompts);
        QStringList top;
        for (QAction *a : frame.menuBar()->actions()) top << a->text();
        QCOMPARE(top, (QStringList{"&Konfigurieren", "Konfiguration &lesen", "Einstellungen", "Sprachen",
                                   "&Beenden", "&?"}));
        QCOMPARE(frame.action(app::CmdConfigure)->statusTip(), QStringLiteral("Programmierdialog"));
        QCOMPARE(frame.action(app::CmdConfigure)->toolTip(), QStringLiteral("Programmieren"));
        QCOMPARE(frame.windowTitle(), QStringLiteral("Orvex ReaderSetup"));
    }

    void languageSwitchAndBack() {
        qputenv("ORVEX_ENGLISH_STRINGS", ORVEX_SOURCE_DIR "/resources/OrvexReaderSetupEng.ini");
        GuiFixture f;
        gui::MainWindow frame(f.ctx, f.prompts);
        gui::BlockSelectDialog open(&frame, {});  // an open window follows the switch too
        open.show();

        frame.runCommand(app::CmdLanguageEnglish);
        QCOMPARE(frame.language(), 1);
        QCOMPARE(frame.action(app::CmdConfigure)->text(), QStringLiteral("&Configure"));
        QVERIFY(frame.action(app::CmdLanguageEnglish)->isChecked());
        QVERIFY(!frame.action(app::CmdLanguageGerman)->isChecked());
        QCOMPARE(open.windowTitle(), QStringLiteral("MIFARE® block selection"));

        // Twice to English does nothing, not even with the file gone.
        qputenv("ORVEX_ENGLISH_STRINGS", "/nonexistent/OrvexReaderSetupEng.ini");
        frame.runCommand(app::CmdLanguageEnglish);
        QCOMPARE(frame.language(), 1);
        QVERIFY(f.prompts.messages.empty());

        frame.runCommand(app::CmdLanguageGerman);
        QCOMPARE(frame.language(), 0);
        QCOMPARE(frame.action(app::CmdConfigure)->text(), QStringLiteral("&Konfigurieren"));
        QCOMPARE(open.windowTitle(), QStringLiteral("MIFARE® Block Auswahl"));

        // Back to English loads the file anew: now it is missing.
        frame.runCommand(app::CmdLanguageEnglish);
        QCOMPARE(frame.language(), 0);
        QCOMPARE(f.prompts.messages.size(), std::size_t(1));
        QCOMPARE(f.prompts.messages[0], app::StringTable::instance().text(545));
        QCOMPARE(frame.action(app::CmdConfigure)->text(), QStringLiteral("&Konfigurieren"));

        // The close stores the language that is active.
        frame.close();
        QCOMPARE(f.settings.get(app::settings::Language), 0);
    }

    void startsEnglishFromSettingsAndStoresPlacement() {
        qputenv("ORVEX_ENGLISH_STRINGS", ORVEX_SOURCE_DIR "/resources/OrvexReaderSetupEng.ini");
        GuiFixture f;
        f.settings.set(app::settings::Language, 1);
        {
            gui::MainWindow frame(f.ctx, f.prompts);
            QCOMPARE(frame.language(), 1);
            frame.show();
            frame.move(40, 30);
            QCoreApplication::processEvents();
            frame.close();
        }
        QCOMPARE(f.settings.get(app::settings::Language), 1);
        QCOMPARE(f.settings.get(app::settings::WindowLeft), 40);
        QCOMPARE(f.settings.get(app::settings::WindowTop), 30);
        // The close switched back to German.
        QCOMPARE(app::StringTable::instance().language(), app::Language::German);
    }

    void busyStateRestoredAfterFailedConnect() {
        GuiFixture f;
        f.settings.set(app::settings::PortName, "/dev/orvex-no-such-port");
        gui::MainWindow frame(f.ctx, f.prompts);
        frame.show();
        int asked = 0;
        f.ctx.interfaceDialog = [&] {
            ++asked;
            return false;  // the person cancels
        };
        frame.runCommand(app::CmdReadContent);
        QCOMPARE(asked, 1);
        QVERIFY(f.prompts.busyEntered > 0);
        QVERIFY(frame.isEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(f.prompts.busyDepth(), 0);
        QCOMPARE(frame.frame().flags, app::CapabilityFlags(0));
    }

    void interfaceDialogLoadsAndStoresLineSettings() {
        app::SettingsStore store(storePath());
        store.set(app::settings::PortName, "/dev/ttyS1");
        store.set(app::settings::PortBaudrate, 9602);
        ScriptedPrompts prompts;
        app::DeviceListProviders devices;
        devices.comPorts = [] { return std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1"}; };
        gui::InterfaceDialog dialog(nullptr, store, devices, prompts);
        auto combos = dialog.findChildren<QComboBox *>();
        QCOMPARE(combos.size(), 3);
        QComboBox *baud = combos[0], *parity = combos[1], *stop = combos[2];
        QCOMPARE(baud->currentText(), QStringLiteral("9600"));
        QCOMPARE(parity->currentText(), QStringLiteral("ungerade"));
        QCOMPARE(stop->currentText(), QStringLiteral("1"));
        QCOMPARE(dialog.portList()->currentItem()->text(), QStringLiteral("/dev/ttyS1"));
        QVERIFY(baud->isEnabled());

        parity->setCurrentIndex(1);  // "gerade"
        stop->setCurrentIndex(1);    // "2": parity wins
        auto edits = dialog.findChildren<QLineEdit *>();
        QLineEdit *timeout = edits[0];
        timeout->setText(QStringLiteral("5"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompts.messages.size(), std::size_t(1));
        QCOMPARE(prompts.messages[0], std::string("Geben Sie eine ganze Zahl zwischen 10 und 300000 ein."));
        QCOMPARE(store.get(app::settings::PortBaudrate), 9602);

        timeout->setText(QStringLiteral("400"));
        dialog.portList()->setCurrentRow(0);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(store.get(app::settings::PortBaudrate), 9601);
        QCOMPARE(store.get(app::settings::PortName), std::string("/dev/ttyS0"));
        QCOMPARE(store.get(app::settings::PortTimeoutDialog), 400);
    }

    void interfaceDialogRefreshesFiveTimesAfterArrival() {
        app::SettingsStore store(storePath());
        ScriptedPrompts prompts;
        int enumerations = 0;
        std::vector<std::string> ports{"/dev/ttyS0"};
        app::DeviceListProviders devices;
        devices.comPorts = [&] {
            ++enumerations;
            return ports;
        };
        gui::InterfaceDialog dialog(nullptr, store, devices, prompts);
        QTRY_COMPARE(dialog.refreshCounter(), 0);
        QCoreApplication::processEvents();
        const int before = enumerations;
        ports.push_back("/dev/ttyACM0");
        dialog.refresh(0x8000);
        QCOMPARE(dialog.portList()->count(), 2);
        // The arrival's own refresh, then five more one second apart.
        QTRY_COMPARE_WITH_TIMEOUT(enumerations - before, 6, 7000);
        QTRY_COMPARE(dialog.refreshCounter(), 0);
        QTest::qWait(1300);
        QCOMPARE(enumerations - before, 6);
    }

    void aboutBoxStoresTheAutomaticCheckHoweverClosed() {
        GuiFixture f;
        gui::AboutDialog about(nullptr, f.ctx);
        QVERIFY(about.autoCheckBox()->isChecked());  // "Update" defaults to 1
        QVERIFY(about.programLine().startsWith(QStringLiteral("Orvex ReaderSetup V ")));
        QVERIFY(!about.readerUpdateLine()->clickable());
        about.autoCheckBox()->setChecked(false);
        about.reject();  // Escape
        QCOMPARE(f.settings.get(app::settings::VersionUpdate), 0);
    }

    // The About box's update lines from the version files; the fetches are
    // stand-ins (no network), one of them held until the test releases it.
    void aboutBoxUpdateLinesFollowTheVersionFiles() {
        using update::FetchResult;
        app::SettingsStore store(storePath());
        ScriptedPrompts prompts;
        app::ConnectContext ctx(store, prompts);
        ctx.identity = app::makeDeviceIdentity("124u", "Alder-4");

        std::mutex mutex;
        std::condition_variable released;
        bool release = false;
        auto held = [&](std::string body) {
            return [&, body](const std::string &, const std::atomic<bool> &stop) {
                std::unique_lock lock(mutex);
                released.wait(lock, [&] { return release || stop.load(); });
                FetchResult r;
                r.outcome = FetchResult::Outcome::Ok;
                r.body = body;
                return r;
            };
        };
        update::UpdateChecks checks(
            std::make_unique<update::UpdateSource>(
                "http://127.0.0.1:1/p", held("[OrvexReaderSetup]\nVersion=9.1\nBuild=2026-03-01\n")),
            std::make_unique<update::UpdateSource>("http://127.0.0.1:1/d",
                                                   held("[Alias]\n124=Alder\n[Alder]\nVersion=1.60\n")));
        gui::AboutDialog about(nullptr, ctx, &checks);
        about.show();
        // While the files are on their way the box stays responsive and keeps its texts.
        QTest::qWait(100);
        QCOMPARE(about.programUpdateLine()->text(),
                 QString::fromStdString(app::StringTable::instance().text("about.programUpdate")));
        QVERIFY(!about.programUpdateLine()->clickable());
        {
            std::lock_guard lock(mutex);
            release = true;
        }
        released.notify_all();
        QTRY_VERIFY(about.programUpdateLine()->clickable());
        QCOMPARE(about.programUpdateLine()->text(),
                 QStringLiteral("Neue Version:Orvex ReaderSetup => V 9.1 (2026-03-01)"));
        QCOMPARE(about.programUpdateLine()->textColor(), QColor(192, 0, 0));
        QTRY_COMPARE(about.readerUpdateLine()->text(), QStringLiteral("Update Alder-4 V1.56 => V1.60"));
        QVERIFY(about.readerUpdateLine()->clickable());
        about.reject();
    }

    void aboutBoxWithoutConnection() {
        using update::FetchResult;
        app::SettingsStore store(storePath());
        ScriptedPrompts prompts;
        app::ConnectContext ctx(store, prompts);
        auto failed = [](const std::string &, const std::atomic<bool> &) { return FetchResult{}; };
        update::UpdateChecks checks(std::make_unique<update::UpdateSource>("http://127.0.0.1:1/p", failed),
                                    std::make_unique<update::UpdateSource>("http://127.0.0.1:1/d", failed));
        gui::AboutDialog about(nullptr, ctx, &checks);
        QTRY_COMPARE(about.programUpdateLine()->text(),
                     QString::fromStdString(app::StringTable::instance().text(602)));
        QCOMPARE(about.programUpdateLine()->textColor(), QColor(255, 0, 0));
        QVERIFY(!about.programUpdateLine()->clickable());
        QCOMPARE(about.readerUpdateLine()->text(), QString());  // no reader identified in this run
        about.reject();
    }

    void powerOnDialogWithoutReadableModeSendsNothing() {
        ScriptedPrompts prompts;
        gui::PowerOnModeDialog dialog(nullptr, 0, false, prompts);
        QCOMPARE(prompts.messages, std::vector<std::string>{app::StringTable::instance().text(519)});
        QCOMPARE(dialog.checkedIndex(), -1);
        QVERIFY(!dialog.radio(2)->isEnabled());
        dialog.findChildren<QPushButton *>().first()->click();  // "Setzen" with no mode chosen
        QCOMPARE(dialog.result(), int(QDialog::Rejected));      // not ended with OK
        QCOMPARE(prompts.messages.size(), std::size_t(1));
    }

    void blockSelectionConverts_data() {
        QTest::addColumn<QString>("absolute");
        QTest::addColumn<QString>("sector");
        QTest::addColumn<QString>("block");
        QTest::newRow("3") << "3"
                           << "0"
                           << "3";
        QTest::newRow("128") << "128"
                             << "32"
                             << "0";
        QTest::newRow("255") << "255"
                             << "39"
                             << "15";
        QTest::newRow("256") << "256"
                             << ""
                             << "";
    }
    void blockSelectionConverts() {
        QFETCH(QString, absolute);
        QFETCH(QString, sector);
        QFETCH(QString, block);
        gui::BlockSelectDialog dialog(nullptr, {absolute, QString(), QString(), QString()});
        QCOMPARE(dialog.sectorEdit(0)->text(), sector);
        QCOMPARE(dialog.blockEdit(0)->text(), block);
        QCOMPARE(dialog.absoluteEdit(0)->text(), absolute);  // the guard keeps the typed text
    }

    void blockSelectionBackwardsAndOk() {
        gui::BlockSelectDialog dialog(nullptr, {"7", "", "", ""});
        dialog.sectorEdit(1)->setText(QStringLiteral("33"));
        dialog.blockEdit(1)->setText(QStringLiteral("2"));
        QCOMPARE(dialog.absoluteEdit(1)->text(), QStringLiteral("146"));
        dialog.blockEdit(1)->setText(QStringLiteral("15"));  // trailer block: no absolute number
        QCOMPARE(dialog.absoluteEdit(1)->text(), QString());
        dialog.accept();
        QCOMPARE(dialog.absoluteBlocks(), (QStringList{"7", "", "", ""}));
    }

    void viewKeepsItsFittedSize() {
        GuiFixture f;
        gui::MainWindow frame(f.ctx, f.prompts);
        QVERIFY(frame.viewReady());
        QCOMPARE(frame.size(), QSize(700, 670));
        frame.show();
        gui::PictureView *view = frame.view();
        const QSize fitted = view->fittedClientSize();
        QCOMPARE(fitted, QSize(qRound(720 * view->dpi() / 96.0), qRound(450 * view->dpi() / 96.0)));
        QTRY_COMPARE(view->size(), fitted);
        frame.resize(frame.width() + 80, frame.height() - 60);
        view->update();
        QTRY_COMPARE(view->size(), fitted);
        frame.showMaximized();
        QCoreApplication::processEvents();
        frame.close();
    }

    void desktopOpenerResults() {
        QCOMPARE(app::desktopOpen("x", {}, {}, "/nonexistent/opener"), app::OpenNoHandler);
        int finished = -100;
        std::mutex m;
        std::condition_variable cv;
        auto wait = [&](const std::string &opener) {
            finished = -100;
            const int started = app::desktopOpen(
                "x", {},
                [&](int r) {
                    std::lock_guard lock(m);
                    finished = r;
                    cv.notify_all();
                },
                opener);
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::seconds(10), [&] { return finished != -100; });
            return std::pair(started, finished);
        };
        QCOMPARE(wait("true"), std::pair(app::OpenSucceeded, app::OpenSucceeded));
        QCOMPARE(wait("false").second, 1);
        QCOMPARE(app::desktopOpenFailureText(1), std::string("Unbekannter Fehler 1"));
        QCOMPARE(app::desktopOpenFailureText(app::OpenNoHandler), app::StringTable::instance().text(10001));
        QVERIFY(app::desktopOpenFailureText(app::OpenSucceeded).empty());
    }

    void manualIsTheFirstPdf() {
        QTemporaryDir folder;
        QVERIFY(!app::firstPdfIn(folder.path().toStdString()));
        std::ofstream(folder.filePath("readme.txt").toStdString()) << "x";
        QVERIFY(!app::firstPdfIn(folder.path().toStdString()));
        std::ofstream(folder.filePath("Handbuch.PDF").toStdString()) << "%PDF";
        QCOMPARE(app::firstPdfIn(folder.path().toStdString()).value_or(""),
                 folder.filePath("Handbuch.PDF").toStdString());
    }
};

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
