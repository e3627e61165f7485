#include <gtest/gtest.h>

#include "params/data_page_ps2.h"
#include "params/param_page_hid.h"
#include "params/param_page_ps2.h"
#include "params/param_page_serial.h"

namespace orvex::app {
namespace {

TEST(ParamPageSerial, LineSettingFromCombos) {
    struct Case {
        const char *baud;
        int parity, stopBits, current, expected;
    };
    const Case cases[] = {
        {"19200", 1, 1, 19200, 19201},  // parity wins over two stop bits
        {"19200", 0, 1, 19200, 19203}, {"57600", 2, 0, 19200, 57602},
        {"", -1, -1, 9602, 9602},  // nothing chosen keeps the current setting
        {"", -1, 0, 9602, 9600},
    };
    for (const Case &c : cases) {
        ParamPageSerial page(CAP_PLAIN_SERIAL);
        page.showCurrentBaud(c.current);
        page.values().baudSet = c.baud;
        page.values().parity = c.parity;
        page.values().stopBits = c.stopBits;
        OperatingParameters p;
        page.storeToParameters(p);
        EXPECT_EQ(p.baudValue, c.expected) << c.baud << " " << c.parity << " " << c.stopBits;
    }
}

TEST(ParamPageSerial, LoadSelectsCombosAndFallsBackOnBadValues) {
    ParamPageSerial page(CAP_PLAIN_SERIAL | CAP_POWER_ON_MODE);
    OperatingParameters p;
    p.baudValue = 19203;
    p.modeByte = 0x13;
    p.cycleTimeMs = 12700;
    p.requestChar = 0;
    p.powerOnIndex = 2;
    EXPECT_TRUE(page.loadFromParameters(p, true));
    EXPECT_EQ(page.values().baudSet, "19200");
    EXPECT_EQ(page.values().parity, 0);
    EXPECT_EQ(page.values().stopBits, 1);
    EXPECT_EQ(page.values().mode, 3);
    EXPECT_TRUE(page.values().sensor);
    EXPECT_EQ(page.values().requestChar, "");
    OperatingParameters stored;
    page.storeToParameters(stored);
    EXPECT_EQ(stored.requestChar, '?') << "an empty request character is programmed as ?";
    EXPECT_EQ(stored.modeByte, 0x13);

    p.timeoutMs = 0;  // parameter block byte 3 = 0
    Validation why;
    EXPECT_FALSE(page.loadFromParameters(p, false, &why));
    EXPECT_EQ(why->messageId, 61714);
    EXPECT_EQ(why->field, "timeout");
    EXPECT_EQ(page.values().timeout, "500");
    EXPECT_EQ(page.baudValue(), 19200);
    EXPECT_FALSE(page.view()["dtr"].shown);
}

TEST(ParamPageSerial, EnablingRules) {
    ParamPageSerial page(CAP_POWER_ON_MODE | CAP_EXTENDED | CAP_LAN);
    page.values().mode = 1;
    ViewState v = page.view();
    EXPECT_FALSE(v["cycleTime"].enabled);
    EXPECT_FALSE(v["timeout"].enabled);
    EXPECT_TRUE(v["mode2"].enabled);
    EXPECT_FALSE(v["powerOn2"].enabled);
    EXPECT_FALSE(v["interfaceGroup"].shown);
    EXPECT_TRUE(v["tcpClient"].shown);
    EXPECT_FALSE(v["remoteIp"].enabled);
    page.values().mode = 3;
    page.values().tcpClient = true;
    v = page.view();
    EXPECT_TRUE(v["cycleTime"].enabled);
    EXPECT_FALSE(v["timeout"].enabled);
    EXPECT_TRUE(v["remoteIp"].enabled);

    ParamPageSerial plain(CAP_PLAIN_SERIAL);
    plain.showCurrentBaud(115250);
    v = plain.view();
    EXPECT_TRUE(v["interfaceGroup"].shown);
    EXPECT_EQ(v["currentBaud"].caption, "115200");
    EXPECT_EQ(v["currentParity"].caption, "keine");
    EXPECT_EQ(v["currentStopBits"].caption, "1");
}

TEST(ParamPageSerial, RangesOfCycleTimeAndTimeout) {
    ParamPageSerial page;
    page.values().cycleTime = "99";
    EXPECT_EQ(page.validate()->args, (std::vector<std::string>{"100", "12700"}));
    page.values().cycleTime = "12700";
    EXPECT_FALSE(page.validate());
    OperatingParameters p;
    page.storeToParameters(p);
    EXPECT_EQ(encodeParameterBlock(p)[1], 127);
}

TEST(ParamPageHid, BlockAndModes) {
    ParamPageHid page(CAP_POWER_ON_MODE | CAP_SILENT_READER_MODE);
    const std::uint8_t block[] = {0x01, 10, '?', 0};
    EXPECT_TRUE(page.loadFromParameterBlock(block, 2));
    EXPECT_EQ(page.values().modeIndex, 0) << "mode 1 shows as mode 0";
    EXPECT_EQ(page.values().timeout, "500") << "byte 3 = 0 reads as 500 ms";
    EXPECT_EQ(page.values().powerOnIndex, 2);
    OperatingParameters p;
    page.storeToParameters(p);
    EXPECT_EQ(p.modeByte, 0);
    EXPECT_EQ(p.requestChar, '?');
    const std::uint8_t shortBlock[] = {0, 1};
    EXPECT_FALSE(page.loadFromParameterBlock(shortBlock, -1));
}

TEST(ParamPagePs2, TimingConversionsAndChecks) {
    ParamPagePs2 page;
    page.values().frequency = "12";
    page.values().delay = "2.5";
    page.values().timeout = "59";
    ASSERT_FALSE(page.validate());
    OperatingParameters p;
    page.storeToWedgeBytes(p);
    EXPECT_EQ(p.wedgeFrequencyByte, 2);
    EXPECT_EQ(p.wedgeDelayByte, 5);
    EXPECT_EQ(p.wedgeTimeoutByte, 0);
    page.loadFromWedgeBytes(p);
    EXPECT_EQ(page.values().frequency, "13");
    EXPECT_EQ(page.values().delay, "2.5");
    EXPECT_EQ(page.values().timeout, "30");

    page.values().delay = "63.6";
    EXPECT_EQ(page.validate()->messageId, 61715);
    page.values().delay = "x";
    EXPECT_EQ(page.validate()->messageId, 61713);
    page.values().frequency = "17";
    EXPECT_EQ(page.validate()->field, "frequency");
}

TEST(DataPagePs2, BlocksValidationAndLoad) {
    DataPagePs2 page;
    page.values().selection = 1;
    page.values().blocks = {"3", "", "12", ""};
    ASSERT_FALSE(page.validate());
    DataFormatRecord r;
    page.storeToRecord(r);
    EXPECT_EQ(r.selection, (std::vector<std::uint8_t>{3, 12, 0xFF, 0xFF, 0xFF}));

    page.values().blocks[0] = "64";
    Validation v = page.validate();
    ASSERT_TRUE(v);
    EXPECT_EQ(v->messageId, 551);
    EXPECT_TRUE(page.hasBlockError());
    page.values().blocks[0] = "63";
    EXPECT_FALSE(page.validate());
    EXPECT_FALSE(page.hasBlockError());
    page.values().charCount = "14";
    EXPECT_EQ(page.validate()->messageId, 61714);

    const std::uint8_t block[] = {10, 1, 5, 0xFF, 7, 8, 0xFF, 4, 9, 5, 5};
    EXPECT_TRUE(page.loadFromBlock(block));
    EXPECT_EQ(page.values().blocks, (std::array<std::string, 4>{"5", "", "", ""}));
    EXPECT_EQ(page.values().representation, 4);

    const std::uint8_t bad[] = {10, 1, 70, 0xFF, 0xFF, 0xFF, 0xFF, 2, 9, 5, 5};
    Validation why;
    EXPECT_FALSE(page.loadFromBlock(bad, &why));
    EXPECT_EQ(why->messageId, 551);
    EXPECT_EQ(page.values().selection, 0);
    EXPECT_EQ(page.values().charCount, "8");
    EXPECT_EQ(page.values().representation, 0);

    EXPECT_FALSE(page.loadFromBlock(std::span<const std::uint8_t>(block, 10)));
}

TEST(DataPagePs2, SelectionRulesOfTheView) {
    DataPagePs2 page;
    ViewState v = page.view();
    EXPECT_FALSE(v["block1"].enabled);
    EXPECT_EQ(v["infoBox"].caption, "UID");
    EXPECT_FALSE(v["repr3"].shown);
    page.clickSelection(1);
    v = page.view();
    EXPECT_TRUE(v["block4"].enabled);
    EXPECT_EQ(v["infoBox"].caption, "Einzelblöcke");
}

}  // namespace
}  // namespace orvex::app
