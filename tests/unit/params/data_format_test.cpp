#include "params/data_format.h"
#include "params/data_format_file.h"

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes imageOf(const DataFormatRecord &r) {
    const auto image = encodeDataFormat(r);
    return {image.begin(), image.end()};
}

TEST(DataFormat, SelectionLayoutsReachWireBytes2To5) {
    struct Case {
        const char *name;
        Bytes selection;
        Bytes expected;  // five selection entries
    };
    const std::uint8_t blocks[] = {7, 9};
    const Case cases[] = {
        {"blocks 7 and 9", blockSelection(blocks), {0x07, 0x09, 0xFF, 0xFF, 0xFF}},
        {"sequence 300/16", sequenceSelection(300, 16), {0x2C, 0x01, 0x10, 0xFF, 0xFF}},
        {"application 12AB, file 5", applicationSelection(0x12AB, 5), {0xAB, 0x12, 0x00, 0x05, 0xFF}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.selection, c.expected) << c.name;
        DataFormatRecord r;
        r.selection = c.selection;
        const Bytes image = imageOf(r);
        EXPECT_EQ(Bytes(image.begin() + 2, image.begin() + 6),
                  Bytes(c.expected.begin(), c.expected.begin() + 4))
            << c.name;
    }
}

TEST(DataFormat, ImageLayoutAndRoundTrip) {
    DataFormatRecord r;
    r.active = 1;
    r.typeCode = kMifareBlocks;
    r.rotation = kReverseBytes | kLeftAlign;  // 5
    r.selection = {3, 4, 0xFF, 0xFF, 0xFF};
    r.representation = kAsciiNoNul;
    r.charCount = 32;
    r.usedBytesTo = 16;
    r.usedBytesFrom = 2;
    r.typeIdBefore = 0xE4;  // Windows-1252 "ä"
    r.typeIdAfter = '#';
    r.desfireMode = 3;
    const Bytes image = imageOf(r);
    EXPECT_EQ(image, (Bytes{0, 0xA3, 3, 4, 0xFF, 0xFF, 0xFF, 5, 32, 0, 0, 16, 2, 0xE4, '#', 3}));

    DataFormatRecord back;
    EXPECT_EQ(parseDataFormat(image, back), ParseResult::Complete);
    EXPECT_EQ(back, r);

    // Every rotation survives, whatever the type code.
    for (std::uint8_t rotation = 0; rotation < 8; ++rotation) {
        r.rotation = rotation;
        parseDataFormat(imageOf(r), back);
        EXPECT_EQ(back.rotation, rotation);
        EXPECT_EQ(back.typeCode, kMifareBlocks);
    }
}

TEST(DataFormat, ParseLeavesKeysAndRejectsShortReplies) {
    DataFormatRecord r;
    r.mifareKey = "A0A1A2A3A4A5";
    r.isoRequestFlags = 1;
    r.charCount = 77;
    EXPECT_EQ(parseDataFormat(Bytes(8, 0x11), r), ParseResult::TooShort);
    EXPECT_EQ(r.charCount, 77);  // unchanged
    EXPECT_EQ(r.active, 0);

    // A 12-byte block of a reader without used-bytes range: the rest defaults.
    r.usedBytesFrom = 9;
    r.typeIdBefore = 'x';
    EXPECT_EQ(parseDataFormat(Bytes{0, 0x01, 1, 2, 0xFF, 0xFF, 0xFF, 0, 8, 0, 0, 12}, r),
              ParseResult::Partial);
    EXPECT_EQ(r.active, 1);
    EXPECT_EQ(r.typeCode, kIso15693Blocks);
    EXPECT_EQ(r.usedBytesTo, 12);
    EXPECT_EQ(r.usedBytesFrom, 1);
    EXPECT_EQ(r.typeIdBefore, 0);
    EXPECT_EQ(r.mifareKey, "A0A1A2A3A4A5");
    EXPECT_EQ(r.isoRequestFlags, 1);
}

