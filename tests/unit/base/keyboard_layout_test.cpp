#include "base/keyboard_layout.h"

#include <gtest/gtest.h>

using namespace orvex::app;

TEST(GermanLayout, ScanCodesAndVirtualKeys) {
    const KeyboardLayout &de = hostKeyboardLayout();
    struct Case {
        uint8_t scan, vk;
    } cases[] = {
        {0x15, 'Z'},  {0x2C, 'Y'},                 // Z and Y swapped against US
        {0x1E, 'A'},  {0x0C, 0xDB}, {0x35, 0xBD},  // ß key, minus key
        {0x2A, 0x10}, {0x36, 0x10}, {0x1D, 0x11}, {0x38, 0x12},
        {0x48, 0x26}, {0x52, 0x2D}, {0x53, 0x2E},  // number pad gives navigation keys
        {0x56, 0xE2}, {0x3A, 0x14}, {0x58, 0x7B}, {0x00, 0x00},
        {0x55, 0x00}, {0x59, 0x00}, {0x5A, 0x00}, {0xFF, 0x00},
    };
    for (const Case &c : cases) EXPECT_EQ(de.scanToVk(c.scan), c.vk) << std::hex << int(c.scan);
    EXPECT_EQ(de.vkToScan(0x10), 0x2A);  // left Shift is the one found
    EXPECT_EQ(de.vkToScan(0x67), 0x47);  // number pad 7
    EXPECT_EQ(de.vkToScan(0x89), 0x00);
}

TEST(GermanLayout, CharactersOfVirtualKeys) {
    const KeyboardLayout &de = hostKeyboardLayout();
    struct Case {
        uint8_t vk, ch;
    } cases[] = {
        {'A', 'A'},  {'Z', 'Z'},  {'1', '1'},  {0xBB, '+'}, {0xDB, 0xDF}, {0xDD, 0xB4}, {0xDC, '^'},
        {0xE2, '<'}, {0x6E, ','}, {0x20, ' '}, {0x14, 0},   {0x10, 0},    {0x89, 0},
    };
    for (const Case &c : cases) EXPECT_EQ(de.vkToChar(c.vk), c.ch) << std::hex << int(c.vk);
}

TEST(GermanLayout, KeysOfCharacters) {
    const KeyboardLayout &de = hostKeyboardLayout();
    struct Case {
        uint8_t ch, scan, state;
    } cases[] = {
        {'y', 0x2C, 0},         {'Z', 0x15, kShiftBit},           {'@', 0x10, kCtrlBit | kAltBit},
        {'*', 0x1B, kShiftBit}, {'|', 0x56, kCtrlBit | kAltBit},  {'\\', 0x0C, kCtrlBit | kAltBit},
        {'/', 0x08, kShiftBit}, {0x80, 0x12, kCtrlBit | kAltBit}, {'-', 0x35, 0},
    };
    for (const Case &c : cases) {
        auto key = de.charToKey(c.ch);
        ASSERT_TRUE(key) << c.ch;
        EXPECT_EQ(key->scan, c.scan) << c.ch;
        EXPECT_EQ(key->shiftState, c.state) << c.ch;
    }
    EXPECT_FALSE(de.charToKey(0));
    EXPECT_FALSE(de.charToKey(0xA4));  // ¤ has no key
    // Every printable ASCII character can be typed on a German keyboard.
    for (int ch = 0x21; ch <= 0x7E; ++ch) EXPECT_TRUE(de.charToKey(static_cast<uint8_t>(ch))) << char(ch);
}
