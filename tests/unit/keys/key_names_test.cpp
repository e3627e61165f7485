#include "keys/key_names.h"

#include <gtest/gtest.h>

using namespace orvex::app;

TEST(KeyNames, CodeNames) {
    struct Case {
        uint8_t code;
        std::string name;
    } cases[] = {
        {0x00, "NUL"}, {0x0D, "CR (Enter)"}, {0x20, "SP"},       {0x41, "A"},    {0x7F, "DEL"},  {0x80, "F1"},
        {0x8B, "F12"}, {0x8C, "Shift+"},     {0x8F, "Wait 100"}, {0x90, "\x90"}, {0xFF, "\xFF"},
    };
    for (const Case &c : cases) EXPECT_EQ(codeName(c.code), c.name) << int(c.code);
}

TEST(KeyNames, InputList) {
    EXPECT_EQ(inputListText(0x27), "\xB4");
    EXPECT_EQ(inputListText(0x5C), "\\ ");
    EXPECT_EQ(inputListText(0x60), "'");
    EXPECT_EQ(inputListText(0x41), "A");
    EXPECT_EQ(inputListText(0x09), "HT (Tab)");
    EXPECT_EQ(inputListText(0x8F), "Wait 100");
    EXPECT_EQ(inputListText(0x90), "");
}

TEST(KeyNames, KeyNames) {
    struct Case {
        uint8_t vk;
        bool down;
        std::string name;
    } cases[] = {
        {0x10, true, "Shift"},  {0x10, false, "Shift - "}, {0x41, false, "A"}, {0x89, false, "Alt Gr - "},
        {0x89, true, "Alt Gr"}, {0x0D, false, "CR - "},    {0x26, true, "Up"}, {0x68, true, "NUMPAD8"},
        {0xBB, true, "PLUS"},   {0x6B, true, "ADD"},       {0x14, true, ""},   {0xDB, true, "\xDF"},
        {0x5A, true, "Z"},      {0x2E, false, "Delete"},
    };
    for (const Case &c : cases) EXPECT_EQ(keyName(c.vk, c.down), c.name) << std::hex << int(c.vk);
}

TEST(KeyNames, ScanCodeTranslation) {
    EXPECT_EQ(toSet2(0x1E), 0x1C);
    EXPECT_EQ(toSet2(0x38), 0x11);
    EXPECT_EQ(toSet2(0x36), 0x00);
    EXPECT_EQ(toSet2(0x59), 0x00);
    EXPECT_FALSE(toSet2(0x5A));
    EXPECT_EQ(fromSet2(0x11), 0x38);
    EXPECT_EQ(fromSet2(0x59), 0xFF);  // right Shift is not in the table
    EXPECT_EQ(fromSet2(0x00), 0x00);
    for (int scan = 0; scan < 0x5A; ++scan) {  // every code with a set-2 value comes back
        if (uint8_t s2 = *toSet2(static_cast<uint8_t>(scan)); s2 != 0) {
            EXPECT_EQ(fromSet2(s2), scan);
        }
    }
}

TEST(KeyNames, Normalisation) {
    EXPECT_EQ(normaliseVk(0x26, false), 0x68);
    EXPECT_EQ(normaliseVk(0x26, true), 0x26);
    EXPECT_EQ(normaliseVk(0x12, true), 0x89);
    EXPECT_EQ(normaliseVk(0x12, false), 0x12);
    EXPECT_EQ(normaliseVk(0xBD, true), 0x6F);
    EXPECT_EQ(normaliseVk(0x2E, false), 0x6E);
    EXPECT_EQ(normaliseVk(0x41, true), 0x41);
    EXPECT_TRUE(isExtended(0x89));
    EXPECT_FALSE(isExtended(0x12));
}
