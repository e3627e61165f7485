#include "base/ini_file.h"

#include "common/temp_folder.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using orvex::app::IniFile;
using orvex::app::ProfileFile;

namespace {

IniFile parsed(std::string_view text) {
    IniFile ini;
    ini.parseText(text);
    return ini;
}

}  // namespace

TEST(IniParse, LookupRules) {
    IniFile ini;
    ini.parseText(
        "top=0\r\n"
        "[Data]\r\n"
        "Darstellung  =   2 \r\n"
        "count=1\n"
        "COUNT=7\n"
        "\n\r\n"
        "; a comment = with equals\r\n"
        "lonely line\r\n"
        "Tabbed=x\t\t\r\n"
        "[data]\r\n"
        "Extra=1\r\n"
        "[Mifare]\r"
        "Passwort=\r\n");
    struct Case {
        const char *section, *key, *expect;
    } cases[] = {
        {"", "top", "0"},
        {"Data", "Darstellung", "2 "},  // blanks around "=" go, the value's trailing ones stay
        {"DATA", "darstellung", "2 "},  // names are matched without regard to case
        {"Data", "Count", "7"},         // the last of duplicate keys
        {"Data", "Tabbed", "x"},        // trailing tabs are cut
        {"Data", "lonely line", ""},    // a line without "=" is a key with an empty value
        {"Data", "Extra", "dflt"},      // lookups use the first of two same-named sections
        {"Mifare", "Passwort", ""},     // present but empty: not the default
        {"Missing", "Key", "dflt"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ini.getString(c.section, c.key, "dflt"), c.expect) << c.section << "/" << c.key;
    EXPECT_EQ(ini.sections().size(), 4u);
}

TEST(IniParse, IntegerValues) {
    IniFile ini = parsed("[S]\r\na=300\r\nb= -12x\r\nc=abc\r\nd=\r\ne=99999999999\r\nf=  \r\n");
    EXPECT_EQ(ini.getInt("S", "a", 5), 300);
    EXPECT_EQ(ini.getInt("S", "b", 5), -12);
    EXPECT_EQ(ini.getInt("S", "c", 5), 0);
    EXPECT_EQ(ini.getInt("S", "d", 5), 5);  // empty text: the default
    EXPECT_EQ(ini.getInt("S", "e", 5), 2147483647);
    EXPECT_EQ(ini.getInt("S", "f", 5), 5);  // value is empty once leading blanks go
    EXPECT_EQ(ini.getInt("S", "missing", -1), -1);
}

TEST(IniParse, CaseSensitiveWhenAsked) {
    IniFile ini = parsed("[Data]\r\nCount=3\r\n");
    ini.setIgnoreCase(false);
    EXPECT_EQ(ini.getInt("Data", "count", -1), -1);
    EXPECT_EQ(ini.getInt("Data", "Count", -1), 3);
}

TEST(IniWrite, ExactBytesAndOrder) {
    IniFile ini = parsed("; head comment\r\n[Prefix]\r\nCount=0\r\n[Unknown]\r\nkeep me\r\nX = 1\r\n");
    ini.writeInt("prefix", "count", 2);       // replaced in place, names as in the file
    ini.writeInt("Prefix", "Ascii0", 65);     // appended to its section
    ini.writeString("Data", "Passwort", "");  // a new section at the end
    ini.writeInt("Prefix", "Ascii1", 13);
    EXPECT_TRUE(ini.modified());
    EXPECT_EQ(ini.serialize(),
              "; head comment\r\n"
              "[Prefix]\r\nCount=2\r\nAscii0=65\r\nAscii1=13\r\n"
              "[Unknown]\r\nkeep me\r\nX=1\r\n"
              "[Data]\r\nPasswort=\r\n");
}

TEST(IniWrite, ModifiedOnlyOnChange) {
    IniFile ini = parsed("[S]\r\nk=Abc\r\n");
    ini.writeString("s", "K", "Abc");
    EXPECT_FALSE(ini.modified());
    ini.writeString("S", "k", "abc");  // a change of case is a change
    EXPECT_TRUE(ini.modified());
    EXPECT_EQ(ini.getString("S", "k"), "abc");
}

TEST(IniWrite, LineBreaksCannotSplitAnEntry) {
    IniFile ini;
    ini.writeString("S", "k", "a\r\n[Evil]\r\nb");
    ini.writeString("", "k", "v");  // no section: above the first header
    ini.writeString("", "", "v");
    IniFile back = parsed(ini.serialize());
    EXPECT_EQ(back.getString("S", "k"), "a[Evil]b");
    EXPECT_FALSE(back.hasSection("Evil"));
    EXPECT_EQ(back.getString("", "k"), "v");
    EXPECT_EQ(back.getString("", ""), "v");
}

TEST(IniWrite, EmptyNamedSectionKeepsItsOwnKeys) {
    IniFile ini = parsed("[A]\r\na=1\r\n[]\r\nb=2\r\n");
    EXPECT_EQ(parsed(ini.serialize()).getString("A", "b", "none"), "none");
}

class IniFileTest : public ::testing::Test {
protected:
    TempFolder dir;
};

TEST_F(IniFileTest, RoundTripKeepsUnknownContent) {
    const std::string file = dir.file("a.mkr");
    const std::string original = "[Prefix]\r\nCount=1\r\nAscii0=2\r\n;note\r\n[Vendor]\r\nfoo=\xE4\xF6\r\n";
    TempFolder::write(file, original);
    {
        ProfileFile ini(file);
        ASSERT_TRUE(ini.ok());
        ini.writeInt("Prefix", "Ascii0", 3);
    }
    EXPECT_EQ(TempFolder::read(file),
              "[Prefix]\r\nCount=1\r\nAscii0=3\r\n;note\r\n[Vendor]\r\nfoo=\xE4\xF6\r\n");
}

TEST_F(IniFileTest, OpenModes) {
    const std::string file = dir.file("new.ini");
    IniFile ini;
    EXPECT_FALSE(ini.open(file, true, false, true));  // missing, not created
    EXPECT_FALSE(ini.errorText().empty());
    EXPECT_FALSE(ini.open(dir.path().string(), false, true, true));  // a directory

    ASSERT_TRUE(ini.open(file, true, true, true));
    EXPECT_TRUE(ini.close());  // nothing written: no file appears
    EXPECT_FALSE(std::filesystem::exists(file));

    ASSERT_TRUE(ini.open(file, true, true, true));
    ini.writeInt("Settings", "Flag", 1);
    EXPECT_TRUE(ini.close());
    EXPECT_EQ(TempFolder::read(file), "[Settings]\r\nFlag=1\r\n");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    ASSERT_TRUE(ini.open(file, false, false, true));  // read-only: changes stay in memory
    ini.writeInt("Settings", "Flag", 2);
    EXPECT_TRUE(ini.close());
    EXPECT_EQ(TempFolder::read(file), "[Settings]\r\nFlag=1\r\n");
}

TEST_F(IniFileTest, SymlinkStaysALink) {
    const std::string real = dir.file("real.ini"), link = dir.file("link.ini");
    TempFolder::write(real, "[S]\r\na=1\r\n");
    std::filesystem::create_symlink(real, link);
    chmod(real.c_str(), 0640);
    {
        ProfileFile ini(link);
        ini.writeInt("S", "a", 2);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempFolder::read(real), "[S]\r\na=2\r\n");
    struct stat st {};
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // permissions survive the replacement
}

// A full disk in the middle of the rewrite: the file size limit makes write()
// fail the way ENOSPC would. The old file must stay complete and no temporary
// file may be left behind.
TEST_F(IniFileTest, FailedRewriteLeavesOldFileIntact) {
    const std::string file = dir.file("full.mkr");
    const std::string original = "[Prefix]\r\nCount=0\r\n";
    TempFolder::write(file, original);

    IniFile ini;
    ASSERT_TRUE(ini.open(file, true, false, true));
    for (int i = 0; i < 200; ++i) ini.writeInt("HID_KEYS", "ScanCode" + std::to_string(i), i);

    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool flushed = ini.flush();
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(flushed);
    EXPECT_FALSE(ini.errorText().empty());
    EXPECT_TRUE(ini.modified());  // still owed to the disk
    EXPECT_EQ(TempFolder::read(file), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    EXPECT_TRUE(ini.close());  // with room again the same content lands
    IniFile back;
    back.open(file, false, false, true);
    EXPECT_EQ(back.getInt("HID_KEYS", "ScanCode199", -1), 199);
}

TEST_F(IniFileTest, TargetReplacedByAFolderFailsCleanly) {
    const std::string file = dir.file("gone.ini");
    IniFile ini;
    ASSERT_TRUE(ini.open(file, true, true, true));
    ini.writeInt("S", "a", 1);
    std::filesystem::create_directory(file);  // rename over a directory must fail
    EXPECT_FALSE(ini.flush());
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
