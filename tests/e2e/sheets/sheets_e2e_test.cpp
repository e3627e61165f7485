// Both configuration sheets against simulated readers on pseudo-terminals:
// read-back, programming order and blocks, failures, and .mkr/.mkp files.
#include <gtest/gtest.h>

#include "app/string_table.h"
#include "sheets/ps2_sheet.h"
#include "sheets/serial_sheet.h"
#include "common/sheet_bench.h"

namespace orvex::app::test {
namespace {

using sim::Bytes;

void type(CharSequencePage &page, std::initializer_list<const char *> inputs) {
    for (const char *t : inputs) {
        page.setInput(t);
        ASSERT_FALSE(page.insertCharacter()) << t;
    }
}

// A configuration far from the factory one, within what the reader offers.
void customise(SerialSheet &s, bool secondSetActive = true) {
    type(s.prefix, {"02", "A"});
    type(s.suffix, {"0D", "0A"});
    type(s.removal, {"X"});
    type(s.separator, {"-"});
    auto &d1 = s.data1;
    if (d1.switches().mifare) {
        d1.clickFamily(Family::Mifare, true);
        d1.clickSelection(1);
        d1.values().blocks = {"4", "", "5", ""};
        d1.values().usedBytesTo = "8";
    } else {
        d1.clickFamily(Family::Iso15693, true);
        d1.clickSelection(1);
        d1.values().blocks = {"", "7", "", "9"};
    }
    d1.values().representation = 1;
    d1.values().charCount = "12";
    if (s.twoDataSets() && secondSetActive) {
        s.data2.clickFamily(Family::Iso15693, true);
        s.data2.values().charCount = "8";
        s.data2.values().highDataRate = false;
    }
    auto &p = s.serialParams.values();
    p.mode = 3;
    p.cycleTime = "2000";
    p.timeout = "700";
    p.requestChar = "!";
}

std::unique_ptr<SerialSheet> openSerial(Bench &b) {
    Bench::Link l = b.connect();
    auto sheet = std::make_unique<SerialSheet>(b.ctx, l.handle, l.baud, l.flags);
    sheet->readConfiguration();
    EXPECT_EQ(sheet->portHandle, 0);
    return sheet;
}

std::unique_ptr<Ps2Sheet> openPs2(Bench &b) {
    Bench::Link l = b.connect();
    EXPECT_TRUE(hasCapability(l.flags, CAP_PS2));
    auto sheet = std::make_unique<Ps2Sheet>(b.ctx, l.handle, l.flags);
    sheet->readConfiguration();
    return sheet;
}

std::vector<std::string> writeOrder(const SheetBase &sheet) {
    std::vector<std::string> names;
    for (const auto &w : sheet.writes()) names.push_back(w.what);
    return names;
}

// Read back -> save -> program a fresh reader -> read back: the same blocks.
TEST(SerialSheetE2E, ConfigurationSurvivesFileAndFreshReader) {
    for (const char *version : {"1245", "194A", "454J"}) {
        SCOPED_TRACE(version);
        Bench b;
        auto a = startReader(version);
        b.attach(*a);
        {
            auto sheet = openSerial(b);
            customise(*sheet);
            ASSERT_EQ(sheet->program(), ProgramOutcome::Done) << b.prompts.messages.back();
            EXPECT_EQ(b.prompts.messages.back(), text(509));
            EXPECT_EQ(a->state().prefix, (Bytes{0x02, 0x41, 0xFF}));
            EXPECT_EQ(a->state().parameter, (Bytes{0x03, 20, '!', 7}));
            EXPECT_EQ(a->state().data.size(), sheet->twoDataSets() ? 40u : 12u);
        }
        const std::string file = b.dir.file("reader.mkr");
        auto readBack = openSerial(b);
        ASSERT_TRUE(readBack->saveMkrFile(file));
        const ReaderContent image = readBack->programImage();

        auto fresh = startReader(version);
        b.attach(*fresh);
        auto programmer = openSerial(b);
        ASSERT_TRUE(programmer->loadMkrFile(file));
        ASSERT_EQ(programmer->program(), ProgramOutcome::Done);
        EXPECT_EQ(blocks(fresh->state()), blocks(a->state()));
        EXPECT_EQ(fresh->state().option, a->state().option);

        auto again = openSerial(b);
        EXPECT_EQ(again->programImage(), image);
    }
}

TEST(Ps2SheetE2E, ConfigurationSurvivesFileAndFreshReader) {
    Bench b;
    auto a = startReader("1221");
    b.attach(*a);
    {
        auto sheet = openPs2(b);
        sheet->prefix.recordPress({0x10, 0x2A}, true);
        sheet->prefix.recordPress({0x41, 0x1E}, true);
        sheet->prefix.recordRelease({0x41, 0x1E});
        sheet->prefix.recordRelease({0x10, 0x2A});
        sheet->suffix.addKey(KeyStrokePage::kVkTab, KeyStrokePage::kScanTab);
        sheet->separator.recordPress({0x12, 0x38, true, true}, true);  // Alt Gr
        sheet->separator.recordRelease({0x12, 0x38, true});
        sheet->data.clickSelection(1);
        sheet->data.values().blocks = {"3", "", "12", ""};
        sheet->data.values().representation = 4;
        sheet->params.values().frequency = "12";
        sheet->params.values().delay = "2.5";
        sheet->params.values().timeout = "360";
        ASSERT_EQ(sheet->program(), ProgramOutcome::Done);
        EXPECT_EQ(a->state().prefix, (Bytes{0x12, 0x1C, 0xF0, 0x1C, 0xF0, 0x12, 0xFF}));
        EXPECT_EQ(a->state().separator, (Bytes{0xE0, 0x11, 0xE0, 0xF0, 0x11, 0xFF}));
        EXPECT_EQ(a->state().removal, (Bytes{0xFF}));
        EXPECT_EQ(a->state().data, (Bytes{5, 1, 3, 12, 0xFF, 0xFF, 0xFF, 4, 10, 2, 11}));
        EXPECT_EQ(writeOrder(*sheet),
                  (std::vector<std::string>{"prefix", "data", "suffix", "separator", "removal"}));
    }
    const std::string file = b.dir.file("wedge.mkp");
    auto readBack = openPs2(b);
    ASSERT_TRUE(readBack->saveMkpFile(file));
    EXPECT_EQ(b.settings.get(settings::LastPath), file);

    auto fresh = startReader("1221");
    b.attach(*fresh);
    auto programmer = openPs2(b);
    programmer->loadMkpFile(file);
    ASSERT_EQ(programmer->program(), ProgramOutcome::Done);
    EXPECT_EQ(blocks(fresh->state()), blocks(a->state()));
}

// A reply too short for the 11-byte block (a stale status-only answer, say)
// is a failed read, not a block that leaves the pages at their defaults.
TEST(Ps2SheetE2E, ShortDataBlockIsAFailedRead) {
    for (const Bytes &reply : {Bytes{}, Bytes{5, 1, 3}, Bytes(10, 1)}) {
        SCOPED_TRACE(reply.size());
        Bench b;
        auto a = startReader("1221");
        a->modifyState([&](sim::ReaderState &s) { s.data = reply; });
        b.attach(*a);
        auto sheet = openPs2(b);
        EXPECT_EQ(sheet->failedReads(), std::vector<std::string>{"data"});
    }
}

TEST(SerialSheetE2E, DataBlockSizesAndEmptySequences) {
    struct Case {
        const char *version;
        bool secondSet;
        std::size_t size;
    };
    for (const Case &c : {Case{"1245", false, 12}, Case{"1647", false, 13}, Case{"194A", false, 16},
                          Case{"194A", true, 40}}) {
        SCOPED_TRACE(std::string(c.version) + (c.secondSet ? " two sets" : ""));
        Bench b;
        auto r = startReader(c.version);
        b.attach(*r);
        auto sheet = openSerial(b);
        for (CharSequencePage *p : {&sheet->prefix, &sheet->suffix, &sheet->removal, &sheet->separator})
            p->clearPage();
        if (c.secondSet) sheet->data2.clickFamily(Family::Mifare, true);
        ASSERT_EQ(sheet->program(), ProgramOutcome::Done);
        const sim::ReaderState s = r->state();
        ASSERT_EQ(s.data.size(), c.size);
        if (c.size == 40) {
            EXPECT_EQ(Bytes(s.data.begin() + 16, s.data.begin() + 20), Bytes(4, 0));
            EXPECT_EQ(Bytes(s.data.begin() + 36, s.data.end()), Bytes(4, 0));
            EXPECT_EQ(s.data[21], 0x02) << "data set 2: MIFARE UID";
        }
        for (const Bytes &seq : {s.prefix, s.suffix, s.removal, s.separator}) EXPECT_EQ(seq, Bytes{0xFF});
        // Data set 1 is ISO 15693 UID: its option write is part of the run.
        EXPECT_EQ(writeOrder(*sheet), (std::vector<std::string>{"prefix", "data", "isoOption", "parameters",
                                                                "suffix", "removal", "separator"}));
    }
}

// A write the reader does not answer ends the run with 510; what was
// written before stays in the reader.
TEST(SerialSheetE2E, FailedWriteLeavesEarlierBlocks) {
    Bench b;
    auto a = startReader("1245");
    b.attach(*a);
    auto sheet = openSerial(b);
    customise(*sheet);

    // Count the commands of one whole run; the suffix write is the fourth
    // command from the end (suffix, removal, separator, output mode 2).
    auto probe = startReader("1245");
    b.attach(*probe);
    ASSERT_EQ(sheet->program(), ProgramOutcome::Done);
    const int total = probe->commandsSeen();

    auto target = startReader("1245", total - 3);
    const sim::ReaderState before = target->state();
    b.attach(*target);
    EXPECT_EQ(sheet->program(), ProgramOutcome::Failed);
    EXPECT_EQ(b.prompts.messages.back(), text(510));
    EXPECT_EQ(sheet->portHandle, 0);
    ASSERT_FALSE(sheet->writes().empty());
    EXPECT_EQ(sheet->writes().back().what, "suffix");
    EXPECT_FALSE(sheet->writes().back().ok);
    const sim::ReaderState after = target->state();
    EXPECT_EQ(after.prefix, probe->state().prefix);
    EXPECT_EQ(after.data, probe->state().data);
    EXPECT_EQ(after.parameter, probe->state().parameter);
    EXPECT_EQ(after.suffix, before.suffix);
    EXPECT_EQ(after.separator, before.separator);
}

// "Programmieren" announces every step of its plan once, in order, before
// the step's writes, so the window can show "Prefix (1 von 7)".
TEST(SheetStepsE2E, EveryStepAnnouncedOnceBeforeItsWrites) {
    struct Case {
        const char *version;
        std::vector<std::string> firstSteps;
    };
    const Case cases[] = {
        {"1245", {"prefix", "data", "parameters", "suffix", "removal", "separator"}},
        {"164U", {"prefix", "data", "parameters", "suffix", "removal", "separator"}},
        {"1221", {"prefix", "data", "suffix", "separator", "removal"}},  // keyboard wedge
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.version);
        Bench b;
        auto r = startReader(c.version);
        b.attach(*r);
        Bench::Link l = b.connect();
        std::unique_ptr<Ps2Sheet> ps2;
        std::unique_ptr<SerialSheet> serial;
        SheetBase *sheet = nullptr;
        if (hasCapability(l.flags, CAP_PS2)) {
            ps2 = std::make_unique<Ps2Sheet>(b.ctx, l.handle, l.flags);
            ps2->readConfiguration();
            sheet = ps2.get();
        } else {
            serial = std::make_unique<SerialSheet>(b.ctx, l.handle, l.baud, l.flags);
            serial->readConfiguration();
            sheet = serial.get();
        }
        // Each step with the number of writes made before it.
        std::vector<std::pair<ProgramStep, std::size_t>> steps;
        sheet->onStep = [&](const ProgramStep &step) { steps.emplace_back(step, sheet->writes().size()); };
        ASSERT_EQ(ps2 ? ps2->program() : serial->program(), ProgramOutcome::Done)
            << b.prompts.messages.back();

        ASSERT_GE(steps.size(), c.firstSteps.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].first.index, static_cast<int>(i) + 1);
            EXPECT_EQ(steps[i].first.count, static_cast<int>(steps.size()));
            if (i < c.firstSteps.size()) {
                EXPECT_EQ(steps[i].first.what, c.firstSteps[i]);
            }
        }
        // Every block write falls inside the step of its name.
        const auto &writes = sheet->writes();
        for (std::size_t k = 0; k < writes.size(); ++k) {
            const std::string &what = writes[k].what;
            if (what == "isoOption" || what == "tcpClientTarget") continue;  // within data / after the run
            std::string current;
            for (const auto &[step, before] : steps)
                if (before <= k) current = step.what;
            EXPECT_EQ(current, what) << "write " << k;
        }
    }
}

