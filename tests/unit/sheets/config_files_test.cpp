#include "sheets/config_files.h"
#include "keys/key_names.h"

#include "common/temp_folder.h"

using namespace orvex::app;

namespace {

CharSequence chars(std::initializer_list<uint8_t> codes) {
    CharSequence a;
    for (uint8_t c : codes) a.insert(a.count(), SequenceChar{c, codeName(c)});
    return a;
}

KeySequence strokes(std::initializer_list<KeyEvent> entries) {
    KeySequence a;
    for (const KeyEvent &e : entries) a.append(e);
    return a;
}

std::vector<std::string> sectionNames(const std::string &file) {
    IniFile ini;
    ini.open(file, false, false, true);
    std::vector<std::string> names;
    for (size_t i = 1; i < ini.sections().size(); ++i) names.push_back(ini.sections()[i].name);
    return names;
}

MkrConfiguration sampleMkr() {
    MkrConfiguration c;
    c.prefix = chars({0x02});
    c.set1.active = 1;
    c.set1.typeCode = 3;
    c.set1.selection = {4, 5, 0xFF, 0xFF};
    c.set1.mifareKey = "A0A1A2A3A4A5";
    c.set2.typeCode = 8;
    c.set2.selection = {0x2C, 0x01, 0x10, 0xFF};
    c.parameters.modeByte = 0x13;
    c.parameters.powerOnIndex = 1;
    c.keyTable.keys[0x1E] = {'a', 'A', 0};
    c.suffix = chars({0x0D, 0x0A});
    c.removal = chars({0x8F, 0x8C, 0xE4});
    return c;
}

}  // namespace

class ConfigFiles : public ::testing::Test {
protected:
    TempFolder dir;
};

TEST_F(ConfigFiles, MkrSectionOrderPerReaderKind) {
    struct Case {
        CapabilityFlags flags;
        std::vector<std::string> sections;
    } cases[] = {
        {0, {"Prefix", "Data", "Mifare", "Desfire", "ISO", "Suffix", "Abziehen", "Termix"}},
        {CAP_HID | CAP_TWO_DATA_BLOCKS,
         {"Prefix", "Data", "Mifare", "Desfire", "ISO", "HID_KEYS", "Suffix", "Abziehen", "Termix"}},
    };
    for (const Case &c : cases) {
        const std::string file = dir.file("order.mkr");
        std::filesystem::remove(file);
        ASSERT_TRUE(saveMkrFile(file, sampleMkr(), c.flags).ok);
        EXPECT_EQ(sectionNames(file), c.sections);
        const std::string bytes = TempFolder::read(file);
        EXPECT_EQ(bytes.rfind("[Prefix]\r\nCount=1\r\nAscii0=2\r\n[Data]\r\n", 0), 0u);
        EXPECT_NE(bytes.find("[Abziehen]\r\nCount=3\r\nAscii0=143\r\nAscii1=140\r\nAscii2=228\r\n"),
                  std::string::npos);
        EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);  // CR LF line ends only
        EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
    }
}

TEST_F(ConfigFiles, MkrSaveReplacesOwnSectionsAndKeepsForeignOnes) {
    const std::string file = dir.file("keep.mkr");
    TempFolder::write(file,
                      "; written by hand\r\n"
                      "[Vendor]\r\nSerial = 0815\r\n"
                      "[suffix]\r\nCOUNT=4\r\nAscii0=1\r\nAscii1=2\r\nAscii2=3\r\nAscii3=4\r\n"
                      "[Data]\r\nUnknownKey=keep\r\n");
    const CapabilityFlags flags = CAP_HID | CAP_TWO_DATA_BLOCKS;
    const MkrConfiguration saved = sampleMkr();
    ASSERT_TRUE(saveMkrFile(file, saved, flags).ok);

    const std::string bytes = TempFolder::read(file);
    // Foreign sections stay; the sections a save owns are replaced in place,
    // so stale entries (Ascii2, Ascii3, a key of an older program) are gone.
    EXPECT_EQ(
        bytes.rfind("; written by hand\r\n[Vendor]\r\nSerial=0815\r\n[suffix]\r\nCount=2\r\nAscii0=13\r\n"
                    "Ascii1=10\r\n[Data]\r\n",
                    0),
        0u)
        << bytes;
    EXPECT_EQ(bytes.find("Ascii2=3"), std::string::npos);
    EXPECT_EQ(bytes.find("UnknownKey"), std::string::npos);

    MkrConfiguration loaded;
    ConfigFileResult r = loadMkrFile(file, flags, loaded);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(loaded.prefix, saved.prefix);
    EXPECT_EQ(loaded.suffix, saved.suffix);  // the stale Ascii2/Ascii3 beyond Count are ignored
    EXPECT_EQ(loaded.removal, saved.removal);
    EXPECT_EQ(loaded.separator.count(), 0);
    EXPECT_EQ(loaded.set1.typeCode, 3);
    EXPECT_EQ(loaded.set1.mifareKey, "A0A1A2A3A4A5");
    EXPECT_EQ(loaded.set2.typeCode, 8);
    EXPECT_EQ(loaded.parameters.modeByte, 0x13);
    EXPECT_EQ(loaded.keyTable, saved.keyTable);
}

