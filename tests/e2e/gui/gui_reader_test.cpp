// The desktop program against the reader simulator on a pseudo-terminal:
// start-up identification, read-content report, function test records and
// the factory reset's two questions.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "base/capabilities.h"
#include "app/connect.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "gui/app/main_window.h"
#include "gui/keys/function_test_dialog.h"
#include "gui/params/read_content_dialog.h"
#include "common/scripted_prompts.h"

using namespace orvex;
using orvex::gui::test::ScriptedPrompts;

namespace {

// orvex-readersim on a pseudo-terminal; its first output line is the path.
class SimulatedReader {
public:
    explicit SimulatedReader(const QStringList &args) {
        process_.setProgram(QStringLiteral(ORVEX_BINARY_DIR "/orvex-readersim"));
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            port_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~SimulatedReader() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
    }
    QString port() const { return port_; }

private:
    QProcess process_;
    QString port_;
};

}  // namespace

class GuiReaderTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::unique_ptr<app::SettingsStore> storeFor(const SimulatedReader &reader) {
        const QString path = dir_.filePath(QStringLiteral("settings.ini"));
        QFile::remove(path);
        auto store = std::make_unique<app::SettingsStore>(path.toStdString());
        store->set(app::settings::PortName, reader.port().toStdString());
        store->set(app::settings::PortBaudrate, 19200);
        return store;
    }

private slots:
    void startupIdentificationSetsTitle() {
        SimulatedReader reader({QStringLiteral("--version-answer"), QStringLiteral("1245")});
        QVERIFY(!reader.port().isEmpty());
        auto store = storeFor(reader);
        ScriptedPrompts prompts;
        app::ConnectContext ctx(*store, prompts);
        gui::MainWindow frame(ctx, prompts);
        frame.show();
        frame.identifyAtStartup();
        const QString expectedEnd = QStringLiteral("<Alder-4 %1:1  FW V1.05>").arg(reader.port());
        QVERIFY2(frame.windowTitle().startsWith(QStringLiteral("Orvex ReaderSetup V")),
                 qPrintable(frame.windowTitle()));
        QVERIFY2(frame.windowTitle().endsWith(expectedEnd), qPrintable(frame.windowTitle()));
        QCOMPARE(frame.frame().flags, app::CapabilityFlags(0x11));
        QVERIFY(prompts.messages.empty());
        QVERIFY(frame.isEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void readConfigurationShowsReport() {
        SimulatedReader reader({});
        QVERIFY(!reader.port().isEmpty());
        auto store = storeFor(reader);
        ScriptedPrompts prompts;
        app::ConnectContext ctx(*store, prompts);
        gui::MainWindow frame(ctx, prompts);
        frame.show();
        QString report;
        bool seen = false;
        auto *watch = new QTimer(&frame);
        connect(watch, &QTimer::timeout, &frame, [&] {
            auto *dialog = qobject_cast<gui::ReadContentDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog->reportText().isEmpty()) return;
            seen = true;
            report = dialog->reportText();
            dialog->reject();
        });
        watch->start(20);
        frame.runCommand(app::CmdReadContent);
        watch->stop();
        QVERIFY(seen);
        QVERIFY2(report.contains(QStringLiteral("Prefix")), qPrintable(report));
        QVERIFY2(frame.windowTitle().contains(QStringLiteral("Alder-4")), qPrintable(frame.windowTitle()));
    }

    void functionTestCountsTwoRecords() {
        SimulatedReader reader({QStringLiteral("--emit"), QStringLiteral("1234\\r"),
                                QStringLiteral("--every"), QStringLiteral("250")});
        QVERIFY(!reader.port().isEmpty());
        auto store = storeFor(reader);
        ScriptedPrompts prompts;
        app::ConnectContext ctx(*store, prompts);
        gui::FunctionTestDialog dialog(nullptr, ctx);
        QVERIFY(dialog.started());
        QCOMPARE(prompts.busyDepth(), 0);
        dialog.show();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.counterBox()->text().toInt() >= 2, 5000);
        QTRY_COMPARE(dialog.hexBox()->text(), QStringLiteral("31 32 33 34 0D "));
        QCOMPARE(dialog.asciiBox()->text(), QStringLiteral("1   2   3   4   \r   "));
        QCOMPARE(dialog.asciiBox()->cursorPosition(), 0);      // the record is shown from its start
        QVERIFY(!dialog.relayButton()->isVisibleTo(&dialog));  // type 0x124 has no sensor output
    }

    void factoryResetAsksTwice() {
        SimulatedReader reader({QStringLiteral("--version-answer"), QStringLiteral("4151")});
        QVERIFY(!reader.port().isEmpty());
        auto store = storeFor(reader);
        ScriptedPrompts prompts;
        app::ConnectContext ctx(*store, prompts);
        gui::MainWindow frame(ctx, prompts);
        frame.show();
        frame.identifyAtStartup();
        QVERIFY(frame.frame().flags & app::CAP_FACTORY_RESET);
        QVERIFY(frame.action(app::CmdFactoryReset)->isEnabled());

        // No to the second question: nothing is sent.
        prompts.answers = {true, false};
        frame.runCommand(app::CmdFactoryReset);
        QCOMPARE(prompts.questions.size(), std::size_t(2));
        QVERIFY(prompts.messages.empty());

        prompts.questions.clear();
        prompts.defaults.clear();
        prompts.icons.clear();
        prompts.answers = {true, true};
        frame.runCommand(app::CmdFactoryReset);
        const app::StringTable &st = app::StringTable::instance();
        QCOMPARE(prompts.questions, (std::vector<std::string>{st.text(10139), st.text(10140)}));
        QCOMPARE(prompts.defaults, (std::vector<bool>{false, false}));
        QCOMPARE(prompts.icons[0], app::MessageIcon::Warning);
        QCOMPARE(prompts.icons[1], app::MessageIcon::Warning);
        QCOMPARE(prompts.messages, std::vector<std::string>{st.text(10142)});
        QVERIFY(frame.isEnabled());
    }
};

QTEST_MAIN(GuiReaderTest)
#include "gui_reader_test.moc"