TEST(DataFormat, BlockLengthFollowsCapabilities) {
    DataFormatRecord set1;
    set1.active = 1;
    DataFormatRecord set2;
    struct Case {
        CapabilityFlags flags;
        bool set2Active;
        std::size_t length;
    };
    const Case cases[] = {
        {0, false, 12},
        {CAP_USED_BYTES, true, 13},
        {CAP_TWO_DATA_BLOCKS, false, 16},
        {CAP_TWO_DATA_BLOCKS | CAP_USED_BYTES, true, 40},
    };
    for (const auto &c : cases) {
        set2.active = c.set2Active;
        EXPECT_EQ(buildDataFormatBlock(set1, set2, c.flags).size(), c.length) << c.flags;
    }

    set2.active = 1;
    set2.typeCode = kMifareUid;
    const Bytes block = buildDataFormatBlock(set1, set2, CAP_TWO_DATA_BLOCKS);
    EXPECT_EQ(Bytes(block.begin() + 16, block.begin() + 20), Bytes(4, 0));
    EXPECT_EQ(Bytes(block.begin() + 36, block.end()), Bytes(4, 0));

    DataFormatRecord read1, read2;
    EXPECT_EQ(parseDataFormatBlock(block, read1, read2), 2);
    EXPECT_EQ(read2.active, 1);
    EXPECT_EQ(read2.typeCode, kMifareUid);
    EXPECT_EQ(parseDataFormatBlock(Bytes(block.begin(), block.begin() + 39), read1, read2), 1);
    EXPECT_EQ(parseDataFormatBlock(Bytes(5, 0), read1, read2), 0);
}

TEST(DataFormat, TransponderKeyData) {
    using Status = TransponderKeyData::Status;
    struct Case {
        const char *name;
        std::uint8_t type;
        const char *mifareKey;
        const char *desfireKey;
        std::uint8_t desfireKeyType;
        std::uint8_t desfireKeyNumber;
        Status status;
        Bytes data;
    };
    Bytes desfireAbc(17, 0);
    desfireAbc[0] = 0x23;
    desfireAbc[1] = 0xAB;
    desfireAbc[2] = 0xC0;
    const Case cases[] = {
        {"MIFARE key A, 12 digits",
         kMifareBlocks,
         "a0A1a2A3a4A5",
         "",
         1,
         0,
         Status::Send,
         {0, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5}},
        {"MIFARE sequence",
         kMifareSequence,
         "FFFFFFFFFFFF",
         "",
         1,
         0,
         Status::Send,
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"MIFARE key of 11 digits is not sent",
         kMifareBlocks,
         "A0A1A2A3A4A",
         "",
         1,
         0,
         Status::NothingToSend,
         {}},
        {"MIFARE key with a non-hex digit", kMifareBlocks, "A0A1A2A3A4AG", "", 1, 0, Status::NotHex, {}},
        {"MIFARE UID has no key", kMifareUid, "A0A1A2A3A4A5", "", 1, 0, Status::NothingToSend, {}},
        {"DESFire three digits, AES, key 2", kDesfireFile, "", "ABC", 3, 2, Status::Send, desfireAbc},
        {"DESFire key type above 3 is AES", kDesfireUid, "", "ABC", 20, 2, Status::Send, desfireAbc},
        {"DESFire key number keeps 4 bits", kDesfireUid, "", "ABC", 3, 0x12, Status::Send, desfireAbc},
        {"DESFire empty key", kDesfireFile, "", "", 3, 2, Status::NothingToSend, {}},
        {"DESFire non-hex", kDesfireFile, "", "AB\xC3\xA4", 3, 2, Status::NotHex, {}},
    };
    for (const auto &c : cases) {
        DataFormatRecord r;
        r.keyActive = 1;
        r.typeCode = c.type;
        r.mifareKey = c.mifareKey;
        r.desfireKey = c.desfireKey;
        r.desfireKeyType = c.desfireKeyType;
        r.desfireKeyNumber = c.desfireKeyNumber;
        const auto key = buildTransponderKeyData(r);
        EXPECT_EQ(key.status, c.status) << c.name;
        EXPECT_EQ(key.data, c.data) << c.name;
        r.keyActive = 0;
        EXPECT_EQ(buildTransponderKeyData(r).status, Status::NothingToSend) << c.name;
    }
}

