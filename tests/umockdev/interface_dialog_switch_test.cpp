// The interface dialog's "HID Mode" / "Virtual Com" switch, walked as a
// person would: a switchable reader (orvex-readersim --hid) goes to virtual
// COM mode and back, its cdc_acm tty coming and going in a umockdev testbed
// whose device events reach the dialog's udev monitor. Runs under
// umockdev-wrapper.
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "app/interface_settings.h"
#include "app/string_table.h"
#include "app/usb_mode_switch.h"
#include "common/gui_fixture.h"
#include "gui/app/interface_dialog.h"
#include "gui/app/ui_text.h"
#include "umockdev/usb_reader_process.h"
// glib's headers name a member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include "umockdev/virtual_com_testbed.h"
#pragma pop_macro("signals")

using namespace orvex;
using namespace std::chrono_literals;

namespace {

const QString kHidText = QStringLiteral("USB: 6401-1234 HID");
const QString kVirtualComText = QStringLiteral("/dev/ttyACM0 [Qel Virtual COM]");

QStringList listTexts(const gui::InterfaceDialog &dialog) {
    QStringList texts;
    for (int i = 0; i < dialog.portList()->count(); ++i) texts << dialog.portList()->item(i)->text();
    return texts;
}

QRadioButton *radio(const gui::InterfaceDialog &dialog, const char *id) {
    for (QRadioButton *r : dialog.findChildren<QRadioButton *>())
        if (r->text() == gui::uiText(id)) return r;
    return nullptr;
}

void clickItem(const gui::InterfaceDialog &dialog, const QString &text) {
    QListWidget *list = dialog.portList();
    QListWidgetItem *item = list->item(int(listTexts(dialog).indexOf(text)));
    QVERIFY(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// "enabled/checked" of both radios, HID Mode first.
QString radioState(QRadioButton *hid, QRadioButton *vcom) {
    auto one = [](QRadioButton *r) {
        return QStringLiteral("%1/%2").arg(r->isEnabled() ? "on" : "off", r->isChecked() ? "checked" : "-");
    };
    return one(hid) + QLatin1Char(' ') + one(vcom);
}

}  // namespace

class InterfaceDialogSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::StringTable::instance().useGerman(); }

    void hidToVirtualComAndBack() {
        test::VirtualComTestbed testbed;
        if (!test::VirtualComTestbed::active()) QSKIP("needs umockdev's preload (umockdev-wrapper)");
        test::UsbReaderProcess sim("6401-1234");
        const auto socket = sim.nextAppearance(5s);
        QVERIFY2(socket && !test::UsbReaderProcess::isTerminal(*socket), "orvex-readersim did not start");

        gui::test::GuiFixture f;
        f.settings.set(app::settings::PortName, kHidText.toStdString());
        gui::InterfaceDialog dialog(nullptr, f.settings, app::systemDeviceLists(), f.prompts);
        dialog.show();
        QRadioButton *hid = radio(dialog, "interface.hidMode");
        QRadioButton *vcom = radio(dialog, "interface.virtualCom");
        QVERIFY(hid && vcom);
        QVERIFY(dialog.portList()->currentItem());
        QCOMPARE(dialog.portList()->currentItem()->text(), kHidText);
        QCOMPARE(radioState(hid, vcom), QStringLiteral("on/checked on/-"));

        // Without cdc_acm: the driver question, answered "No"; the reader is left alone.
        if (!test::VirtualComTestbed::hostShipsCdcAcm()) {
            testbed.setCdcAcmLoaded(false);
            f.prompts.answers = {false};
            QTest::mouseClick(vcom, Qt::LeftButton);
            QCOMPARE(f.prompts.questions, std::vector<std::string>{app::virtualComDriverQuestion()});
            QVERIFY(!sim.nextAppearance(500ms));
            QCOMPARE(radioState(hid, vcom), QStringLiteral("on/checked on/-"));
        }

        // With it: the switch, and a second's wait in which the window keeps painting.
        testbed.setCdcAcmLoaded(true);
        const std::size_t asked = f.prompts.questions.size();
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(100);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(vcom, Qt::LeftButton);
        QVERIFY(clock.elapsed() >= 1000);
        QVERIFY2(ticks >= 5, qPrintable(QStringLiteral("%1 timer ticks during the wait").arg(ticks)));
        ticker.stop();
        QCOMPARE(f.prompts.questions.size(), asked);
        QCOMPARE(dialog.portSettings().name, std::string());
        QCOMPARE(radioState(hid, vcom), QStringLiteral("off/- off/-"));
        const auto terminal = sim.nextAppearance(3s);
        QVERIFY(terminal && test::UsbReaderProcess::isTerminal(*terminal));

        testbed.addVirtualComPort(*terminal);
        QVERIFY(testbed.virtualComPortAdded());
        QTRY_VERIFY_WITH_TIMEOUT(
            listTexts(dialog).contains(kVirtualComText) && !listTexts(dialog).contains(kHidText), 5000);

        // The virtual COM port chosen: "Virtual Com" checked; "HID Mode" switches back.
        clickItem(dialog, kVirtualComText);
        QCOMPARE(radioState(hid, vcom), QStringLiteral("on/- on/checked"));
        QTest::mouseClick(hid, Qt::LeftButton);
        QCOMPARE(radioState(hid, vcom), QStringLiteral("off/- off/-"));
        const auto back = sim.nextAppearance(3s);
        QVERIFY(back && !test::UsbReaderProcess::isTerminal(*back));
        testbed.removeVirtualComPort();
        QTRY_VERIFY_WITH_TIMEOUT(
            listTexts(dialog).contains(kHidText) && !listTexts(dialog).contains(kVirtualComText), 5000);
        QCOMPARE(f.prompts.questions.size(), asked);
        QVERIFY(f.prompts.messages.empty());
    }
};

QTEST_MAIN(InterfaceDialogSwitchTest)
#include "interface_dialog_switch_test.moc"
