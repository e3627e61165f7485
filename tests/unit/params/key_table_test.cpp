#include "params/key_table.h"
#include "params/key_table_file.h"

#include <gtest/gtest.h>

#include <set>

namespace orvex::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(KeyMap, FortyEightDistinctKeys) {
    std::set<std::uint8_t> usages, scans;
    for (const auto &k : keyMap()) {
        usages.insert(k.usage);
        scans.insert(k.scan);
    }
    EXPECT_EQ(usages.size(), 48u);
    EXPECT_EQ(scans.size(), 48u);
    EXPECT_EQ(scanCodeForUsage(0x04), 0x1E);          // a
    EXPECT_EQ(scanCodeForUsage(0x64), 0x56);          // non-US backslash
    EXPECT_EQ(scanCodeForUsage(0x31), std::nullopt);  // backslash is not used
    EXPECT_EQ(usageForScanCode(0x15), 0x1C);
    EXPECT_EQ(usageForScanCode(0x39), 0);  // space bar is not in the map
}

TEST(KeyTable, ReaderAnswersFillSlots) {
    struct Case {
        const char *name;
        std::uint8_t ch;
        Bytes answer;
        bool stored;
        std::uint8_t scan;
        std::uint8_t KeyEntry::*slot;
    };
    const Case cases[] = {
        {"right Shift counts as Shift", 'A', {0, 0, 0x20, 0x04}, true, 0x1E, &KeyEntry::shift},
        {"left Shift", 'Q', {0, 0, 0x02, 0x14}, true, 0x10, &KeyEntry::shift},
        {"AltGr", '@', {0, 0, 0x40, 0x14}, true, 0x10, &KeyEntry::altGr},
        {"no modifier", 'q', {0, 0, 0x00, 0x14, 0x99}, true, 0x10, &KeyEntry::normal},
        {"not on the keyboard", 'x', {0, 0, 0xFF, 0xFF}, false, 0, nullptr},
        {"usage without a key", 'x', {0, 0, 0x00, 0x31}, false, 0, nullptr},
        {"usage above the map", 'x', {0, 0, 0x00, 0xE0}, false, 0, nullptr},
        {"short answer", 'x', {0, 0, 0x00}, false, 0, nullptr},
    };
    for (const auto &c : cases) {
        KeyTable table;
        EXPECT_EQ(applyKeyQueryAnswer(table, c.ch, c.answer), c.stored) << c.name;
        if (c.stored)
            EXPECT_EQ(table.keys[c.scan].*c.slot, c.ch) << c.name;
        else
            EXPECT_EQ(table, KeyTable{}) << c.name;
    }
}

TEST(KeyTable, HostTableAndKeyCodes) {
    const KeyTable host = hostKeyTable();
    // German layout: z on scan 0x15, @ with AltGr on q, # on the non-US key.
    EXPECT_EQ(host.keys[0x15].normal, 'z');
    EXPECT_EQ(host.keys[0x15].shift, 'Z');
    EXPECT_EQ(host.keys[0x10].altGr, '@');
    EXPECT_EQ(host.keys[0x2B].normal, '#');
    EXPECT_EQ(keyCodeForChar(host, 'Z'), 0x021C);
    EXPECT_EQ(keyCodeForChar(host, '@'), 0x4014);
    EXPECT_EQ(keyCodeForChar(host, 'a'), 0x0004);
    EXPECT_EQ(countLayoutDifferences(host, host), 0);

    // A character held only outside the map has key code 0 (plus its modifier).
    KeyTable outside;
    outside.keys[0x39].normal = '!';
    EXPECT_EQ(keyCodeForChar(outside, '!'), 0);
    EXPECT_EQ(keyCodeForChar(outside, '"'), 0);
}

TEST(KeyTable, DifferencesCountOnlyMappedKeys) {
    KeyTable a, b;
    a.keys[0x39].normal = '!';  // outside the map: not counted
    a.keys[0x15].normal = 'y';
    b.keys[0x15].normal = 'z';
    b.keys[0x15].shift = 'Z';
    std::vector<std::string> debug;
    EXPECT_EQ(countLayoutDifferences(a, b, &debug), 2);
    EXPECT_EQ(debug, (std::vector<std::string>{"N021(y z) ", "S021( Z) "}));
}

TEST(KeyTable, WritesOnlyWhatDiffersThenEscape) {
    const KeyTable host = hostKeyTable();
    using Write = std::array<std::uint8_t, 3>;
    EXPECT_EQ(keyTableWrites(host, host), (std::vector<Write>{{0x1B, 0x00, 0x29}}));

    // The reader has "!" only on a key outside the map: key code 0 there.
    KeyTable reader = host;
    reader.keys[0x02].shift = 0;
    reader.keys[0x39].normal = '!';
    KeyTable page = reader;
    page.keys[0x39].normal = 0;
    page.keys[0x15] = {'y', 'Y', 0};  // page: US y/z swapped
    page.keys[0x2C] = {'z', 'Z', 0};
    EXPECT_EQ(
        keyTableWrites(reader, page),
        (std::vector<Write>{
            {'Y', 0x02, 0x1C}, {'Z', 0x02, 0x1D}, {'y', 0x00, 0x1C}, {'z', 0x00, 0x1D}, {0x1B, 0x00, 0x29}}));
    // A character the page holds only outside the map goes out as 00 00.
    EXPECT_EQ(keyTableWrites(host, reader).front(), (Write{'!', 0x00, 0x00}));
}

TEST(KeyTableFile, RoundTripAndMissingSection) {
    KeyTable table = hostKeyTable();
    table.keys[0].normal = '=';  // characters the INI syntax uses
    table.keys[1].shift = ';';
    table.keys[2].altGr = '[';
    IniFile file;
    saveKeyTable(table, file);
    EXPECT_EQ(file.getString("HID_KEYS", "ScanCode030Normal"), "a");
    EXPECT_EQ(file.getString("HID_KEYS", "ScanCode030AltGr"), "");
    EXPECT_EQ(file.sections().back().keys.size(), 384u);

    IniFile reread;
    ASSERT_TRUE(reread.parseText(file.serialize()));
    KeyTable back;
    ASSERT_TRUE(loadKeyTable(reread, back));
    EXPECT_EQ(back, table);

    KeyTable unchanged = table;
    IniFile other;
    ASSERT_TRUE(other.parseText("[Data]\nBetriebsart=0\n"));
    EXPECT_FALSE(loadKeyTable(other, unchanged));
    EXPECT_EQ(unchanged, table);

    // Characters no reader table holds read as none; missing keys too.
    ASSERT_TRUE(other.parseText("[HID_KEYS]\nScanCode030Normal=\xE4\nScanCode031Shift=BC\n"));
    ASSERT_TRUE(loadKeyTable(other, unchanged));
    EXPECT_EQ(unchanged.keys[30].normal, 0);
    EXPECT_EQ(unchanged.keys[31].shift, 'B');
    EXPECT_EQ(unchanged.keys[0x15].normal, 0);
}

}  // namespace
}  // namespace orvex::app
