// Logic of the power-on, transmit power and MIFARE block dialogs that needs
// no reader.
#include <gtest/gtest.h>

#include "params/reader_option_models.h"

using namespace orvex::app;

TEST(BlockSelection, AbsoluteToSectorBlock) {
    struct Case {
        const char *absolute, *sector, *block;
    } cases[] = {{"", "", ""},       {"0", "0", "0"},     {"3", "0", "3"}, {"127", "31", "3"},
                 {"128", "32", "0"}, {"255", "39", "15"}, {"256", "", ""}, {"99999999999", "", ""}};
    for (const auto &c : cases) {
        const auto r = absoluteToSectorBlock(c.absolute);
        EXPECT_EQ(r.sector, c.sector) << c.absolute;
        EXPECT_EQ(r.block, c.block) << c.absolute;
    }
}

TEST(BlockSelection, SectorBlockToAbsolute) {
    struct Case {
        const char *sector, *block, *absolute;
    } cases[] = {{"0", "2", "2"},    {"0", "3", ""},      {"31", "2", "126"},
                 {"32", "0", "128"}, {"39", "14", "254"}, {"39", "15", ""},
                 {"40", "0", ""},    {"", "1", ""},       {"1", "", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(sectorBlockToAbsolute(c.sector, c.block), c.absolute) << c.sector << "/" << c.block;
}

TEST(TxPower, DecodeAndEncode) {
    const unsigned char fullAndHalf[] = {0x01, 0x02};
    EXPECT_EQ(decodeTxPower(fullAndHalf, 2), (TxPower{false, true}));
    const unsigned char three[] = {0x01, 0x01, 0x80};
    EXPECT_EQ(decodeTxPower(three, 3), (TxPower{true, false}));
    const unsigned char notValid[] = {0x00, 0x03, 0x00, 0x00};
    EXPECT_FALSE(decodeTxPower(notValid, 2));     // byte 0 bit 0 clear
    EXPECT_FALSE(decodeTxPower(fullAndHalf, 1));  // too short
    EXPECT_FALSE(decodeTxPower(three, 4));        // too long

    unsigned char out[3];
    encodeTxPower({true, false}, out);
    EXPECT_EQ(out[0], 0x03);
    EXPECT_EQ(out[1], 0x01);
    EXPECT_EQ(out[2], 0x80);
    encodeTxPower({false, true}, out);
    EXPECT_EQ(out[1], 0x02);
}

TEST(PowerOn, IndexAndValue) {
    const int indexOfValue[] = {0, 1, 2, 2};
    for (int v = 0; v < 4; ++v) EXPECT_EQ(powerOnIndexFromValue(v), indexOfValue[v]) << v;
    EXPECT_EQ(powerOnValueFromIndex(0), 0);
    EXPECT_EQ(powerOnValueFromIndex(1), 1);
    EXPECT_EQ(powerOnValueFromIndex(2), 3);
    EXPECT_EQ(powerOnValueFromIndex(-1), -1);
    EXPECT_EQ(powerOnValueFromIndex(3), -1);
}
