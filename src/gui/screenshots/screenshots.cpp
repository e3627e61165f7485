// Renders every window of the desktop program, in German and in English, to
// PNG files, so their look can be reviewed without a reader:
//   orvexgui-screenshots OUTPUT_FOLDER
// Message boxes answer themselves. The reader is the simulator
// ($ORVEX_READERSIM, default: orvex-readersim of the build folder).
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdio>
#include <cstdlib>

#include "base/capabilities.h"
#include "app/connect.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "gui/app/about_dialog.h"
#include "gui/app/bluetooth_config_dialog.h"
#include "gui/app/bluetooth_connect_dialog.h"
#include "gui/app/interface_dialog.h"
#include "gui/app/ip_search_dialog.h"
#include "gui/app/lan_config_dialog.h"
#include "gui/app/main_window.h"
#include "gui/app/picture_view.h"
#include "gui/app/qt_prompts.h"
#include "gui/app/window_lan_functions.h"
#include "gui/keys/function_test_dialog.h"
#include "gui/keys/function_test_hid_dialog.h"
#include "gui/params/block_select_dialog.h"
#include "gui/params/power_on_dialog.h"
#include "gui/params/read_content_dialog.h"
#include "gui/params/transmit_power_dialog.h"
#include "gui/sheets/configuration_sheets.h"
#include "gui/sheets/hid_param_page.h"
#include "gui/sheets/key_capture_box.h"
#include "gui/sheets/key_stroke_page.h"
#include "gui/sheets/layout_error_dialog.h"
#include "gui/sheets/overflow_dialog.h"
#include "gui/sheets/serial_data_page.h"
#include "orvex/orvex.h"
#include "params/key_table.h"
#include <QCheckBox>
#include <QTabWidget>

using namespace orvex;

