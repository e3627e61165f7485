#include "app/string_file.h"
#include "app/string_table.h"
#include "app/strings_de.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orvex::app {
namespace {

const std::string kEnglishFile = std::string(ORVEX_SOURCE_DIR) + "/resources/OrvexReaderSetupEng.ini";

class StringTableTest : public ::testing::Test {
protected:
    void TearDown() override { StringTable::instance().useGerman(); }

    static std::string writeTemp(const std::string &name, const std::string &content) {
        const auto path = std::filesystem::temp_directory_path() / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
};

TEST_F(StringTableTest, GermanIsBuiltInAndExact) {
    auto &table = StringTable::instance();
    EXPECT_EQ(table.language(), Language::German);
    EXPECT_EQ(table.text(509), "Programmierung erfolgreich abgeschlossen");
    EXPECT_EQ(table.text(510),
              "Es ist ein Fehler bei der Programmierung aufgetreten.\r\nBitte wiederholen Sie den Vorgang");
    EXPECT_EQ(table.text(503),
              "Schlie\xC3\x9F"
              "en");
    EXPECT_EQ(table.text(568), " ");
    EXPECT_EQ(table.text("report.readError"), "Lesefehler : %02XHex");
    // Missing entries are visible, never empty.
    EXPECT_EQ(table.text(4711), "#4711");
    EXPECT_EQ(table.text("no.such.entry"), "#no.such.entry");
}

TEST_F(StringTableTest, EnglishLoadsAndGermanReturns) {
    auto &table = StringTable::instance();
    const std::string &german = table.text(509);
    ASSERT_TRUE(table.loadEnglish(kEnglishFile));
    EXPECT_EQ(table.language(), Language::English);
    EXPECT_EQ(table.text(509), "Programming completed successfully");
    EXPECT_EQ(table.text(511), "Connecting to %s ... ");  // quoted value keeps its trailing space
    EXPECT_EQ(table.text(510), "An error occurred during programming.\r\nPlease repeat the operation");
    EXPECT_EQ(table.text("report.close"), "Close");
    // Reloading keeps references handed out before valid.
    ASSERT_TRUE(table.loadEnglish(kEnglishFile));
    table.useGerman();
    EXPECT_EQ(table.text(509), "Programmierung erfolgreich abgeschlossen");
    EXPECT_EQ(german, "Programmierung erfolgreich abgeschlossen");
}

TEST_F(StringTableTest, MissingOrEmptyFileKeepsGerman) {
    auto &table = StringTable::instance();
    EXPECT_FALSE(table.loadEnglish("/nonexistent/OrvexReaderSetupEng.ini"));
    EXPECT_FALSE(table.loadEnglish(writeTemp("orvex_strings_empty.ini", "; nothing\n[Strings]\n")));
    EXPECT_EQ(table.language(), Language::German);
    EXPECT_EQ(
        table.text(545),
        "Die Sprachinformationen konnten nicht geladen werden!\r\nStandardsprache Deutsch wird geladen!");
}

TEST_F(StringTableTest, DefaultPathHonoursEnvironmentOverride) {
    ::setenv("ORVEX_ENGLISH_STRINGS", "/nonexistent/eng.ini", 1);
    EXPECT_FALSE(StringTable::instance().loadEnglish());
    ::setenv("ORVEX_ENGLISH_STRINGS", kEnglishFile.c_str(), 1);
    EXPECT_TRUE(StringTable::instance().loadEnglish());
    ::unsetenv("ORVEX_ENGLISH_STRINGS");
    // Without the override the build tree finds the source tree's file.
    EXPECT_TRUE(std::filesystem::exists(StringTable::defaultEnglishPath()));
}

TEST_F(StringTableTest, TranslationWithOtherPlaceholdersIsDropped) {
    auto &table = StringTable::instance();
    ASSERT_TRUE(table.loadEnglish(
        writeTemp("orvex_strings_bad.ini",
                  "[Strings]\r\n588=Baud %s wrong\r\n509=Done\r\n61714=Between %2 and %1\r\n")));
    EXPECT_EQ(table.text(509), "Done");
    EXPECT_EQ(table.format(588, 2400),
              "Achtung!\r\nAuf dieses Ger\xC3\xA4t kann nur mit Baudrate 2400 zugegriffen "
              "werden!\r\nEinstellung wurde korrigiert!");
    EXPECT_EQ(table.format(61714, 10, 2500), "Between 2500 and 10");
}

// Every German entry has an English translation expecting the same arguments.
TEST_F(StringTableTest, EnglishFileCoversEveryEntry) {
    std::ifstream in(kEnglishFile, std::ios::binary);
    ASSERT_TRUE(in);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    StringTable::Table english;
    parseStringFile(content, english);
    for (const auto &entry : germanNumberedTexts()) {
        const auto it = english.numbered.find(entry.id);
        ASSERT_NE(it, english.numbered.end()) << entry.id;
        EXPECT_EQ(formatSignature(it->second), formatSignature(entry.text)) << entry.id;
    }
    for (const auto &entry : germanNamedTexts()) {
        const auto it = english.named.find(entry.name);
        ASSERT_NE(it, english.named.end()) << entry.name;
        EXPECT_EQ(formatSignature(it->second), formatSignature(entry.text)) << entry.name;
    }
}

TEST(StringFile, ParsesEscapesQuotesAndSections) {
    StringTable::Table t;
    const auto n = parseStringFile(
        "\xEF\xBB\xBF; comment\r\n[Other]\r\n1=x\r\n[Strings]\r\n 7 = a\\r\\nb\\\\\r\n"
        "8=\" padded \"\r\nbad=1\r\n9\r\n[Named]\r\nk.v=q\\\"\\t\n",
        t);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(t.numbered.at(7), " a\r\nb\\");
    EXPECT_EQ(t.numbered.at(8), " padded ");
    EXPECT_EQ(t.named.at("k.v"), "q\"\t");
    EXPECT_FALSE(t.numbered.contains(1));
    EXPECT_EQ(escapeStringValue(" a\r\n"), "\" a\\r\\n\"");
}

TEST(TextFormat, ConversionsAsTheMessagesUseThem) {
    struct Case {
        std::string format;
        std::string expected;
        std::initializer_list<FormatArg> args;
    };
    // Formatting must not follow a German C locale (decimal comma).
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    const Case cases[] = {
        {"Lesefehler : %02XHex", "Lesefehler : 0BHex", {11}},
        {"%02X", "FFFFFFFF", {-1}},
        {"%.1f ms", "2.5 ms", {2.5}},
        {"SDK Version %.02f", "SDK Version 2.23", {2.23}},
        {"%06X|%03d|%-4d|%+d", "0012AB|007|5   |+3", {0x12AB, 7, 5, 3}},
        {"[%c][%c][%c]", "[A][\xC3\xA4][]", {'A', static_cast<char>(0xE4), 0}},
        {"<%s> <%5s> <%.2s>", "<abc> <   ab> <ab>", {"abc", "ab", "abc"}},
        {"zwischen %1 und %2", "zwischen 10 und 2500", {10, 2500}},
        {"%d%% %I64d %lu", "5% 7 8", {5, 7, 8u}},
        {"%s and %d", "12 and ", {12}},  // missing argument: nothing
        {"%d", "42", {"42"}},            // text for a number
        {"100%", "100%", {}},
        {"%999999999d", std::string(1023, ' ') + "1", {1}},  // width capped
    };
    for (const auto &c : cases) EXPECT_EQ(formatText(c.format, c.args), c.expected) << c.format;
    std::setlocale(LC_ALL, "C");
}

TEST(TextFormat, SignatureComparesKindsNotSpelling) {
    EXPECT_EQ(formatSignature("%02X and %d"), formatSignature("%u or %x"));
    EXPECT_NE(formatSignature("%d"), formatSignature("%s"));
    EXPECT_EQ(formatSignature("%1 und %2"), formatSignature("%2 and %1"));
    EXPECT_EQ(formatSignature("100%% sure"), "");
}

}  // namespace
}  // namespace orvex::app
