#include "params/operating_parameters.h"
#include "params/parameter_file.h"
#include "params/wedge_block.h"

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ParameterBlock, EncodeAndApply) {
    OperatingParameters p;
    p.modeByte = 0x13;
    p.cycleTimeMs = 12700;
    p.requestChar = static_cast<char>(0xE4);
    p.timeoutMs = 500;
    EXPECT_EQ(encodeParameterBlock(p), (ParameterBlock{0x13, 127, 0xE4, 5}));
    p.cycleTimeMs = 99999;  // never wraps around
    EXPECT_EQ(encodeParameterBlock(p)[1], 255);

    OperatingParameters back;
    EXPECT_EQ(applyParameterBlock(Bytes{0x13, 127, 0xE4, 5, 0x77}, back), 4u);
    EXPECT_EQ(back.modeByte, 0x13);
    EXPECT_EQ(back.cycleTimeMs, 12700);
    EXPECT_EQ(back.requestChar, static_cast<char>(0xE4));
    EXPECT_EQ(back.timeoutMs, 500);
    // A short block: the missing bytes count as 0.
    EXPECT_EQ(applyParameterBlock(Bytes{0x02, 10}, back), 2u);
    EXPECT_EQ(back.cycleTimeMs, 1000);
    EXPECT_EQ(back.requestChar, 0);
    EXPECT_EQ(back.timeoutMs, 0);
}