TEST(SheetStepsE2E, StepTextInBothLanguages) {
    auto &table = StringTable::instance();
    EXPECT_EQ(programStepText({"prefix", 2, 7}), "Prefix (2 von 7)");
    EXPECT_EQ(programStepText({"separator", 6, 7}), "Block Trenner (6 von 7)");
    ASSERT_TRUE(table.loadEnglish(std::string(ORVEX_SOURCE_DIR) + "/resources/OrvexReaderSetupEng.ini"));
    EXPECT_EQ(programStepText({"prefix", 2, 7}), "Prefix (2 of 7)");
    EXPECT_EQ(programStepText({"keyTable", 9, 10}), "Key table (9 of 10)");
    table.useGerman();
}

TEST(SerialSheetE2E, TransponderKeysAndIsoOption) {
    Bench b;
    auto r = startReader("164U");  // MIFARE and DESFire, two data sets
    r->modifyState([](sim::ReaderState &s) { s.option = 0; });
    b.attach(*r);
    auto sheet = openSerial(b);
    auto &d1 = sheet->data1;
    d1.clickFamily(Family::Mifare, true);
    d1.clickSelection(1);
    d1.values().blocks[0] = "4";
    d1.values().keyActive = true;
    d1.values().mifareKeyType = 1;
    d1.values().mifareKey = "A0a1A2A3A4A5";
    auto &d2 = sheet->data2;
    d2.clickFamily(Family::Desfire, true);
    d2.values().keyActive = true;
    d2.values().desfireKeyType = 1;  // AES
    d2.values().desfireKeyNumber = "2";
    d2.values().desfireKey = "ABC";
    ASSERT_EQ(sheet->program(), ProgramOutcome::Done) << b.prompts.messages.back();
    const sim::ReaderState s = r->state();
    ASSERT_EQ(s.keys.count(1), 1u);
    EXPECT_EQ(s.keys.at(1), (Bytes{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5}));
    ASSERT_EQ(s.keys.count(0x23), 1u);
    Bytes desfire(16, 0);
    desfire[0] = 0xAB;
    desfire[1] = 0xC0;
    EXPECT_EQ(s.keys.at(0x23), desfire);
    EXPECT_EQ(s.option, 0) << "neither data set is ISO 15693: no option byte";

    // An 11-character MIFARE key with the key box off is neither checked nor
    // sent; the inactive data set 2 reads as ISO 15693 UID, so the option
    // byte goes out with its flags.
    auto plain = startReader("164U");
    plain->modifyState([](sim::ReaderState &st) { st.option = 0; });
    b.attach(*plain);
    auto other = openSerial(b);
    other->data1.clickFamily(Family::Mifare, true);
    other->data1.clickSelection(1);
    other->data1.values().blocks[0] = "4";
    other->data1.values().mifareKey = "A0A1A2A3A4A";
    ASSERT_EQ(other->program(), ProgramOutcome::Done);
    EXPECT_TRUE(plain->state().keys.empty());
    EXPECT_EQ(plain->state().option, 3);
    EXPECT_EQ(plain->state().data.size(), 16u) << "data set 2 stays inactive";
}