namespace {

// Answers every question itself and remembers the last message for a picture.
class QuietPrompts : public gui::QtPrompts {
public:
    using QtPrompts::QtPrompts;
    void showMessage(const std::string &text, app::MessageIcon icon) override {
        last = text;
        lastIcon = icon;
    }
    bool askYesNoWith(app::MessageIcon, const std::string &text, bool defaultYes) override {
        last = text;
        return defaultYes;
    }
    bool askRetry(const std::string &text, const std::string &) override {
        last = text;
        return false;
    }
    std::string last;
    app::MessageIcon lastIcon = app::MessageIcon::Information;
};

// orvex-readersim on a pseudo-terminal, emitting a transponder number.
class Simulator {
public:
    explicit Simulator(const QString &version = QStringLiteral("164U"))
        : Simulator(QStringList{QStringLiteral("--version-answer"), version, QStringLiteral("--emit"),
                                QStringLiteral("E0040100A1B2C3D4\\r\\n"), QStringLiteral("--every"),
                                QStringLiteral("300")}) {}
    explicit Simulator(const QStringList &arguments) {
        QString program = qEnvironmentVariable("ORVEX_READERSIM");
        if (program.isEmpty())
            program = QCoreApplication::applicationDirPath() + QStringLiteral("/../../orvex-readersim");
        process_.start(program, arguments);
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            port_ = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
    }
    ~Simulator() {
        process_.terminate();
        process_.waitForFinished(3000);
    }
    const std::string &port() const { return port_; }

private:
    QProcess process_;
    std::string port_;
};

// orvex-readersim as a USB reader in keyboard mode (US key table) in a folder
// of its own, which ORVEX_HID_SIM_DIR names while it runs.
class HidSimulator {
public:
    HidSimulator() {
        QString program = qEnvironmentVariable("ORVEX_READERSIM");
        if (program.isEmpty())
            program = QCoreApplication::applicationDirPath() + QStringLiteral("/../../orvex-readersim");
        process_.start(program, {QStringLiteral("--hid"), folder_.path(), QStringLiteral("--layout"),
                                 QStringLiteral("us")});
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            socket_ = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
        qputenv("ORVEX_HID_SIM_DIR", folder_.path().toLocal8Bit());
    }
    ~HidSimulator() {
        qunsetenv("ORVEX_HID_SIM_DIR");
        process_.terminate();
        process_.waitForFinished(3000);
    }
    bool running() const { return !socket_.empty(); }

private:
    QTemporaryDir folder_;
    QProcess process_;
    std::string socket_;
};

QString g_folder;
QString g_suffix;

void save(QWidget *w, const char *name) {
    w->show();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    const QString file =
        QDir(g_folder).filePath(QStringLiteral("%1_%2.png").arg(QLatin1String(name), g_suffix));
    if (!w->grab().save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    else
        std::printf("%s\n", qPrintable(file));
}

app::DeviceListProviders sampleDevices() {
    app::DeviceListProviders d;
    d.comPorts = [] {
        return std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0 [Qel Virtual COM Port]", "/dev/ttyACM0"};
    };
    d.usbDevices = [] { return std::vector<std::string>{"6402-0815 HID"}; };
    return d;
}

// Every page of a sheet, one picture each.
void savePages(gui::SheetDialog &sheet, const char *name) {
    sheet.show();
    for (int i = 0; i < sheet.tabs()->count(); ++i) {
        sheet.tabs()->setCurrentIndex(i);
        auto *page = qobject_cast<gui::SheetPage *>(sheet.tabs()->widget(i));
        const std::string file = std::string(name) + "_" + page->id();
        save(&sheet, file.c_str());
    }
}

void clickButton(gui::SheetPage *page, const char *control) {
    if (!page) return;
    if (auto *b = qobject_cast<QAbstractButton *>(page->control(control))) b->click();
}

void renderSheets(app::ConnectContext &ctx, gui::MainWindow &frame, const std::string &wedgePort) {
    const std::string port = ctx.settings.get(app::settings::PortName);
    {
        // A serial reader with two data sets, read from the simulator.
        int baud = 19200;
        app::CapabilityFlags flags = 0;
        const int handle = app::connectReader(ctx, baud, flags, false);
        gui::SerialSheetDialog sheet(&frame, ctx, handle, baud, flags);
        sheet.readConfiguration();
        // "Programmieren" half-way (what was read goes back unchanged, so
        // the reader stays as the next pass reads it): the step it is in.
        {
            const auto showStep = sheet.sheet().onStep;
            sheet.sheet().onStep = [&](const app::ProgramStep &step) {
                showStep(step);
                if (step.what == "parameters") save(&sheet, "sheet_serial_programming");
            };
            sheet.program();
            sheet.sheet().onStep = showStep;
        }
        gui::SerialDataPage *one = sheet.dataPage(1), *two = sheet.dataPage(2);
        clickButton(one, "famMifare");
        clickButton(one, "selSingle");
        if (auto *block = qobject_cast<QLineEdit *>(one->control("block1")))
            block->setText(QStringLiteral("4"));
        clickButton(one, "keyActive");
        if (two) {
            clickButton(two, "famDesfire");
            clickButton(two, "selSingle");
            if (auto *app = qobject_cast<QLineEdit *>(two->control("appId")))
                app->setText(QStringLiteral("12AB"));
            if (auto *file = qobject_cast<QLineEdit *>(two->control("fileId")))
                file->setText(QStringLiteral("5"));
        }
        savePages(sheet, "sheet_serial");
    }
    {
        // A reader in USB keyboard mode whose table types Y and Z swapped.
        const app::CapabilityFlags hid = app::CAP_HID | app::CAP_MIFARE | app::CAP_POWER_ON_MODE |
                                         app::CAP_SENSOR_OUTPUT | app::CAP_EXTENDED;
        gui::SerialSheetDialog sheet(&frame, ctx, 0, 19200, hid);
        sheet.setReadOnShow(false);
        app::KeyTable table = app::hostKeyTable();
        std::swap(table.keys[0x15], table.keys[0x2C]);
        sheet.sheet().keyTable = table;
        sheet.sheet().hidParams.values().powerOnIndex = 1;
        sheet.refreshPages();
        savePages(sheet, "sheet_hid");
    }
    {
        // The key table of a simulated USB keyboard reader, read with the progress bar up.
        HidSimulator hid;
        const app::DeviceListProviders devices = ctx.devices;
        const int showLayoutError = ctx.settings.get(app::settings::ShowLayoutError);
        ctx.devices.usbDevices = app::systemDeviceLists().usbDevices;
        ctx.settings.set(app::settings::ShowLayoutError, 0);
        ctx.settings.set(app::settings::PortName, "USB: 73011234 HID");
        int baud = 19200;
        app::CapabilityFlags flags = 0;
        const int handle = hid.running() ? app::connectReader(ctx, baud, flags, false) : 0;
        if (handle > 0) {
            gui::SerialSheetDialog sheet(&frame, ctx, handle, baud, flags);
            const app::KeyTableProgress bar = sheet.keyTableProgress().callback();
            sheet.sheet().readerKeyTableLink().progress = [&](app::KeyTableStep step, int done, int total) {
                bar(step, done, total);
                if (done == total / 2 && sheet.keyTableProgress().dialog())
                    save(sheet.keyTableProgress().dialog(), "key_table_progress");
            };
            sheet.readConfiguration();
        } else {
            std::fprintf(stderr, "the simulated USB keyboard reader did not open\n");
        }
        ctx.settings.set(app::settings::ShowLayoutError, showLayoutError);
        ctx.settings.set(app::settings::PortName, port);
        ctx.devices = devices;
    }
    {
        // A keyboard-wedge reader (type 122) with a captured prefix.
        ctx.settings.set(app::settings::PortName, wedgePort);
        int baud = 19200;
        app::CapabilityFlags flags = 0;
        const int handle = app::connectReader(ctx, baud, flags, false);
        gui::Ps2SheetDialog sheet(&frame, ctx, handle, flags);
        sheet.readConfiguration();
        app::KeySequence prefix;
        for (app::KeyEvent e :
             {app::KeyEvent{0x10, 0x2A, 1}, app::KeyEvent{0x41, 0x1E, 1}, app::KeyEvent{0x41, 0x1E, 0},
              app::KeyEvent{0x10, 0x2A, 0}, app::KeyEvent{0x89, 0x38, 1}, app::KeyEvent{0x89, 0x38, 0}})
            prefix.append(e);
        sheet.sheet().prefix.setSequence(prefix);
        sheet.refreshPages();
        savePages(sheet, "sheet_wedge");
        ctx.settings.set(app::settings::PortName, port);
    }
    {
        gui::OverflowDialog dialog(&frame);
        save(&dialog, "overflow");
    }
    {
        gui::LayoutErrorDialog dialog(&frame, ctx.settings, 4);
        save(&dialog, "layout_error");
    }
}

std::string g_wedgePort;

// The LAN windows search and read real readers, so they are rendered only
// inside the namespace lab (tools/screenshots starts one when it can).
void renderLanWindows(QuietPrompts &prompts, gui::MainWindow &frame) {
    if (!std::getenv("ORVEX_LAB_HOST")) return;
    gui::IpSearchDialog search(&frame, gui::windowLanFunctions(), prompts);
    if (search.refreshList() && search.list()->count() > 0) {
        search.list()->setCurrentRow(0);
        save(&search, "ip_search");
        const std::string fixed = search.list()->item(0)->text().toStdString();
        gui::LanConfigDialog config(&frame, fixed, gui::windowLanFunctions(), prompts);
        save(&config, "lan_config_fixed");
    }
    for (int row = 0; row < search.list()->count(); ++row) {
        const std::string entry = search.list()->item(row)->text().toStdString();
        if (entry.front() != '[') continue;
        gui::LanConfigDialog config(&frame, entry.substr(0, entry.find(']') + 1), gui::windowLanFunctions(),
                                    prompts);
        save(&config, "lan_config_dhcp");
        break;
    }
}

// The dongle's dialogs, with the simulated dongle and its default readers.
void renderBluetoothWindows(app::ConnectContext &ctx, QuietPrompts &prompts, gui::MainWindow &frame) {
    Simulator dongle(QStringList{QStringLiteral("--dongle")});
    if (dongle.port().empty()) return;
    const std::string port = dongle.port() + " BT";
    const int handle = Orvex_OpenPort(port.c_str(), 19200, 500);
    if (handle <= 0) return;
    {
        // A remembered reader that is gone: the connect fails, a search follows.
        ctx.settings.set(app::settings::BluetoothLastAddress, "1234567");
        ctx.settings.set(app::settings::BluetoothLastName, "Orvex RT2851#0009");
        gui::BluetoothConnectDialog dialog(&frame, ctx.settings, handle);
        dialog.setAutoStart(false);
        dialog.show();
        dialog.press();
        save(&dialog, "bluetooth_connect");
    }
    {
        const unsigned char reader[6] = {0x01, 0x5B, 0x12, 0x25, 0x80, 0x00};
        Orvex_BtConnect(handle, reader, 1, 3000);
        gui::BluetoothConfigDialog dialog(&frame, handle, prompts);
        save(&dialog, "bluetooth_standby");
    }
    Orvex_ClosePort(handle);
}

void renderAll(app::ConnectContext &ctx, QuietPrompts &prompts, gui::MainWindow &frame) {
    const std::string port = ctx.settings.get(app::settings::PortName);
    frame.identifyAtStartup();
    std::printf("title: %s\n", qPrintable(frame.windowTitle()));
    save(&frame, "main_window");
    renderLanWindows(prompts, frame);
    {
        // The settings menu, opened under the menu bar.
        QMenu *settings = nullptr;
        for (QAction *a : frame.menuBar()->actions())
            if (a->menu() && a->menu()->actions().size() == 5) settings = a->menu();
        if (settings) {
            settings->popup(frame.mapToGlobal(QPoint(160, 20)));
            save(settings, "main_menu_settings");
            settings->hide();
        }
    }

    {
        ctx.settings.set(app::settings::PortName, "/dev/ttyUSB0 [Qel Virtual COM Port]");  // as OK stores it
        ctx.settings.set(app::settings::PortBaudrate, 9602);
        gui::InterfaceDialog dialog(&frame, ctx.settings, sampleDevices(), prompts);
        save(&dialog, "interface_dialog");  // a virtual COM port: "Virtual Com" checked
    }
    {
        // A switchable reader in USB keyboard mode: "HID Mode" checked.
        ctx.settings.set(app::settings::PortName, "USB: 6402-0815 HID");
        gui::InterfaceDialog dialog(&frame, ctx.settings, sampleDevices(), prompts);
        save(&dialog, "interface_dialog_hid_mode");
        ctx.settings.set(app::settings::PortName, port);
        ctx.settings.set(app::settings::PortBaudrate, 19200);
    }
    {
        gui::AboutDialog dialog(&frame, ctx);
        save(&dialog, "about");
    }
    {
        gui::ReadContentDialog dialog(&frame, ctx, 0, 19200, 0);
        dialog.show();
        for (int i = 0; i < 200 && dialog.reportText().isEmpty(); ++i) QTest::qWait(20);
        save(&dialog, "read_content");
    }
    {
        gui::PowerOnModeDialog dialog(&frame, 0, true, prompts);
        dialog.radio(1)->setChecked(true);
        save(&dialog, "power_on_mode");
    }
    {
        gui::TransmitPowerDialog dialog(&frame, 0, prompts);
        dialog.choose({false, true});
        save(&dialog, "transmit_power");
    }
    {
        gui::BlockSelectDialog dialog(
            &frame, {QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("128"), QString()});
        save(&dialog, "block_select");
    }
    {
        gui::FunctionTestDialog dialog(&frame, ctx);
        dialog.show();
        for (int i = 0; i < 200 && dialog.counterBox()->text().toInt() < 2; ++i) QTest::qWait(20);
        save(&dialog, "function_test");
    }
    {
        gui::FunctionTestHidDialog dialog(&frame);
        dialog.keyboardBox()->setPlainText(QStringLiteral("E0040100A1B2C3D4\nE0040100A1B2C3D5\n"));
        save(&dialog, "function_test_hid");
    }
    {
        QMessageBox box(QMessageBox::Warning,
                        QString::fromStdString(app::StringTable::instance().text(57344)),
                        QString::fromStdString(app::StringTable::instance().text(10139)),
                        QMessageBox::Yes | QMessageBox::No, &frame);
        box.button(QMessageBox::Yes)
            ->setText(QString::fromStdString(app::StringTable::instance().text("layout.yes")));
        box.button(QMessageBox::No)
            ->setText(QString::fromStdString(app::StringTable::instance().text("layout.no")));
        box.setDefaultButton(QMessageBox::No);
        save(&box, "factory_reset_question");
    }
    renderBluetoothWindows(ctx, prompts, frame);
    renderSheets(ctx, frame, g_wedgePort);
}

}  // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_folder);

    const QString config = QDir(g_folder).filePath(QStringLiteral("settings.ini"));
    QFile::remove(config);
    app::SettingsStore settings(config.toStdString());
    QuietPrompts prompts;
    app::ConnectContext ctx(settings, prompts);
    ctx.devices = sampleDevices();

    Simulator reader;
    if (reader.port().empty()) {
        std::fprintf(stderr, "the reader simulator did not start\n");
        return 1;
    }
    Simulator wedge(QStringLiteral("1221"));
    if (wedge.port().empty()) {
        std::fprintf(stderr, "the keyboard-wedge simulator did not start\n");
        return 1;
    }
    g_wedgePort = wedge.port();
    settings.set(app::settings::PortName, reader.port());
    gui::MainWindow frame(ctx, prompts);
    frame.show();
    g_suffix = QStringLiteral("de");
    renderAll(ctx, prompts, frame);
    frame.switchToEnglish();
    if (frame.language() != 1) {
        std::fprintf(stderr, "English texts not found: %s\n", prompts.last.c_str());
        return 1;
    }
    g_suffix = QStringLiteral("en");
    renderAll(ctx, prompts, frame);
    frame.switchToGerman();
    return 0;
}
