// The configuration sheet of a simulated USB keyboard reader: its key table
// is read when the sheet opens and written when it programs, with the
// progress bar up meanwhile.
#include <QApplication>
#include <QProgressDialog>
#include <QtTest>

#include "app/string_table.h"
#include "base/capabilities.h"
#include "common/gui_fixture.h"
#include "gui/sheets/configuration_sheets.h"
#pragma push_macro("emit")
#undef emit
#include "common/hid_sim_reader.h"
#include "sim/key_table.h"
#pragma pop_macro("emit")

using namespace orvex;
using gui::test::GuiFixture;

class HidSheetTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::StringTable::instance().useGerman(); }

    void keyTableReadAndWrittenWithProgress() {
        test::HidSimReader reader("us");
        GuiFixture f;
        f.settings.set(app::settings::PortName, "USB: 73011234 HID");
        f.settings.set(app::settings::ShowLayoutError, 0);               // keep the reader's table
        f.ctx.devices.usbDevices = app::systemDeviceLists().usbDevices;  // the connect checks the USB list
        GuiFixture::Link link = f.connect();
        QVERIFY(link.handle > 0);
        QVERIFY(link.flags & app::CAP_HID);

        gui::SerialSheetDialog sheet(nullptr, f.ctx, link.handle, link.baud, link.flags);
        int steps = 0;
        bool barShown = false;
        const app::KeyTableProgress bar = sheet.keyTableProgress().callback();
        sheet.sheet().readerKeyTableLink().progress = [&](app::KeyTableStep step, int done, int total) {
            bar(step, done, total);
            ++steps;
            if (QProgressDialog *d = sheet.keyTableProgress().dialog(); d && d->maximum() == total)
                barShown = true;
        };
        sheet.readConfiguration();
        QCOMPARE(steps, 94);
        QVERIFY(barShown);
        QVERIFY(sheet.sheet().keyTable.keys[0x03] == (app::KeyEntry{'2', '@', 0}));

        // "Computer Einstellung", then programming writes the German table.
        sheet.sheet().keyTable = app::hostKeyTable();
        QCOMPARE(sheet.program(), app::ProgramOutcome::Done);
        QVERIFY(reader.reader().state().keyTable == sim::factoryKeyTable());
        QVERIFY(steps > 94 + 94 + 94);  // read, write, read back
    }
};

QTEST_MAIN(HidSheetTest)
#include "hid_sheet_test.moc"
