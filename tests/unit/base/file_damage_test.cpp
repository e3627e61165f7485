// What a full disk, a cut-off file, an editor's byte order mark and a file
// far too large do to the INI file object and the file replacement.
#include "base/atomic_file.h"
#include "base/ini_file.h"

#include "common/small_disk.h"
#include "common/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

using orvex::app::IniFile;
using orvex::app::writeFileAtomically;

namespace {

ino_t inodeOf(const std::string &path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_ino;
}

}  // namespace

// A hard-linked file is rewritten in place; a full disk must leave it whole
// with its old content (it was cut to the pages the disk still had).
TEST(FileDamage, HardLinkedFileKeepsItsContentOnAFullDisk) {
    SmallDisk disk(64);
    if (!disk.available()) GTEST_SKIP() << "needs root for a tmpfs of its own";
    const std::string name = disk.file("site.mkr"), other = disk.file("copy.mkr");
    const std::string old = "[Prefix]\r\nCount=0\r\n";
    TempFolder::write(name, old);
    ASSERT_EQ(link(name.c_str(), other.c_str()), 0);
    const std::string grown(3 * SmallDisk::kPage, 'v');

    // No page free: nothing can be staged. Two free: the copy beside fits,
    // the file's growth does not.
    for (std::size_t freePages : {0u, 2u}) {
        disk.fill(freePages);
        std::string error;
        EXPECT_FALSE(writeFileAtomically(other, grown, error)) << freePages;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(TempFolder::read(name), old) << freePages << " free pages";
        EXPECT_EQ(TempFolder::read(other), old) << freePages << " free pages";
        disk.release();
    }
    std::string error;
    ASSERT_TRUE(writeFileAtomically(other, grown, error)) << error;
    EXPECT_EQ(TempFolder::read(name), grown);
    EXPECT_EQ(inodeOf(name), inodeOf(other));
    // Shrinking cuts the rest away; no temporary file is left beside.
    ASSERT_TRUE(writeFileAtomically(name, old, error)) << error;
    EXPECT_EQ(TempFolder::read(other), old);
    int entries = 0;
    for (const auto &e : std::filesystem::directory_iterator(std::filesystem::path(name).parent_path()))
        entries += e.path().filename().string()[0] == '.' ? 0 : 1;
    EXPECT_EQ(entries, 2);
}

TEST(FileDamage, TextEndingInsideALineIsMarked) {
    struct Case {
        const char *text;
        bool cut;
    } cases[] = {
        {"[Prefix]\r\nCount=0\r\n", false}, {"[Prefix]\r\nCount=0\n", false},       {"", false},
        {"[Prefix]\r\nCou", true},          {"[Prefix]\r\nCount=0\r\n[Suff", true},
    };
    for (const Case &c : cases) {
        IniFile ini;
        ini.parseText(c.text);
        EXPECT_EQ(ini.endsMidLine(), c.cut) << c.text;
    }
}

TEST(FileDamage, ByteOrderMarkIsSkipped) {
    IniFile ini;
    ini.parseText("\xEF\xBB\xBF[Prefix]\r\nCount=2\r\n");
    EXPECT_TRUE(ini.hasSection("Prefix"));
    EXPECT_EQ(ini.getInt("Prefix", "Count", 0), 2);
    EXPECT_EQ(ini.serialize(), "[Prefix]\r\nCount=2\r\n");
}

TEST(FileDamage, FilesOverTheLimitAreRefusedBeforeReading) {
    TempFolder dir;
    const std::string big = dir.file("big.mkr");
    const std::string line = "Ascii0=65\r\n";
    std::string text = "[Prefix]\r\n";
    while (text.size() <= IniFile::kDefaultSizeLimit) text += line;
    TempFolder::write(big, text);

    IniFile ini;
    EXPECT_FALSE(ini.open(big, false, false, true));
    EXPECT_NE(ini.errorText().find("large"), std::string::npos) << ini.errorText();
    EXPECT_FALSE(ini.hasSection("Prefix"));
    // Writable opens too: a rewrite would have to read it first.
    EXPECT_FALSE(ini.open(big, true, true, true));
    // The settings file lifts the limit.
    ini.setSizeLimit(0);
    EXPECT_TRUE(ini.open(big, false, false, true));
    EXPECT_TRUE(ini.hasSection("Prefix"));
}
