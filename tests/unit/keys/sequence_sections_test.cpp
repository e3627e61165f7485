#include "keys/sequence_sections.h"

#include <gtest/gtest.h>

using namespace orvex::app;

namespace {

IniFile parsed(std::string_view text) {
    IniFile ini;
    ini.parseText(text);
    return ini;
}

std::string asciiSection(int count, int keys) {
    std::string s = "[Prefix]\r\ncount=" + std::to_string(count) + "\r\n";
    for (int i = 0; i < keys; ++i) s += "ASCII" + std::to_string(i) + " = " + std::to_string(65 + i) + "\r\n";
    return s;
}

}  // namespace

TEST(AsciiSection, WriteExactBytes) {
    CharSequence seq;
    seq.insert(0, {0x02, "STX"});
    seq.insert(1, {0x8F, "Wait 100"});
    IniFile ini;
    writeAsciiSection(ini, "Prefix", seq);
    EXPECT_EQ(ini.serialize(), "[Prefix]\r\nCount=2\r\nAscii0=2\r\nAscii1=143\r\n");
}

TEST(AsciiSection, Read) {
    CharSequence seq;
    EXPECT_FALSE(readAsciiSection(parsed(asciiSection(15, 15)), "prefix", seq));
    EXPECT_EQ(seq.count(), 15);
    EXPECT_EQ(seq.at(0).code, 0x41);
    EXPECT_EQ(seq.at(0).text, "A");

    auto message = readAsciiSection(parsed(asciiSection(16, 16)), "Prefix", seq);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, 531);
    EXPECT_EQ(seq.count(), 15);  // unchanged

    // A code outside a byte is refused, not cut to another character.
    for (const char *code : {"300", "-1"}) {
        message = readAsciiSection(parsed(std::string("[Prefix]\r\nCount=1\r\nAscii0=") + code + "\r\n"),
                                   "Prefix", seq);
        ASSERT_TRUE(message) << code;
        EXPECT_EQ(*message, (FileMessage{61714, {"0", "255"}, "Prefix/Ascii0"}));
        EXPECT_EQ(seq.count(), 15);
    }
    EXPECT_FALSE(
        readAsciiSection(parsed("[Prefix]\r\nCount=3\r\nAscii0=255\r\nAscii2=65\r\n"), "Prefix", seq));
    ASSERT_EQ(seq.count(), 3);
    EXPECT_EQ(seq.at(0).code, 255);
    EXPECT_EQ(seq.at(1).text, "NUL");  // missing key
    EXPECT_EQ(seq.at(2).text, "A");

    // A negative count is refused naming the key; the sequence stays as it was.
    message = readAsciiSection(parsed("[Prefix]\r\nCount=-4\r\n"), "Prefix", seq);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->key, "Prefix/Count");
    EXPECT_EQ(seq.count(), 3);

    for (const char *text : {"", "[Prefix]\r\nCount=x\r\n"}) {
        EXPECT_FALSE(readAsciiSection(parsed(text), "Prefix", seq));
        EXPECT_EQ(seq.count(), 0) << text;
    }
}

TEST(KeySection, WriteExactBytes) {
    KeySequence seq;
    for (KeyEvent e : {KeyEvent{0x89, 0x38, 1}, KeyEvent{0x41, 0x1E, 1}, KeyEvent{0x41, 0x1E, 0},
                       KeyEvent{0x89, 0x38, 0}, KeyEvent{0x26, 0x48, 1}})
        seq.append(e);
    IniFile ini;
    writeKeySection(ini, "Ende", seq);
    EXPECT_EQ(ini.serialize(),
              "[Ende]\r\nCount=5\r\n"
              "Keydown0=1\r\nCodeSet1_0=e0 56\r\n"
              "Keydown1=1\r\nCodeSet1_1=30\r\n"
              "Keydown2=0\r\nCodeSet1_2=30\r\n"
              "Keydown3=0\r\nCodeSet1_3=e0 56\r\n"
              "Keydown4=1\r\nCodeSet1_4=e0 72\r\n");
}

TEST(KeySection, ReadValues) {
    KeySequence seq;
    EXPECT_FALSE(readKeySection(parsed("[Prefix]\r\nCount=6\r\n"
                                       "Keydown0=1\r\nCodeSet1_0=e0 56\r\n"
                                       "Keydown1=1\r\nCodeSet1_1=72\r\n"
                                       "Keydown2=1\r\nCodeSet1_2=e0 72\r\n"
                                       "Keydown3=0\r\nCodeSet1_3=e0 80\r\n"
                                       "Keydown4=7\r\nCodeSet1_4=30\r\n"
                                       "CodeSet1_5=e0 53\r\n"),
                                "Prefix", seq));
    ASSERT_EQ(seq.count(), 6);
    EXPECT_EQ(seq.at(0), (KeyEvent{0x89, 56, 1}));  // Alt Gr
    EXPECT_EQ(seq.at(1), (KeyEvent{0x68, 72, 1}));  // number pad 8
    EXPECT_EQ(seq.at(2), (KeyEvent{0x26, 72, 1}));  // Up
    EXPECT_EQ(seq.at(3), (KeyEvent{0x28, 80, 0}));  // Down: the 0 of 80 stays
    EXPECT_EQ(seq.at(4), (KeyEvent{0x41, 30, 1}));  // any non-zero Keydown is a press
    EXPECT_EQ(seq.at(5), (KeyEvent{0x6F, 53, 0}));  // missing Keydown reads as release

    // A scan code outside a byte stops the reading with 61714.
    auto message = readKeySection(parsed("[Prefix]\r\nCount=2\r\nKeydown0=1\r\nCodeSet1_0=30\r\n"
                                         "Keydown1=1\r\nCodeSet1_1=286\r\n"),
                                  "Prefix", seq);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, 61714);
    EXPECT_EQ(message->key, "Prefix/CodeSet1_1");
    EXPECT_EQ(seq.count(), 1);
}

TEST(KeySection, ByteLimit) {
    // Eleven presses of a normal key: the eleventh would make 33 bytes.
    std::string text = "[Suffix]\r\nCount=12\r\n";
    for (int i = 0; i < 12; ++i)
        text += "Keydown" + std::to_string(i) + "=1\r\nCodeSet1_" + std::to_string(i) + "=30\r\n";
    KeySequence seq;
    auto message = readKeySection(parsed(text), "Suffix", seq);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, 518);
    EXPECT_EQ(seq.count(), 10);
    EXPECT_EQ(seq.byteSize(), 30);

    // Releases cost nothing but still cannot exceed what a block holds.
    message = readKeySection(parsed("[Suffix]\r\nCount=2000000000\r\n"), "Suffix", seq);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, 518);
    EXPECT_EQ(seq.count(), 31);
}

TEST(KeySection, RoundTripThroughFileText) {
    KeySequence seq;
    for (KeyEvent e :
         {KeyEvent{0x10, 0x2A, 1}, KeyEvent{0xDB, 0x0C, 1}, KeyEvent{0xDB, 0x0C, 0}, KeyEvent{0x10, 0x2A, 0},
          KeyEvent{0x2E, 0x53, 1}, KeyEvent{0x2E, 0x53, 0}, KeyEvent{0x6E, 0x53, 1}, KeyEvent{0x6E, 0x53, 0}})
        seq.append(e);
    IniFile ini;
    writeKeySection(ini, "Termix", seq);
    KeySequence back;
    EXPECT_FALSE(readKeySection(parsed(ini.serialize()), "termix", back));
    EXPECT_EQ(back, seq);
}