TEST(SerialSheetE2E, AnotherModelIsNotProgrammed) {
    Bench b;
    auto a = startReader("1245");
    b.attach(*a);
    auto sheet = openSerial(b);
    EXPECT_EQ(sheet->title(), text(508) + " <Alder-4>");
    customise(*sheet);
    auto other = startReader("1645");
    const sim::ReaderState before = other->state();
    b.attach(*other);
    EXPECT_EQ(sheet->program(), ProgramOutcome::WrongModel);
    EXPECT_NE(b.prompts.messages.back().find("<Alder-4>"), std::string::npos);
    EXPECT_TRUE(sheet->writes().empty());
    EXPECT_EQ(blocks(other->state()), blocks(before));
    EXPECT_EQ(other->state().outputMode, 2) << "the link was closed";
}

TEST(SerialSheetE2E, RefusedValueWritesNothing) {
    Bench b;
    auto a = startReader("1245");
    b.attach(*a);
    auto sheet = openSerial(b);
    const sim::ReaderState before = a->state();
    type(sheet->prefix, {"A"});
    sheet->data1.values().charCount = "99";
    std::string focusedPage, focusedField;
    sheet->onRefused = [&](const std::string &page, const ValidationFailure &f) {
        focusedPage = page;
        focusedField = f.field;
    };
    EXPECT_EQ(sheet->program(), ProgramOutcome::Stopped);
    EXPECT_EQ(b.prompts.messages.back(), "Geben Sie eine ganze Zahl zwischen 1 und 32 ein.");
    EXPECT_EQ(focusedPage, "data1");
    EXPECT_EQ(focusedField, "charCount");
    EXPECT_TRUE(sheet->writes().empty());
    EXPECT_EQ(blocks(a->state()), blocks(before));
}

