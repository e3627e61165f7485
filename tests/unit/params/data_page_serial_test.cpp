#include "params/data_page_serial.h"

#include <functional>

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

constexpr CapabilityFlags kAll = CAP_MIFARE | CAP_ICODE1 | CAP_DESFIRE | CAP_EXTENDED | CAP_USED_BYTES |
                                 CAP_BLOCK_SEQUENCE | CAP_TWO_DATA_BLOCKS;

DataPageSerial makePage(CapabilityFlags caps = kAll, unsigned versionDigit = 30) {
    return DataPageSerial(DataPageSerialSwitches::fromCapabilities(caps, versionDigit, true));
}

struct ValidationCase {
    const char *name;
    CapabilityFlags caps;
    std::function<void(DataPageSerial &)> edit;
    int message;  // 0: valid
    const char *field;
    int selectPosition;
    std::vector<std::string> args;
};

void select(DataPageSerial &p, Family f, int selection) {
    p.clickFamily(f, true);
    p.clickSelection(selection);
}

TEST(DataPageSerialValidation, FirstFailureInOrderWithFocusTarget) {
    const std::vector<ValidationCase> cases = {
        {"defaults are valid", kAll, [](auto &) {}, 0, "", 0, {}},
        {"char count not a number",
         kAll,
         [](auto &p) { p.values().charCount = "1x"; },
         61712,
         "charCount",
         0,
         {}},
        {"char count 33 without DESFire",
         kAll,
         [](auto &p) { p.values().charCount = "33"; },
         61714,
         "charCount",
         0,
         {"1", "32"}},
        {"DESFire long output allows 250",
         kAll,
         [](auto &p) {
             select(p, Family::Desfire, 0);
             p.values().charCount = "250";
         },
         0,
         "",
         0,
         {}},
        {"DESFire long output refuses 251",
         kAll,
         [](auto &p) {
             select(p, Family::Desfire, 0);
             p.values().charCount = "251";
         },
         61714,
         "charCount",
         0,
         {"1", "250"}},
        {"DESFire short output refuses 65",
         kAll & ~CAP_EXTENDED,
         [](auto &p) {
             select(p, Family::Desfire, 0);
             p.values().charCount = "65";
         },
         61714,
         "charCount",
         0,
         {"1", "64"}},
        {"used bytes to 17",
         kAll,
         [](auto &p) { p.values().usedBytesTo = "17"; },
         61714,
         "usedBytesTo",
         0,
         {"1", "16"}},
        {"used bytes from 0",
         kAll,
         [](auto &p) { p.values().usedBytesFrom = "0"; },
         61714,
         "usedBytesFrom",
         0,
         {"1", "16"}},
        {"used bytes range not checked when hidden",
         CAP_TWO_DATA_BLOCKS,
         [](auto &p) { p.values().usedBytesTo = "99"; },
         0,
         "",
         0,
         {}},
        {"single blocks without a block",
         kAll,
         [](auto &p) { select(p, Family::Iso15693, 1); },
         586,
         "block1",
         0,
         {}},
        {"ISO block 256",
         kAll,
         [](auto &p) {
             select(p, Family::Iso15693, 1);
             p.values().blocks = {"1", "256", "", ""};
         },
         551,
         "block2",
         0,
         {}},
        {"MIFARE block 255 accepted",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 1);
             p.values().blocks = {"", "", "255", ""};
         },
         0,
         "",
         0,
         {}},
        {"I-Code1 block 16",
         kAll,
         [](auto &p) {
             select(p, Family::ICode1, 1);
             p.values().blocks = {"", "", "3", "16"};
         },
         551,
         "block4",
         0,
         {}},
        {"start block 255",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 2);
             p.values().startBlock = "255";
             p.values().length = "16";
         },
         608,
         "startBlock",
         0,
         {}},
        {"start block empty",
         kAll,
         [](auto &p) {
             select(p, Family::Iso15693, 2);
             p.values().length = "16";
         },
         608,
         "startBlock",
         0,
         {}},
        {"length 0",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 2);
             p.values().startBlock = "4";
             p.values().length = "0";
         },
         609,
         "length",
         0,
         {}},
        {"length 253",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 2);
             p.values().startBlock = "4";
             p.values().length = "253";
         },
         609,
         "length",
         0,
         {}},
        {"DESFire file without application",
         kAll,
         [](auto &p) {
             select(p, Family::Desfire, 1);
             p.values().fileId = "1";
         },
         597,
         "appId",
         0,
         {}},
        {"DESFire application not hex",
         kAll,
         [](auto &p) {
             select(p, Family::Desfire, 1);
             p.values().appId = "12G";
             p.values().fileId = "1";
         },
         597,
         "appId",
         0,
         {}},
        {"DESFire file ID 32",
         kAll,
         [](auto &p) {
             select(p, Family::Desfire, 1);
             p.values().appId = "12AB";
             p.values().fileId = "32";
         },
         598,
         "fileId",
         0,
         {}},
        {"MIFARE key of 11 characters",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 1);
             p.values().blocks[0] = "4";
             p.values().keyActive = true;
             p.values().mifareKey = "0123456789A";
         },
         562,
         "mifareKey",
         0,
         {}},
        {"MIFARE key of 11 characters, key off",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 1);
             p.values().blocks[0] = "4";
             p.values().mifareKey = "0123456789A";
         },
         0,
         "",
         0,
         {}},
        {"MIFARE key with a non-hex eleventh character",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 1);
             p.values().blocks[0] = "4";
             p.values().keyActive = true;
             p.values().mifareKey = "0123456789ZB";
         },
         552,
         "mifareKey",
         11,
         {}},
        {"MIFARE key not checked with UID",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 0);
             p.values().keyActive = true;
             p.values().mifareKey = "xyz";
         },
         0,
         "",
         0,
         {}},
        {"DESFire key checked with UID too",
         kAll,
         [](auto &p) {
             select(p, Family::Desfire, 0);
             p.values().keyActive = true;
             p.values().desfireKey = "12x4";
         },
         552,
         "desfireKey",
         3,
         {}},
        {"earlier check wins",
         kAll,
         [](auto &p) {
             select(p, Family::Mifare, 2);
             p.values().charCount = "40";
             p.values().startBlock = "999";
         },
         61714,
         "charCount",
         0,
         {"1", "32"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataPageSerial page = makePage(c.caps);
        c.edit(page);
        Validation v = page.validate();
        if (c.message == 0) {
            EXPECT_FALSE(v.has_value()) << v->messageId << " " << v->field;
            continue;
        }
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(v->messageId, c.message);
        EXPECT_EQ(v->field, c.field);
        EXPECT_EQ(v->selectPosition, c.selectPosition);
        EXPECT_EQ(v->args, c.args);
    }
}

