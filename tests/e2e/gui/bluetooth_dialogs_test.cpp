// The Bluetooth dialogs in the desktop program, against the simulated dongle:
// the remembered reader connected at start-up without any action, the
// standby time set through "Startmodus", and the checks of that time.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/bluetooth_devices.h"
#include "app/connect.h"
#include "app/main_commands.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "base/capabilities.h"
#include "common/scripted_prompts.h"
#include "gui/app/bluetooth_config_dialog.h"
#include "gui/app/bluetooth_connect_dialog.h"
#include "gui/app/main_window.h"
#include "orvex/orvex.h"

using namespace orvex;
using orvex::gui::test::ScriptedPrompts;

namespace {

// orvex-readersim --dongle with its default radio readers.
class SimulatedDongle {
public:
    SimulatedDongle() {
        process_.start(QStringLiteral(ORVEX_BINARY_DIR "/orvex-readersim"), {QStringLiteral("--dongle")});
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            port_ = QString::fromUtf8(process_.readLine()).trimmed().toStdString() + " BT";
    }
    ~SimulatedDongle() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
    }
    const std::string &port() const { return port_; }

private:
    QProcess process_;
    std::string port_;
};

constexpr app::BtAddress kFirstReader = {0x01, 0x5B, 0x12, 0x25, 0x80, 0x00};

// Runs `act` on the modal dialog of type T once it is up.
template <class T, class Act>
QTimer *whenModal(QObject *owner, Act act) {
    auto *timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, owner, [timer, act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            act(*dialog);
        }
    });
    timer->start(20);
    return timer;
}

}  // namespace

class BluetoothDialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::unique_ptr<app::SettingsStore> store(const SimulatedDongle &dongle) {
        const QString path = dir_.filePath(QStringLiteral("settings.ini"));
        QFile::remove(path);
        auto s = std::make_unique<app::SettingsStore>(path.toStdString());
        s->set(app::settings::PortName, "Bluetooth: " + dongle.port());
        app::rememberReader(*s, {kFirstReader, "Orvex RT2851#0001"});
        return s;
    }

private slots:
    void rememberedReaderConnectsAtStartupAndTakesAStandbyTime() {
        SimulatedDongle dongle;
        QVERIFY(!dongle.port().empty());
        auto settings = store(dongle);
        ScriptedPrompts prompts;
        app::ConnectContext ctx(*settings, prompts);
        ctx.devices = {};
        gui::MainWindow frame(ctx, prompts);
        frame.show();
        frame.identifyAtStartup();  // the connect dialog closes by itself
        QVERIFY2(frame.frame().flags & app::CAP_BLUETOOTH, qPrintable(frame.windowTitle()));
        QVERIFY(prompts.messages.empty());

        QString shown;
        whenModal<gui::BluetoothConfigDialog>(&frame, [&](gui::BluetoothConfigDialog &d) {
            shown = d.secondsEdit()->text();
            d.secondsEdit()->setText(QStringLiteral("15"));
            d.confirm();
        });
        frame.runCommand(app::CmdStartMode);
        QCOMPARE(shown, QStringLiteral("300"));

        whenModal<gui::BluetoothConfigDialog>(&frame, [&](gui::BluetoothConfigDialog &d) {
            shown = d.secondsEdit()->text();
            d.reject();
        });
        frame.runCommand(app::CmdStartMode);
        QCOMPARE(shown, QStringLiteral("10"));  // 15 s is stored as one step of 10 s
        QVERIFY(prompts.messages.empty());
    }

    void standbyTimeOutsideTheRangeKeepsTheDialogOpen() {
        SimulatedDongle dongle;
        QVERIFY(!dongle.port().empty());
        const int handle = Orvex_OpenPort(dongle.port().c_str(), 19200, 500);
        QVERIFY(handle > 0);
        QCOMPARE(Orvex_BtConnect(handle, kFirstReader.data(), 1, 3000), 1);
        ScriptedPrompts prompts;
        gui::BluetoothConfigDialog dialog(nullptr, handle, prompts);
        const auto &strings = app::StringTable::instance();
        const std::pair<const char *, std::string> cases[] = {
            {"5", strings.format(61714, 10, 2500)},
            {"2510", strings.format(61714, 10, 2500)},
            {"", strings.text(61712)},
        };
        for (const auto &[text, message] : cases) {
            prompts.messages.clear();
            dialog.secondsEdit()->setText(QString::fromLatin1(text));
            dialog.confirm();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(prompts.messages, std::vector<std::string>{message});
        }
        Orvex_ClosePort(handle);
    }

    void connectDialogSearchesWhenNothingIsRemembered() {
        SimulatedDongle dongle;
        QVERIFY(!dongle.port().empty());
        auto settings = store(dongle);
        settings->set(app::settings::BluetoothLastAddress, "");
        const int handle = Orvex_OpenPort(dongle.port().c_str(), 19200, 500);
        QVERIFY(handle > 0);
        gui::BluetoothConnectDialog dialog(nullptr, *settings, handle);
        QTimer::singleShot(0, &dialog, [&] {
            // The search ran at start; pick the second reader.
            QTRY_COMPARE(dialog.list()->count(), 2);
            dialog.list()->setCurrentRow(1);
            dialog.press();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(settings->get(app::settings::BluetoothLastName), std::string("Orvex RT2851#0002"));
        Orvex_ClosePort(handle);
    }
};

QTEST_MAIN(BluetoothDialogsTest)
#include "bluetooth_dialogs_test.moc"