TEST(SerialSheetE2E, ProgrammingModeQuestion) {
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        Bench b;
        auto r = startReader("1645");  // has the power-on mode
        b.attach(*r);
        auto sheet = openSerial(b);
        sheet->serialParams.values().powerOnIndex = 0;
        b.prompts.answers.push_back(yes);
        EXPECT_EQ(sheet->program(), ProgramOutcome::Done);
        ASSERT_EQ(b.prompts.questions.size(), 1u);
        EXPECT_EQ(b.prompts.questions[0], text(587));
        EXPECT_EQ(b.prompts.messages.back(), text(509));
        EXPECT_EQ(r->state().powerOn, yes ? 1 : 0);
        EXPECT_EQ(sheet->serialParams.values().powerOnIndex, yes ? 1 : 0);
    }
}

TEST(SerialSheetE2E, LineSettingChangeIsStored) {
    Bench b;
    auto r = startReader("1245");
    b.attach(*r);
    auto sheet = openSerial(b);
    sheet->serialParams.values().baudSet = "9600";
    sheet->serialParams.values().parity = 1;
    ASSERT_EQ(sheet->program(), ProgramOutcome::Done);
    EXPECT_EQ(b.settings.get(settings::PortBaudrate), 9601);
    EXPECT_EQ(r->state().baud, 9601);
    EXPECT_EQ(sheet->serialParams.baudValue(), 9601);
    // The next connect uses the stored setting.
    auto again = openSerial(b);
    EXPECT_EQ(again->serialParams.baudValue(), 9601);
}