TEST(DataFormat, IsoOptionByte) {
    DataFormatRecord iso, mifare, defaults, sequence;
    iso.typeCode = kIso15693Blocks;
    iso.isoRequestFlags = 2;
    mifare.typeCode = kMifareBlocks;
    sequence.typeCode = kIso15693Sequence;
    EXPECT_EQ(isoOptionToWrite(iso, mifare), 2);
    // A reader without a second data set: set 2 holds the defaults, so 3 goes out.
    EXPECT_EQ(isoOptionToWrite(mifare, defaults), 3);
    EXPECT_EQ(isoOptionToWrite(sequence, mifare), std::nullopt);
}

// The .mkr keys of a data set.
class DataSetFileTest : public ::testing::Test {
protected:
    IniFile file;
};

TEST_F(DataSetFileTest, RoundTripAndKeyOrder) {
    DataFormatRecord r;
    r.active = 1;
    r.typeCode = kDesfireFile;
    r.selection = {0xAB, 0x12, 0x00, 0x05};  // a file holds the four registers
    r.representation = kHexLower;
    r.charCount = 200;
    r.usedBytesTo = 200;
    r.usedBytesFrom = 3;
    r.rotation = 6;
    r.typeIdBefore = 0xE4;
    r.keyActive = 1;
    r.mifareKeyType = 1;
    r.mifareKey = "A0A1A2A3A4A5";
    r.desfireMode = 2;
    r.desfireKeyType = 3;
    r.desfireKey = "00112233";
    r.desfireKeyNumber = 4;
    r.isoRequestFlags = 1;
    writeDataSetToFile(r, file, 2);
    EXPECT_EQ(readDataSetFromFile(file, 2), r);

    EXPECT_EQ(file.serialize(),
              "[Data]\r\nTransponderTyp2=7\r\nAktiv2=1\r\nDarstellung2=4\r\nZeichenAnzahl2="
              "200\r\nGueltigeBytes2=200\r\n"
              "GueltigeBytesAb2=3\r\nKennungLinks2=228\r\nKennungRechts2=0\r\nDrehen2=6\r\nRegister21=171\r\n"
              "Register22=18\r\nRegister23=0\r\nRegister24=5\r\n"
              "[Mifare]\r\nPasswortAktiv2=1\r\nKeyType2=1\r\nPasswort2=A0A1A2A3A4A5\r\n"
              "[Desfire]\r\nKeyNr2=4\r\nKey2=00112233\r\nMode2=2\r\nKeyType2=3\r\n"
              "[ISO]\r\nRequestFlag2=1\r\n");
}

TEST_F(DataSetFileTest, DefaultsAndClamping) {
    DataFormatRecord expected;
    expected.active = 1;
    expected.representation = kDecimal;
    expected.selection = {255, 255, 255, 255};
    EXPECT_EQ(readDataSetFromFile(file, 1), expected);

    struct Case {
        const char *text;
        int usedTo;
        int usedFrom;
    };
    const Case cases[] = {
        {"[Data]\nTransponderTyp=3\nGueltigeBytes=300\nGueltigeBytesAb=0\n", 16, 1},
        {"[Data]\nTransponderTyp=8\nGueltigeBytes=300\nGueltigeBytesAb=-4\n", 250, 1},
        {"[Data]\nTransponderTyp=8\nGueltigeBytes=260\nGueltigeBytesAb=249\n", 250, 249},
        {"[Data]\nDarstellung=2\n", 6, 1},  // default depends on the representation
        {"[Data]\nDarstellung=1\n", 5, 1},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(file.parseText(c.text));
        const auto r = readDataSetFromFile(file, 1);
        EXPECT_EQ(r.usedBytesTo, c.usedTo) << c.text;
        EXPECT_EQ(r.usedBytesFrom, c.usedFrom) << c.text;
    }
}

TEST_F(DataSetFileTest, KeyTextsAreWindows1252InTheFile) {
    DataFormatRecord r;
    r.mifareKey =
        "\xC3\xA4"
        "bc";  // "äbc" as typed
    writeDataSetToFile(r, file, 1);
    EXPECT_EQ(file.getString("Mifare", "Passwort"),
              "\xE4"
              "bc");
    EXPECT_EQ(readDataSetFromFile(file, 1).mifareKey, r.mifareKey);
}

}  // namespace
}  // namespace orvex::app
