// Values a configuration file holds that the pages cannot take as they are:
// clamped where the format says so, refused (naming section and key) where
// the value would silently become another one. And files of one kind saved
// over, or cut off, or holding both kinds.
#include "sheets/config_files.h"

#include "common/temp_folder.h"
#include "sheets/sheet_base.h"

using namespace orvex::app;

namespace {

IniFile savedMkr() {
    IniFile ini;
    MkrConfiguration config;
    config.set1.active = 1;
    writeMkr(ini, config, 0);
    return ini;
}

IniFile savedMkp() {
    IniFile ini;
    writeMkp(ini, MkpConfiguration{});
    return ini;
}

std::vector<std::string> keysNamed(const std::vector<FileMessage> &messages) {
    std::vector<std::string> keys;
    for (const FileMessage &m : messages) keys.push_back(m.key);
    return keys;
}

}  // namespace

TEST(ConfigFileValues, UsedBytesAreClampedToWhatTheFamilyAllows) {
    struct Case {
        int typeCode;
        const char *key;
        const char *value;
        std::uint8_t DataFormatRecord::*field;
        int expect;
    } cases[] = {
        {3, "GueltigeBytes", "300", &DataFormatRecord::usedBytesTo, 16},
        {8, "GueltigeBytes", "300", &DataFormatRecord::usedBytesTo, 250},
        {3, "GueltigeBytesAb", "300", &DataFormatRecord::usedBytesFrom, 16},
        {8, "GueltigeBytesAb", "99999", &DataFormatRecord::usedBytesFrom, 250},
        {0, "GueltigeBytes", "-4", &DataFormatRecord::usedBytesTo, 1},
    };
    for (const Case &c : cases) {
        IniFile ini = savedMkr();
        ini.writeInt("Data", "TransponderTyp", c.typeCode);
        ini.writeString("Data", c.key, c.value);
        MkrConfiguration config;
        EXPECT_TRUE(readMkr(ini, 0, config).empty()) << c.key << "=" << c.value;
        EXPECT_EQ(config.set1.*c.field, c.expect) << c.key << "=" << c.value << " type " << c.typeCode;
    }
}

TEST(ConfigFileValues, UnsupportedValuesNameTheirSectionAndKey) {
    struct Case {
        const char *section, *key, *value;
        bool refused;
    } cases[] = {
        {"Data", "Baudrate", "12345", true},
        {"Data", "Baudrate", "57602", false},
        {"Data", "Baudrate", "115250", false},  // framing code beyond 3 reads as 8N1
        {"Data", "RemoteIP", "999.1.1.1", true},
        {"Data", "RemoteIP", "10.0.0.300", true},
        {"Data", "RemoteIP", "reader.example", true},
        {"Data", "RemoteIP", "0.0.0.0", false},
        {"Data", "RemoteIP", "", false},
        {"Data", "RemoteIP", "192.168.1.9", false},
        {"Data", "ReaderModus", "77", true},
        {"Data", "ReaderModus", "2", false},
        {"Prefix", "Count", "-5", true},
        {"Termix", "Count", "-1", true},
    };
    for (const Case &c : cases) {
        IniFile ini = savedMkr();
        ini.writeString(c.section, c.key, c.value);
        MkrConfiguration config;
        const std::vector<FileMessage> messages = readMkr(ini, 0, config);
        const std::string where = std::string(c.section) + "/" + c.key;
        if (!c.refused) {
            EXPECT_TRUE(messages.empty()) << where << "=" << c.value;
            continue;
        }
        ASSERT_EQ(keysNamed(messages), std::vector<std::string>{where}) << c.value;
        const std::string shown = fileMessageText(messages[0]);
        EXPECT_EQ(shown.rfind(where + ": ", 0), 0u) << shown;
    }
    // The message says what the value was and what would do.
    IniFile ini = savedMkr();
    ini.writeString("Data", "Baudrate", "12345");
    MkrConfiguration config;
    const std::string shown = fileMessageText(readMkr(ini, 0, config).at(0));
    EXPECT_NE(shown.find("12345"), std::string::npos) << shown;
    EXPECT_NE(shown.find("115200"), std::string::npos) << shown;

    // Key-stroke sections of keyboard-wedge files alike.
    IniFile mkp = savedMkp();
    mkp.writeString("Suffix", "Count", "-5");
    MkpConfiguration wedge;
    EXPECT_EQ(keysNamed(readMkp(mkp, wedge)), std::vector<std::string>{"Suffix/Count"});
}

// read-config over a file of the other kind: the result is a file of the
// reader's kind, with the sections nobody of ours writes kept.
TEST(ConfigFileValues, SavingOverTheOtherKindReplacesItsSections) {
    TempFolder dir;
    const std::string file = dir.file("reader.cfg");
    auto withForeign = [&] {
        std::string text = TempFolder::read(file);
        TempFolder::write(file, text + "[Mine]\r\nKeep=1\r\n");
    };
    ASSERT_TRUE(saveMkpFile(file, MkpConfiguration{}).ok);
    withForeign();
    MkrConfiguration mkr;
    mkr.readerModel = "Alder-4";
    ASSERT_TRUE(saveMkrFile(file, mkr, CAP_HID).ok);
    IniFile ini;
    ASSERT_TRUE(ini.open(file, false, false, true));
    EXPECT_EQ(kindOfContent(ini), ConfigFileKind::Mkr);
    EXPECT_FALSE(ini.hasSection("Ende"));
    EXPECT_EQ(ini.getString("Mine", "Keep"), "1");
    EXPECT_EQ(readerModelOf(file), "Alder-4");

    MkpConfiguration mkp;
    ASSERT_TRUE(saveMkpFile(file, mkp).ok);
    ASSERT_TRUE(ini.open(file, false, false, true));
    EXPECT_EQ(kindOfContent(ini), ConfigFileKind::Mkp);
    for (const char *gone : {"Abziehen", "Mifare", "Desfire", "ISO", "HID_KEYS"})
        EXPECT_FALSE(ini.hasSection(gone)) << gone;
    EXPECT_EQ(readerModelOf(file), "");  // a save from a sheet drops the model
    EXPECT_EQ(ini.getString("Mine", "Keep"), "1");
}

TEST(ConfigFileValues, CutOffAndMixedFilesAreToldApart) {
    TempFolder dir;
    const std::string mkr = dir.file("cut.mkr"), mkp = dir.file("cut.mkp");
    ASSERT_TRUE(saveMkrFile(mkr, MkrConfiguration{}, 0).ok);
    ASSERT_TRUE(saveMkpFile(mkp, MkpConfiguration{}).ok);
    for (const std::string &file : {mkr, mkp}) {
        const std::string whole = TempFolder::read(file);
        TempFolder::write(file,
                          whole.substr(0, whole.size() - 4));  // "Count=0" loses its last digit and line end
    }
    MkrConfiguration config;
    ConfigFileResult r = loadMkrFile(mkr, 0, config);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].name, file_messages::kCutOff);
    MkpConfiguration wedge;
    r = loadMkpFile(mkp, wedge);
    EXPECT_FALSE(r.ok);
    ASSERT_FALSE(r.messages.empty());
    EXPECT_EQ(r.messages[0].name, file_messages::kCutOff);

    IniFile both = savedMkr();
    EXPECT_FALSE(mixesKinds(both));
    both.writeString("Ende", "Count", "0");
    EXPECT_TRUE(mixesKinds(both));
    EXPECT_EQ(kindOfContent(both), ConfigFileKind::None);
}