TEST(SerialSheetE2E, MkrKeepsForeignSectionsAndLoadsIdentically) {
    Bench b;
    auto r = startReader("194A");
    b.attach(*r);
    auto sheet = openSerial(b);
    customise(*sheet);
    const std::string file = b.dir.file("kept.mkr");
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Foreign]\r\nKeep=1\r\n[Suffix]\r\nCount=0\r\nAscii7=65\r\n";
    }
    b.prompts.files.push_back(file);
    ASSERT_TRUE(sheet->saveMkr());
    EXPECT_EQ(b.settings.get(settings::MkrFilePath), b.dir.path().string());
    const std::string text = readFile(file);
    EXPECT_EQ(text.rfind("[Foreign]\r\nKeep=1\r\n", 0), 0u);
    EXPECT_EQ(text.find("Ascii7=65\r\n"), std::string::npos) << "a stale key of an owned section is gone";
    EXPECT_NE(sheet->title().find(" - " + file), std::string::npos);

    auto other = openSerial(b);
    b.prompts.files.push_back(file);
    ASSERT_TRUE(other->loadMkr());
    EXPECT_TRUE(b.prompts.questions.empty()) << "nothing modified, nothing asked";
    EXPECT_EQ(b.prompts.folders.back(), b.dir.path().string());
    EXPECT_EQ(other->programImage(), sheet->programImage());
}

TEST(SerialSheetE2E, LoadAsksToSaveModifiedValuesFirst) {
    Bench b;
    auto r = startReader("1245");
    b.attach(*r);
    auto sheet = openSerial(b);
    type(sheet->prefix, {"A"});
    b.prompts.answers.push_back(true);        // 516: save first
    b.prompts.files.push_back(std::nullopt);  // ... but cancel the save
    EXPECT_FALSE(sheet->loadMkr());
    ASSERT_EQ(b.prompts.questions.size(), 1u);
    EXPECT_EQ(b.prompts.questions[0], text(516));
    EXPECT_EQ(sheet->prefix.getSequence().count(), 1) << "nothing loaded";

    const std::string missing = b.dir.file("missing.mkr");
    b.prompts.answers.push_back(false);
    b.prompts.files.push_back(missing);
    EXPECT_FALSE(sheet->loadMkr());
    EXPECT_EQ(b.prompts.messages.back(), text(610));
    EXPECT_EQ(sheet->prefix.getSequence().count(), 0) << "the sequences were emptied";
}

}  // namespace
}  // namespace orvex::app::test