TEST_F(ConfigFiles, MkrLoadMessagesAndFailures) {
    const std::string file = dir.file("bad.mkr");
    std::string text = "[Prefix]\r\nCount=16\r\n[Suffix]\r\nCount=1\r\nAscii0=65\r\n[Termix]\r\nCount=99\r\n";
    TempFolder::write(file, text);
    MkrConfiguration config = sampleMkr();
    ConfigFileResult r = loadMkrFile(file, 0, config);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.messages, (std::vector<FileMessage>{{531, {}, "Prefix"}, {531, {}, "Termix"}}));
    EXPECT_EQ(config.prefix.count(), 0);  // emptied before reading
    EXPECT_EQ(config.suffix, chars({'A'}));
    EXPECT_EQ(config.removal.count(), 0);

    MkrConfiguration untouched = sampleMkr();
    r = loadMkrFile(dir.file("missing.mkr"), 0, untouched);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, (std::vector<FileMessage>{{610, {}, {}}}));
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(untouched.prefix, sampleMkr().prefix);  // a failed load loses nothing

    r = saveMkrFile(dir.file("no/such/folder.mkr"), config, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

TEST_F(ConfigFiles, MkpExactBytesAndRoundTrip) {
    MkpConfiguration c;
    c.prefix = strokes({{0x89, 0x38, 1}, {0x51, 0x10, 1}, {0x51, 0x10, 0}, {0x89, 0x38, 0}});
    c.data.typeCode = 1;
    c.data.representation = 2;
    c.data.charCount = 8;
    c.data.selection = {3, 12, 0xFF, 0xFF, 0xFF};
    c.parameters.wedgeDelayByte = 5;
    c.suffix = strokes({{0x0D, 0x1C, 1}, {0x0D, 0x1C, 0}});
    c.removal = strokes({{0x26, 0x48, 1}, {0x26, 0x48, 0}});
    const std::string file = dir.file("wedge.mkp");
    ASSERT_TRUE(saveMkpFile(file, c).ok);
    EXPECT_EQ(TempFolder::read(file),
              "[Prefix]\r\nCount=4\r\n"
              "Keydown0=1\r\nCodeSet1_0=e0 56\r\nKeydown1=1\r\nCodeSet1_1=16\r\n"
              "Keydown2=0\r\nCodeSet1_2=16\r\nKeydown3=0\r\nCodeSet1_3=e0 56\r\n"
              "[Data]\r\nTransponderTyp=1\r\nDarstellung=2\r\nZeichenAnzahl=8\r\n"
              "Register1=3\r\nRegister2=12\r\nRegister3=255\r\nRegister4=255\r\n"
              "Verzoegerung=5\r\nSendefrequenz=5\r\nTimeout=5\r\n"
              "[Suffix]\r\nCount=2\r\nKeydown0=1\r\nCodeSet1_0=28\r\nKeydown1=0\r\nCodeSet1_1=28\r\n"
              "[Termix]\r\nCount=0\r\n"
              "[Ende]\r\nCount=2\r\nKeydown0=1\r\nCodeSet1_0=e0 72\r\nKeydown1=0\r\nCodeSet1_1=e0 72\r\n");

    MkpConfiguration back;
    ConfigFileResult r = loadMkpFile(file, back);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(back.prefix, c.prefix);
    EXPECT_EQ(back.suffix, c.suffix);
    EXPECT_EQ(back.removal, c.removal);  // the Up arrow stays the Up arrow
    EXPECT_EQ(back.data.selection, c.data.selection);
    EXPECT_EQ(back.parameters.wedgeDelayByte, 5);
}

TEST_F(ConfigFiles, MkpMissingFileReadsDefaults) {
    MkpConfiguration c;
    c.prefix = strokes({{0x41, 0x1E, 1}});
    ConfigFileResult r = loadMkpFile(dir.file("none.mkp"), c);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(c.prefix.count(), 0);
    EXPECT_EQ(c.data.charCount, 10);
    EXPECT_EQ(c.parameters.wedgeDelayByte, 10);
}
