// The configuration sheets against simulated readers: a serial reader with
// two data sets and a keyboard-wedge reader are read when the sheet opens,
// edited through the pages, programmed, and read back identical by a second
// sheet; "Konfigurieren" of the main window opens the sheet that fits.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "app/bluetooth_devices.h"
#include "app/reader_identity.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "base/capabilities.h"
#include "common/gui_fixture.h"
#include "gui/app/main_window.h"
#include "gui/sheets/char_sequence_page.h"
#include "gui/sheets/configuration_sheets.h"
#include "gui/sheets/key_capture_box.h"
#include "gui/sheets/key_stroke_page.h"
#include "gui/sheets/serial_data_page.h"
#include "sim/dongle/dongle_options.h"
#include "sim/dongle/pty_dongle.h"

using namespace orvex;
using gui::test::GuiFixture;

namespace {

void click(QWidget *w) { qobject_cast<QAbstractButton *>(w)->click(); }

std::string done() { return app::StringTable::instance().text(509); }

}  // namespace

class SheetReaderTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::StringTable::instance().useGerman(); }

    void serialReaderWithTwoDataSetsProgramsAndReadsBack() {
        GuiFixture f;
        sim::PtyReader &reader = f.attach("164U");
        GuiFixture::Link link = f.connect();
        QVERIFY(link.handle > 0);
        QVERIFY(link.flags & app::CAP_TWO_DATA_BLOCKS);

        gui::SerialSheetDialog sheet(nullptr, f.ctx, link.handle, link.baud, link.flags);
        sheet.readConfiguration();
        QCOMPARE(sheet.sheet().portHandle, 0);  // the link is closed after reading
        QVERIFY2(sheet.windowTitle().endsWith("<Elm-4>"), qPrintable(sheet.windowTitle()));

        gui::CharSequencePageWidget *prefix = sheet.sequencePage("prefix");
        prefix->clearButton()->click();
        for (const char *typed : {"02", "x"}) {
            prefix->inputEdit()->setText(typed);
            prefix->insertButton()->click();
        }
        gui::CharSequencePageWidget *suffix = sheet.sequencePage("suffix");
        suffix->clearButton()->click();
        suffix->inputEdit()->setText("0d");
        suffix->insertButton()->click();
        gui::SerialDataPage *one = sheet.dataPage(1), *two = sheet.dataPage(2);
        if (!qobject_cast<QCheckBox *>(one->control("famIso"))->isChecked()) click(one->control("famIso"));
        click(one->control("selSingle"));
        qobject_cast<QLineEdit *>(one->control("block1"))->setText("7");
        click(two->control("famMifare"));
        click(two->control("selSingle"));
        qobject_cast<QLineEdit *>(two->control("block1"))->setText("12");
        qobject_cast<QLineEdit *>(two->control("charCount"))->setText("16");

        // The window shows each step while it runs and clears it afterwards.
        QStringList shown;
        const auto windowStep = sheet.sheet().onStep;
        sheet.sheet().onStep = [&](const app::ProgramStep &step) {
            windowStep(step);
            shown << sheet.stepLabel()->text();
            QCOMPARE(sheet.stepProgress()->value(), step.index - 1);
        };
        QCOMPARE(sheet.program(), app::ProgramOutcome::Done);
        QCOMPARE(f.prompts.messages.back(), done());
        QCOMPARE(sheet.sheet().portHandle, 0);
        QVERIFY(shown.size() >= 6);
        QCOMPARE(shown.first(), QStringLiteral("Prefix (1 von %1)").arg(shown.size()));
        QCOMPARE(shown.at(2), QStringLiteral("Parameter (3 von %1)").arg(shown.size()));
        QVERIFY(sheet.stepLabel()->text().isEmpty());
        QVERIFY(sheet.stepProgress()->isHidden());
        const sim::ReaderState state = reader.state();
        QCOMPARE(state.data.size(), std::size_t(40));  // both data sets
        QCOMPARE(state.prefix, (sim::Bytes{0x02, 'x', 0xFF}));

        // A second sheet reads what the first one programmed.
        GuiFixture::Link again = f.connect();
        gui::SerialSheetDialog check(nullptr, f.ctx, again.handle, again.baud, again.flags);
        check.readConfiguration();
        const app::ReaderContent written = sheet.sheet().programImage(), read = check.sheet().programImage();
        QCOMPARE(read.prefix, written.prefix);
        QCOMPARE(read.suffix, written.suffix);
        QCOMPARE(read.dataFormat, written.dataFormat);
        QCOMPARE(read.parameters, written.parameters);
        QCOMPARE(qobject_cast<QLineEdit *>(check.dataPage(2)->control("block1"))->text(),
                 QStringLiteral("12"));
        QVERIFY(qobject_cast<QCheckBox *>(check.dataPage(2)->control("famMifare"))->isChecked());
        QCOMPARE(check.sequencePage("prefix")->sequenceList()->topLevelItemCount(), 2);
    }

    // A reader behind the Bluetooth dongle: the remembered reader is reached
    // by the connect routine, and the sheet reads, programs (with the backup
    // before and the read-back after) through the radio link.
    void bluetoothReaderProgramsThroughTheDongle() {
        GuiFixture f;
        sim::dongle::DongleCommandLine line;
        line.radioReaders = {"Orvex RT2851#0001"};
        QCOMPARE(sim::dongle::resolveRadioReaders(line), std::string());
        sim::dongle::PtyDongle dongle(line.options, sim::Options{});
        f.settings.set(app::settings::PortName, std::string(app::BluetoothPrefix) + dongle.portName());
        app::rememberReader(f.settings, {*app::parseBtAddressText("015B12258000"), "Orvex RT2851#0001"});
        GuiFixture::Link link = f.connect();
        QVERIFY(link.handle > 0);
        QVERIFY(link.flags & app::CAP_BLUETOOTH);

        gui::SerialSheetDialog sheet(nullptr, f.ctx, link.handle, link.baud, link.flags);
        sheet.readConfiguration();
        QVERIFY(sheet.sheet().failedReads().empty());
        gui::CharSequencePageWidget *prefix = sheet.sequencePage("prefix");
        prefix->clearButton()->click();
        prefix->inputEdit()->setText("02");
        prefix->insertButton()->click();
        QCOMPARE(sheet.program(), app::ProgramOutcome::Done);
        QCOMPARE(f.prompts.messages.back(), done());
        QCOMPARE(dongle.core().reader(0).state().prefix, (sim::Bytes{0x02, 0xFF}));
    }

    void keyboardWedgeReaderProgramsCapturedKeys() {
        GuiFixture f;
        sim::PtyReader &reader = f.attach("1221");
        GuiFixture::Link link = f.connect();
        QVERIFY(link.flags & app::CAP_PS2);
        gui::Ps2SheetDialog sheet(nullptr, f.ctx, link.handle, link.flags);
        sheet.setReadOnShow(false);
        sheet.readConfiguration();
        QCOMPARE(sheet.sheet().portHandle, 0);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        sheet.showPage("prefix");
        gui::KeyStrokePageWidget *prefix = sheet.sequencePage("prefix");
        prefix->clearButton()->click();
        QWidget *box = prefix->captureBox();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        gui::test::sendKey(box, QEvent::KeyPress, Qt::Key_Shift, 42);
        gui::test::tapKey(box, Qt::Key_A, 30, Qt::ShiftModifier, "A");
        gui::test::sendKey(box, QEvent::KeyRelease, Qt::Key_Shift, 42, Qt::ShiftModifier);
        sheet.showPage("data");
        click(sheet.page("data")->control("selBlocks"));
        qobject_cast<QLineEdit *>(sheet.page("data")->control("block1"))->setText("3");

        QCOMPARE(sheet.program(), app::ProgramOutcome::Done);
        QCOMPARE(f.prompts.messages.back(), done());
        const sim::ReaderState state = reader.state();
        QCOMPARE(state.prefix, (sim::Bytes{0x12, 0x1C, 0xF0, 0x1C, 0xF0, 0x12, 0xFF}));
        QCOMPARE(state.data.size(), std::size_t(11));
        QCOMPARE(int(state.data[1]), 1);
        QCOMPARE(int(state.data[2]), 3);

        GuiFixture::Link again = f.connect();
        gui::Ps2SheetDialog check(nullptr, f.ctx, again.handle, again.flags);
        check.readConfiguration();
        QCOMPARE(check.sheet().prefix.getSequence(), sheet.sheet().prefix.getSequence());
        QCOMPARE(check.sheet().programImage().dataFormat, sheet.sheet().programImage().dataFormat);
    }

    void configureOpensTheSheetThatFits() {
        GuiFixture f;
        f.attach("1221");
        gui::MainWindow frame(f.ctx, f.prompts);
        frame.show();
        QString seenTitle;
        bool wedge = false;
        QTimer::singleShot(0, &frame, [&] {
            auto *sheet = qobject_cast<gui::SheetDialog *>(QApplication::activeModalWidget());
            QVERIFY(sheet);
            wedge = qobject_cast<gui::Ps2SheetDialog *>(sheet) != nullptr;
            QTRY_VERIFY(!sheet->busy() && sheet->programButton()->isEnabled());
            seenTitle = sheet->windowTitle();
            sheet->cancelButton()->click();
        });
        frame.runCommand(app::CmdConfigure);
        QVERIFY(wedge);
        QCOMPARE(seenTitle, QStringLiteral("Programmierung eingeben"));  // no model name on this sheet
        QVERIFY(frame.frame().flags & app::CAP_PS2);
        QVERIFY2(frame.windowTitle().contains("Alder-2 PS/2"), qPrintable(frame.windowTitle()));
        QVERIFY(frame.isEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(SheetReaderTest)
#include "sheet_reader_test.moc"
