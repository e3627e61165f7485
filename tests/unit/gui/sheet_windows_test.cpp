// Widget tests of the configuration sheets (offscreen, no reader): what the
// serial data page shows per family and selection, the interplay of its two
// data sets, a refused value with its focus, key capture and the overflow
// dialog, and both file kinds through the file dialogs.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include "app/string_table.h"
#include "base/capabilities.h"
#include "common/gui_fixture.h"
#include "gui/sheets/char_sequence_page.h"
#include "gui/sheets/configuration_sheets.h"
#include "gui/sheets/key_capture_box.h"
#include "gui/sheets/key_stroke_page.h"
#include "gui/sheets/overflow_dialog.h"
#include "gui/sheets/serial_data_page.h"

using namespace orvex;
using gui::test::GuiFixture;

namespace {

constexpr app::CapabilityFlags kAllFamilies =
    app::CAP_MIFARE | app::CAP_ICODE1 | app::CAP_DESFIRE | app::CAP_BLOCK_SEQUENCE | app::CAP_EXTENDED;

void click(QWidget *w) { qobject_cast<QAbstractButton *>(w)->click(); }

QStringList listTexts(QTreeWidget *list) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(0);
    return texts;
}

}  // namespace

class SheetWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::StringTable::instance().useGerman(); }

    void dataPageShowsWhatFamilyAndSelectionOffer_data() {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("selection");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QString>("singleCaption");
        const QStringList probe{"block1", "blockSelect", "appId",     "fileId",     "startBlock",
                                "length", "keyActive",   "mifareKey", "desfireKey", "selSequence"};
        Q_UNUSED(probe);
        QTest::newRow("ISO15693 UID")
            << 0 << 0 << QStringList{"block1", "selSequence"} << QStringList{} << "Einzelblöcke";
        QTest::newRow("ISO15693 Blockfolge") << 0 << 2 << QStringList{"startBlock", "length", "selSequence"}
                                             << QStringList{"startBlock", "length"} << "Einzelblöcke";
        QTest::newRow("MIFARE UID") << 1 << 0
                                    << QStringList{"block1", "blockSelect", "keyActive", "mifareKey",
                                                   "selSequence"}
                                    << QStringList{} << "Einzelblöcke";
        QTest::newRow("MIFARE Einzelblock")
            << 1 << 1 << QStringList{"block1", "blockSelect", "keyActive", "mifareKey", "selSequence"}
            << QStringList{"block1", "blockSelect", "keyActive"} << "Einzelblöcke";
        QTest::newRow("ICode1 Einzelblock")
            << 2 << 1 << QStringList{"block1"} << QStringList{"block1"} << "Einzelblöcke";
        QTest::newRow("DESFire File") << 3 << 1 << QStringList{"appId", "fileId", "keyActive", "desfireKey"}
                                      << QStringList{"appId", "fileId", "keyActive"} << "File";
    }
    void dataPageShowsWhatFamilyAndSelectionOffer() {
        QFETCH(int, family);
        QFETCH(int, selection);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, enabled);
        QFETCH(QString, singleCaption);
        GuiFixture f;
        gui::SerialSheetDialog dialog(nullptr, f.ctx, 0, 19200, kAllFamilies);
        gui::SerialDataPage *page = dialog.dataPage(1);
        const char *families[] = {"famIso", "famMifare", "famIcode1", "famDesfire"};
        auto *box = qobject_cast<QCheckBox *>(page->control(families[family]));
        if (!box->isChecked()) box->click();
        click(page->control(selection == 0 ? "selUid" : selection == 1 ? "selSingle" : "selSequence"));

        const QStringList probe{"block1", "blockSelect", "appId",     "fileId",     "startBlock",
                                "length", "keyActive",   "mifareKey", "desfireKey", "selSequence"};
        QStringList visible, usable;
        for (const QString &name : probe) {
            QWidget *w = page->control(name.toStdString());
            if (w->isVisibleTo(page)) visible << name;
            if (w->isVisibleTo(page) && w->isEnabled() && name != "selSequence") usable << name;
        }
        QCOMPARE(visible, shown);
        for (const QString &name : enabled) QVERIFY2(usable.contains(name), qPrintable(name));
        QCOMPARE(usable.size(), enabled.size());
        QCOMPARE(qobject_cast<QRadioButton *>(page->control("selSingle"))->text(), singleCaption);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(qobject_cast<QCheckBox *>(page->control(families[i]))->isChecked(), i == family);
    }

    void secondDataSetGivesWayToTheFirst() {
        GuiFixture f;
        gui::SerialSheetDialog dialog(nullptr, f.ctx, 0, 19200, app::CAP_TWO_DATA_BLOCKS | app::CAP_MIFARE);
        QStringList tabs;
        for (int i = 0; i < dialog.tabs()->count(); ++i) tabs << dialog.tabs()->tabText(i);
        QCOMPARE(tabs, (QStringList{"Parameter", "Prefix", "Daten 1", "Daten 2", "Suffix", "Abziehen",
                                    "Block Trenner"}));
        gui::SerialDataPage *one = dialog.dataPage(1), *two = dialog.dataPage(2);
        auto family = [](gui::SerialDataPage *p, const char *name) {
            return qobject_cast<QCheckBox *>(p->control(name));
        };
        // Page 2 starts without the family page 1 uses.
        QVERIFY(family(one, "famIso")->isChecked());
        QVERIFY(!family(two, "famIso")->isEnabled());
        QVERIFY(!family(two, "famIso")->isChecked());

        // Unchecking ISO15693 on "Daten 1" selects MIFARE there, and page 2 follows.
        family(one, "famIso")->click();
        QVERIFY(family(one, "famMifare")->isChecked());
        QVERIFY(!family(two, "famMifare")->isEnabled());
        QVERIFY(family(two, "famIso")->isEnabled());

        // On "Daten 2" a family may be cleared: the data set is then not used.
        family(two, "famIso")->click();
        QVERIFY(dialog.sheet().data2.active());
        family(two, "famIso")->click();
        QVERIFY(!family(two, "famIso")->isChecked());
        QVERIFY(!dialog.sheet().data2.active());
        QVERIFY(family(one, "famMifare")->isChecked());
    }

    void refusedKeyCharacterIsSelected() {
        GuiFixture f;
        gui::SerialSheetDialog dialog(nullptr, f.ctx, 0, 19200, app::CAP_MIFARE);
        dialog.setReadOnShow(false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        gui::SerialDataPage *page = dialog.dataPage(1);
        click(page->control("famMifare"));
        click(page->control("selSingle"));
        qobject_cast<QLineEdit *>(page->control("block1"))->setText("4");
        click(page->control("keyActive"));
        auto *key = qobject_cast<QLineEdit *>(page->control("mifareKey"));
        key->setText("A1B2C3D4E5G6");  // the eleventh character is no hexadecimal digit
        dialog.tabs()->setCurrentIndex(0);

        QVERIFY(!dialog.save());
        const app::StringTable &st = app::StringTable::instance();
        QCOMPARE(f.prompts.messages, (std::vector<std::string>{st.text(552), st.text(517)}));
        QCOMPARE(dialog.currentPage(), static_cast<gui::SheetPage *>(page));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(key));
        QCOMPARE(key->selectedText(), QStringLiteral("G"));
        QCOMPARE(key->selectionStart(), 10);
    }

    void captureRecordsShiftAltGrAndEnter() {
        GuiFixture f;
        gui::Ps2SheetDialog dialog(nullptr, f.ctx, 0, app::CAP_PS2);
        dialog.setReadOnShow(false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.showPage("prefix");
        gui::KeyStrokePageWidget *page = dialog.sequencePage("prefix");
        QWidget *box = page->captureBox();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        const app::KeySequence &seq = dialog.sheet().prefix.getSequence();
        using gui::test::sendKey;

        sendKey(box, QEvent::KeyPress, Qt::Key_Shift, 42);
        sendKey(box, QEvent::KeyPress, Qt::Key_A, 30, Qt::ShiftModifier, "A");
        sendKey(box, QEvent::KeyPress, Qt::Key_A, 30, Qt::ShiftModifier, "A", true);  // auto-repeat
        sendKey(box, QEvent::KeyRelease, Qt::Key_A, 30, Qt::ShiftModifier, "A");
        sendKey(box, QEvent::KeyRelease, Qt::Key_Shift, 42, Qt::ShiftModifier);
        QCOMPARE(seq.count(), 4);
        QCOMPARE(seq.at(0), (app::KeyEvent{0x10, 0x2A, 1}));
        QCOMPARE(seq.at(1), (app::KeyEvent{0x41, 0x1E, 1}));
        QCOMPARE(seq.at(3), (app::KeyEvent{0x10, 0x2A, 0}));
        QCOMPARE(listTexts(page->sequenceList()), (QStringList{"Shift", "A", "Shift - "}));
        QCOMPARE(seq.toBlock(), (std::vector<std::uint8_t>{0x12, 0x1C, 0xF0, 0x1C, 0xF0, 0x12, 0xFF}));

        // Alt Gr is one key without a Control entry; Enter stays in the box.
        page->clearButton()->click();
        gui::test::tapKey(box, Qt::Key_AltGr, 100);
        gui::test::tapKey(box, Qt::Key_Return, 28);
        QCOMPARE(seq.count(), 4);
        QCOMPARE(seq.at(0), (app::KeyEvent{0x89, 0x38, 1}));
        QCOMPARE(seq.at(1), (app::KeyEvent{0x89, 0x38, 0}));
        QCOMPARE(seq.at(2), (app::KeyEvent{0x0D, 0x1C, 1}));
        QCOMPARE(seq.at(3), (app::KeyEvent{0x0D, 0x1C, 0}));
        QVERIFY(dialog.isVisible());  // Enter did not close the sheet
        QCOMPARE(box->property("text").toString(), QStringLiteral("CR"));
    }

    void overflowDialogStillTakesReleases() {
        GuiFixture f;
        gui::Ps2SheetDialog dialog(nullptr, f.ctx, 0, app::CAP_PS2);
        dialog.setReadOnShow(false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.showPage("suffix");
        gui::KeyStrokePageWidget *page = dialog.sequencePage("suffix");
        QWidget *box = page->captureBox();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        for (unsigned evdev = 16; evdev < 25; ++evdev) gui::test::tapKey(box, Qt::Key_Q, evdev);  // 27 bytes
        gui::test::sendKey(box, QEvent::KeyPress, Qt::Key_Shift, 42);                             // 30 bytes
        const app::KeySequence &seq = dialog.sheet().suffix.getSequence();
        QCOMPARE(seq.byteSize(), 30);

        // A while Shift is held does not fit; Shift is released while the dialog is open.
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *overflow = qobject_cast<gui::OverflowDialog *>(QApplication::activeModalWidget());
            QVERIFY(overflow);
            seen = true;
            gui::test::sendKey(overflow->okButton(), QEvent::KeyRelease, Qt::Key_Shift, 42);
            overflow->okButton()->click();
        });
        gui::test::sendKey(box, QEvent::KeyPress, Qt::Key_A, 30, Qt::ShiftModifier, "A");
        QVERIFY(seen);
        QCOMPARE(seq.count(), 20);
        QCOMPARE(seq.at(19), (app::KeyEvent{0x10, 0x2A, 0}));
        gui::test::sendKey(box, QEvent::KeyRelease, Qt::Key_A, 30);  // no press to match
        QCOMPARE(seq.count(), 20);
    }

    void mkrThroughTheFileDialogs() {
        GuiFixture f;
        gui::SerialSheetDialog dialog(nullptr, f.ctx, 0, 19200, app::CAP_MIFARE | app::CAP_TWO_DATA_BLOCKS);
        dialog.setReadOnShow(false);
        gui::CharSequencePageWidget *prefix = dialog.sequencePage("prefix");
        for (const char *typed : {"1B", "a", "cr (enter)"}) {
            prefix->inputEdit()->setText(typed);
            prefix->insertButton()->click();
        }
        QCOMPARE(listTexts(prefix->sequenceList()),
                 (QStringList{"1B H     ESC", "61 H     a", "0D H     CR (Enter)"}));
        gui::SerialDataPage *two = dialog.dataPage(2);
        click(two->control("famMifare"));
        click(two->control("selSingle"));
        qobject_cast<QLineEdit *>(two->control("block1"))->setText("9");

        const QString path = QString::fromStdString(f.file("reader.mkr"));
        gui::test::FileDialogSeen saved;
        gui::test::answerNextFileDialog(path, &saved);
        QVERIFY(dialog.save());
        QVERIFY(saved.shown);
        QVERIFY2(saved.filters.join(";").contains("*.mkr"), qPrintable(saved.filters.join(";")));
        QCOMPARE(f.settings.get(app::settings::MkrFilePath), f.dir.path().toStdString());
        QVERIFY(dialog.windowTitle().endsWith(" - " + path));

        prefix->clearButton()->click();
        click(two->control("famMifare"));  // data set 2 off
        f.prompts.answers = {false};       // do not save the changes first
        gui::test::FileDialogSeen opened;
        gui::test::answerNextFileDialog(path, &opened);
        QVERIFY(dialog.load());
        QCOMPARE(f.prompts.questions, std::vector<std::string>{app::StringTable::instance().text(516)});
        QCOMPARE(opened.directory, f.dir.path());  // the remembered folder
        QCOMPARE(listTexts(prefix->sequenceList()),
                 (QStringList{"1B H     ESC", "61 H     a", "0D H     CR (Enter)"}));
        QVERIFY(qobject_cast<QCheckBox *>(two->control("famMifare"))->isChecked());
        QCOMPARE(qobject_cast<QLineEdit *>(two->control("block1"))->text(), QStringLiteral("9"));
    }

    void mkpThroughTheFileDialogs() {
        GuiFixture f;
        gui::Ps2SheetDialog dialog(nullptr, f.ctx, 0, app::CAP_PS2);
        dialog.setReadOnShow(false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.showPage("removal");
        gui::KeyStrokePageWidget *removal = dialog.sequencePage("removal");
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(removal->captureBox()));
        gui::test::tapKey(removal->captureBox(), Qt::Key_Up, 103);  // an extended key
        removal->tabButton()->click();
        const app::KeySequence recorded = dialog.sheet().removal.getSequence();
        QCOMPARE(recorded.count(), 4);

        const QString path = QString::fromStdString(f.file("wedge.mkp"));
        gui::test::FileDialogSeen saved;
        gui::test::answerNextFileDialog(path, &saved);
        QVERIFY(dialog.save());
        QVERIFY2(saved.filters.join(";").contains("*.mkp"), qPrintable(saved.filters.join(";")));
        QCOMPARE(f.settings.get(app::settings::LastPath), path.toStdString());

        removal->clearButton()->click();
        gui::test::FileDialogSeen opened;
        gui::test::answerNextFileDialog(path, &opened);
        QVERIFY(dialog.load());
        QCOMPARE(opened.directory, f.dir.path());
        // The files keep the extended bit of every extended key: Up comes back as Up.
        const app::KeySequence &loaded = dialog.sheet().removal.getSequence();
        QCOMPARE(loaded, recorded);
        QCOMPARE(loaded.at(0), (app::KeyEvent{0x26, 0x48, 1}));
        QCOMPARE(listTexts(removal->sequenceList()).size(), 2);
    }

    void languageSwitchRebuildsTheSheet() {
        qputenv("ORVEX_ENGLISH_STRINGS", ORVEX_SOURCE_DIR "/resources/OrvexReaderSetupEng.ini");
        GuiFixture f;
        gui::SerialSheetDialog dialog(nullptr, f.ctx, 0, 19200, app::CAP_MIFARE);
        QVERIFY(app::StringTable::instance().loadEnglish());
        QEvent change(QEvent::LanguageChange);
        QApplication::sendEvent(&dialog, &change);
        QCOMPARE(dialog.programButton()->text(), QStringLiteral("Program"));
        QCOMPARE(dialog.tabs()->tabText(2), QStringLiteral("Data"));
        QVERIFY2(dialog.windowTitle().startsWith("Enter programming"), qPrintable(dialog.windowTitle()));
        QCOMPARE(qobject_cast<QRadioButton *>(dialog.dataPage(1)->control("repr1"))->text(),
                 QStringLiteral("Decimal"));
        app::StringTable::instance().useGerman();
        QApplication::sendEvent(&dialog, &change);
        QCOMPARE(dialog.programButton()->text(), QStringLiteral("Programmieren"));
    }
};

QTEST_MAIN(SheetWindowsTest)
#include "sheet_windows_test.moc"