TEST(BaudValue, FramingFromCombosAndBack) {
    struct Case {
        int parity;  // -1 none selected
        int stopBits;
        int currentCode;
        int code;
    };
    const Case cases[] = {
        {1, 1, 0, 1},                                   // "gerade" + "2": parity wins
        {0, 1, 0, 3},                                   // "keine" + "2"
        {2, 0, 0, 2},                                   // "ungerade"
        {0, 0, 3, 0},   {-1, 1, 0, 3}, {-1, -1, 2, 2},  // nothing selected keeps the current code
        {-1, -1, 7, 0}, {-1, 0, 2, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(framingCodeFromChoice(c.parity, c.stopBits, c.currentCode), c.code)
            << c.parity << "/" << c.stopBits << "/" << c.currentCode;
    EXPECT_EQ(composeBaudValue(57600, framingCodeFromChoice(2, 0, 0)), 57602);

    struct Load {
        int baudValue;
        std::string_view choice;
        int parity;
        int stopBits;
    };
    const Load loads[] = {
        {19203, "19200", 0, 1}, {115250, "115200", 0, 0},  // code 50 counts as 0
        {57602, "57600", 2, 0}, {14400, "19200", 0, 0},    // a rate not in the list shows 19200
        {2401, "2400", 1, 0},
    };
    for (const auto &l : loads) {
        EXPECT_EQ(baudChoiceOf(l.baudValue), l.choice) << l.baudValue;
        const auto framing = framingChoiceOf(framingCodeOf(l.baudValue));
        EXPECT_EQ(framing.parityIndex, l.parity) << l.baudValue;
        EXPECT_EQ(framing.stopBitsIndex, l.stopBits) << l.baudValue;
    }
    EXPECT_EQ(baudRateOf(115250), 115200);
}

TEST(WedgeTiming, Conversions) {
    struct Frequency {
        int kHz;
        std::uint8_t byte;
        int back;
    };
    const Frequency frequencies[] = {{12, 2, 13}, {15, 0, 16}, {16, 0, 16},  {5, 17, 5},
                                     {10, 5, 10}, {0, 255, 0}, {1000, 0, 16}};
    for (const auto &f : frequencies) {
        EXPECT_EQ(wedgeFrequencyToByte(f.kHz), f.byte) << f.kHz;
        if (f.kHz > 0) {
            EXPECT_EQ(wedgeFrequencyFromByte(f.byte), f.back) << f.kHz;
        }
    }
    struct Delay {
        double ms;
        std::uint8_t byte;
    };
    for (const Delay d :
         {Delay{2.5, 5}, Delay{63.5, 127}, Delay{5.0, 10}, Delay{0.25, 1}, Delay{-3, 0}, Delay{1e9, 255}}) {
        EXPECT_EQ(wedgeDelayToByte(d.ms), d.byte) << d.ms;
    }
    EXPECT_EQ(wedgeDelayFromByte(5), 2.5);
    struct Timeout {
        int ms;
        std::uint8_t byte;
        int back;
    };
    for (const Timeout t :
         {Timeout{59, 0, 30}, Timeout{3840, 127, 3840}, Timeout{180, 5, 180}, Timeout{0, 0, 30}}) {
        EXPECT_EQ(wedgeTimeoutToByte(t.ms), t.byte) << t.ms;
        EXPECT_EQ(wedgeTimeoutFromByte(t.byte), t.back) << t.ms;
    }
}

TEST(WedgeBlock, BuildAndDecode) {
    DataFormatRecord r;
    r.typeCode = 1;
    r.selection = {3, 12, 0xFF, 0xFF, 0xFF};  // block fields 3, empty, 12, empty
    r.representation = kHexLower;
    r.charCount = 8;
    OperatingParameters p;
    p.wedgeDelayByte = wedgeDelayToByte(2.5);
    p.wedgeFrequencyByte = wedgeFrequencyToByte(12);
    p.wedgeTimeoutByte = wedgeTimeoutToByte(180);
    const WedgeBlock block = buildWedgeBlock(r, p);
    EXPECT_EQ(Bytes(block.begin(), block.end()), (Bytes{5, 1, 3, 12, 0xFF, 0xFF, 0xFF, 4, 8, 2, 5}));

    const auto content = decodeWedgeBlock(block);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->record.selection, r.selection);
    EXPECT_EQ(content->record.charCount, 8);
    EXPECT_EQ(content->frequencyByte, 2);
    EXPECT_FALSE(decodeWedgeBlock(Bytes(10, 0)));
}

class ParameterFileTest : public ::testing::Test {
protected:
    IniFile file;
};

TEST_F(ParameterFileTest, SerialRoundTripAndOrder) {
    OperatingParameters p;
    p.modeByte = 0x13;
    p.cycleTimeMs = 2000;
    p.baudValue = 57602;
    p.requestChar = '!';
    p.timeoutMs = 700;
    p.powerOnIndex = 2;
    p.dtrMode = 1;
    p.remoteIp = "192.168.1.20";
    p.remotePort = 4001;
    writeSerialParametersToFile(p, file);
    EXPECT_EQ(file.serialize(),
              "[Data]\r\nBetriebsart=19\r\nZykluszeit=2000\r\nBaudrate=57602\r\nAufforderung=!"
              "\r\nTimeoutRS232=700\r\n"
              "ReaderModus=2\r\nDTRModus=1\r\nRemoteIP=192.168.1.20\r\nRemotePort=4001\r\n");
    OperatingParameters back;
    readSerialParametersFromFile(file, back);
    EXPECT_EQ(back, p);

    // No power-on radio selected: the key is not written.
    IniFile other;
    p.powerOnIndex = -1;
    writeSerialParametersToFile(p, other);
    EXPECT_FALSE(other.hasKey("Data", "ReaderModus"));
}

TEST_F(ParameterFileTest, SerialDefaultsAndOddValues) {
    OperatingParameters p;
    readSerialParametersFromFile(file, p);
    OperatingParameters expected;
    expected.powerOnIndex = 1;
    EXPECT_EQ(p, expected);

    struct Case {
        const char *text;
        char request;
        int powerOnIndex;
    };
    const Case cases[] = {
        {"[Data]\nAufforderung=\t\nReaderModus=0\n", '?', 0},
        {"[Data]\nAufforderung=\nReaderModus=7\n", '?', -1},  // never a power-on value nobody chose
        {"[Data]\nAufforderung=\xE4x\nReaderModus=-1\n", static_cast<char>(0xE4), -1},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(file.parseText(c.text));
        readSerialParametersFromFile(file, p);
        EXPECT_EQ(p.requestChar, c.request) << c.text;
        EXPECT_EQ(p.powerOnIndex, c.powerOnIndex) << c.text;
    }
}

TEST_F(ParameterFileTest, HidForm) {
    OperatingParameters p;
    p.modeByte = 3;
    p.powerOnIndex = 1;
    writeHidParametersToFile(p, file);
    EXPECT_EQ(file.serialize(),
              "[Data]\r\nBetriebsart=3\r\nZykluszeit=1000\r\nTimeoutRS232=500\r\nReaderModus=1\r\n");

    ASSERT_TRUE(file.parseText("[Data]\nBetriebsart=2\n"));
    readHidParametersFromFile(file, p);
    EXPECT_EQ(p.timeoutMs, 0);  // HID default, refused by the next validation
    EXPECT_EQ(p.modeByte, 2);
}

TEST_F(ParameterFileTest, WedgeTimingAndDataSet) {
    OperatingParameters p;
    p.wedgeDelayByte = 0;
    readWedgeTimingFromFile(file, p);
    EXPECT_EQ(p.wedgeDelayByte, 10);  // 5.0 ms
    EXPECT_EQ(p.wedgeFrequencyByte, 5);
    EXPECT_EQ(p.wedgeTimeoutByte, 5);

    ASSERT_TRUE(file.parseText("[Data]\nVerzoegerung= 7ms\nSendefrequenz=0000000012\nTimeout=999\n"));
    readWedgeTimingFromFile(file, p);
    EXPECT_EQ(p.wedgeDelayByte, 7);
    EXPECT_EQ(p.wedgeFrequencyByte, 1);  // only nine characters are read
    EXPECT_EQ(p.wedgeTimeoutByte, 255);

    IniFile out;
    writeWedgeTimingToFile(p, out);
    OperatingParameters back;
    readWedgeTimingFromFile(out, back);
    EXPECT_EQ(back.wedgeDelayByte, 7);
    EXPECT_EQ(back.wedgeTimeoutByte, 255);

    DataFormatRecord r;
    r.typeCode = 1;
    r.selection = {5, 0xFF, 0xFF, 0xFF, 0xFF};
    r.representation = 4;
    r.charCount = 8;
    writeWedgeDataSetToFile(r, out);
    EXPECT_EQ(readWedgeDataSetFromFile(out), r);
}

}  // namespace
}  // namespace orvex::app