TEST(DataPageSerialValidation, MessageTextGetsTheRange) {
    DataPageSerial page = makePage();
    page.values().charCount = "99";
    EXPECT_EQ(page.validate()->text(), "Geben Sie eine ganze Zahl zwischen 1 und 32 ein.");
}

struct RecordCase {
    const char *name;
    std::function<void(DataPageSerial &)> edit;
    int typeCode;
    std::vector<std::uint8_t> selection;
    std::function<void(const DataPageSerialValues &)> loadedBack;
};

TEST(DataPageSerialRecord, SelectionBytesAndLoadBack) {
    const std::vector<RecordCase> cases = {
        {"ISO blocks 7 and 9 in fields 2 and 4",
         [](auto &p) {
             select(p, Family::Iso15693, 1);
             p.values().blocks = {"", "7", "", "9"};
         },
         1,
         {0x07, 0x09, 0xFF, 0xFF, 0xFF},
         [](const auto &v) {
             EXPECT_EQ(v.blocks, (std::array<std::string, 4>{"7", "9", "", ""}));
         }},
        {"MIFARE sequence from 300, 16 bytes",
         [](auto &p) {
             select(p, Family::Mifare, 2);
             p.values().startBlock = "300";
             p.values().length = "16";
         },
         9,
         {0x2C, 0x01, 0x10, 0xFF, 0xFF},
         [](const auto &v) {
             EXPECT_EQ(v.startBlock, "300");
             EXPECT_EQ(v.length, "16");
             EXPECT_EQ(v.selection, 2);
         }},
        {"DESFire application 12AB, file 5",
         [](auto &p) {
             select(p, Family::Desfire, 1);
             p.values().appId = "12AB";
             p.values().fileId = "5";
         },
         7,
         {0xAB, 0x12, 0x00, 0x05, 0xFF},
         [](const auto &v) {
             EXPECT_EQ(v.appId, "0012AB");
             EXPECT_EQ(v.fileId, "5");
         }},
        {"I-Code1 UID",
         [](auto &p) { select(p, Family::ICode1, 0); },
         4,
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         [](const auto &v) {
             EXPECT_TRUE(v.families[2]);
             EXPECT_EQ(v.selection, 0);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataPageSerial page = makePage();
        c.edit(page);
        DataFormatRecord r;
        page.storeToRecord(r);
        EXPECT_EQ(r.active, 1);
        EXPECT_EQ(r.typeCode, c.typeCode);
        EXPECT_EQ(r.selection, c.selection);
        DataPageSerial back = makePage();
        back.loadFromRecord(r);
        c.loadedBack(back.values());
        DataFormatRecord again;
        back.storeToRecord(again);
        EXPECT_EQ(again, r);
    }
}

TEST(DataPageSerialRecord, FieldsFollowTheSwitches) {
    DataPageSerial page = makePage(CAP_MIFARE | CAP_TWO_DATA_BLOCKS);
    DataFormatRecord in;
    in.active = 1;
    in.typeCode = 3;
    in.selection = {4, 0xFF, 0xFF, 0xFF, 0xFF};
    in.usedBytesFrom = 3;
    in.rotation = 7;
    in.typeIdBefore = 0xE4;  // "ä" in Windows-1252
    page.loadFromRecord(in);
    EXPECT_EQ(page.values().typeIdBefore, "ä");
    DataFormatRecord out;
    page.storeToRecord(out);
    EXPECT_EQ(out.usedBytesFrom, 1) << "no CAP_USED_BYTES: always from byte 1";
    EXPECT_EQ(out.rotation, 0) << "reversal and alignment controls are hidden";
    EXPECT_EQ(out.typeIdBefore, 0xE4);

    DataPageSerial noTypeIds = makePage(CAP_MIFARE);
    noTypeIds.loadFromRecord(in);
    noTypeIds.storeToRecord(out);
    EXPECT_EQ(out.typeIdBefore, 0);
}

TEST(DataPageSerialFamilies, FirstPageKeepsAFamilySecondMayBeEmpty) {
    DataPageSerial first = makePage();
    first.clickFamily(Family::Iso15693, false);
    EXPECT_EQ(first.family(), Family::Mifare);
    first.clickFamily(Family::Mifare, false);
    EXPECT_EQ(first.family(), Family::Iso15693);

    DataPageSerial noMifare = makePage(CAP_TWO_DATA_BLOCKS);
    noMifare.clickFamily(Family::Iso15693, false);
    EXPECT_EQ(noMifare.family(), Family::Iso15693);

    first.clickFamily(Family::Mifare, true);
    DataPageSerial second(DataPageSerialSwitches::fromCapabilities(kAll, 30, false));
    second.setFirstPage(&first);
    second.clickFamily(Family::Iso15693, true);
    second.clickFamily(Family::Iso15693, false);
    EXPECT_EQ(second.family(), Family::None);
}

TEST(DataPageSerialFamilies, SecondPageFollowsTheFirst) {
    DataPageSerial first = makePage();
    first.clickFamily(Family::Mifare, true);
    DataPageSerial second(DataPageSerialSwitches::fromCapabilities(kAll, 30, false));
    second.setFirstPage(&first);
    second.clickFamily(Family::Mifare, true);
    EXPECT_EQ(second.family(), Family::None) << "the family of data set 1 is cleared on page 2";
    ViewState view = second.view();
    EXPECT_FALSE(view["famMifare"].enabled);
    EXPECT_FALSE(view["famMifare"].checked);
    EXPECT_TRUE(view["famIso"].enabled);

    second.clickFamily(Family::Iso15693, true);
    second.clickFamily(Family::Iso15693, false);
    EXPECT_FALSE(second.active());
    DataFormatRecord r;
    second.storeToRecord(r);
    EXPECT_EQ(r.active, 0);
}

TEST(DataPageSerialView, ControlsFollowFamilyAndSelection) {
    DataPageSerial page = makePage(kAll, 23);
    select(page, Family::Desfire, 1);
    ViewState v = page.view();
    EXPECT_EQ(v["selSingle"].caption, "File");
    EXPECT_FALSE(v["block1"].shown);
    EXPECT_TRUE(v["appId"].shown && v["appId"].enabled);
    EXPECT_FALSE(v["selSequence"].shown);
    EXPECT_EQ(v["keyActive"].caption, "DESFire® Key");
    EXPECT_EQ(v["infoBox"].caption, "File");
    EXPECT_EQ(v["info2"].caption, "Bereich App ID: 0 - FFFFFF");
    EXPECT_EQ(v["charCount"].maxLength, 3);

    select(page, Family::Mifare, 1);
    v = page.view();
    EXPECT_EQ(v["selSingle"].caption, "Einzelblöcke");
    EXPECT_TRUE(v["blockSelect"].shown && v["blockSelect"].enabled);
    EXPECT_TRUE(v["mifareKey"].shown);
    EXPECT_FALSE(v["mifareKey"].enabled) << "key controls need the key check box";
    EXPECT_EQ(v["info1"].caption, "Blockbereich MIFARE Ultralight®: 4 - 15");
    EXPECT_EQ(v["charCount"].maxLength, 2);

    select(page, Family::Mifare, 2);
    v = page.view();
    EXPECT_TRUE(v["startBlock"].shown);
    EXPECT_FALSE(v["block1"].shown);

    select(page, Family::ICode1, 2);
    EXPECT_EQ(page.values().selection, 1) << "no block sequence for I-Code1";
    v = page.view();
    EXPECT_FALSE(v["keyGroup"].shown);

    select(page, Family::Iso15693, 0);
    v = page.view();
    EXPECT_EQ(v["infoBox"].caption, "UID");
    EXPECT_EQ(v["info1"].caption, "Keine Blöcke");
    EXPECT_TRUE(v["highDataRate"].shown) << "ISO 15693 options with CAP_EXTENDED and digit 23";
    EXPECT_FALSE(makePage(kAll, 22).view()["highDataRate"].shown);
}

TEST(DataPageSerialSnapshot, ModifiedComparesCountBytesAndRepresentation) {
    DataPageSerial page = makePage();
    EXPECT_FALSE(page.isModified());
    page.values().representation = 2;
    EXPECT_TRUE(page.isModified());
    page.resetSnapshot();
    EXPECT_FALSE(page.isModified());
    page.values().charCount = "999";
    EXPECT_FALSE(page.isModified()) << "a page that does not validate counts as unmodified";
}

}  // namespace
}  // namespace orvex::app
