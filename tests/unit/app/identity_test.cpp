// Version answers, capability flags, supported types and the texts built
// from an identification.
#include <gtest/gtest.h>

#include "app/main_commands.h"
#include "app/reader_identity.h"

using namespace orvex::app;

TEST(VersionDigit, BothMappings) {
    struct Case {
        char c;
        unsigned connect, about;
    } cases[] = {{'0', 0, 0},   {'9', 9, 9},   {'A', 10, 10}, {'Z', 35, 35},
                 {'a', 10, 36}, {'u', 30, 56}, {'z', 35, 61}, {'#', 255, 0}};
    for (const auto &c : cases) {
        EXPECT_EQ(versionDigitValue(c.c), c.connect) << c.c;
        EXPECT_EQ(identityDigitValue(c.c), c.about) << c.c;
    }
}

TEST(VersionAnswer, ParsesTypeCodeAndDigit) {
    const auto v = parseVersionAnswer("164U");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->typeCode, 0x164u);
    EXPECT_EQ(v->digitValue, 30u);
    EXPECT_FALSE(parseVersionAnswer("124"));
    EXPECT_FALSE(parseVersionAnswer("12G5"));
}

TEST(CapabilityFlags, FromAnswerAndPort) {
    struct Case {
        const char *answer;
        PortKind kind;
        const char *storedName;
        CapabilityFlags expected;
    } cases[] = {
        {"1245", PortKind::Serial, "COM3", 0x11},
        {"164U", PortKind::Serial, "COM4 [Qel Virtual COM]", 0x7f1f0},
        {"164u", PortKind::Serial, "/dev/ttyACM0 [Qel Virtual COM]", 0x7f1f0},
        {"164#", PortKind::Serial, "/dev/ttyACM0 [Brix Virtual COM]", 0x7f1f0},
        {"1642", PortKind::Serial, "/dev/ttyACM0 [Qel Virtual COM]", 0x130},
        {"124#", PortKind::Serial, "/dev/ttyUSB0", 0x11},
        {"1221", PortKind::Serial, "/dev/ttyS0", 0x13},
        {"1451", PortKind::Bluetooth, "Bluetooth: QEL-RT2856#1", 0x1811},
        {"1440", PortKind::Serial, "COM1", 0x11},
        {"4150", PortKind::Usb, "USB: 6401-123 HID", 0x17f2b0},
        {"4545", PortKind::Lan, "LAN: 192.168.1.20", 0x67f5b0},
        {"454J", PortKind::Lan, "LAN: 192.168.1.20", 0xeff5b0},
        {"4340", PortKind::Serial, "COM2", 0x6ff1b1},
    };
    for (const auto &c : cases) {
        const auto v = parseVersionAnswer(c.answer);
        ASSERT_TRUE(v) << c.answer;
        EXPECT_EQ(computeCapabilityFlags(*v, c.kind, c.storedName), c.expected)
            << c.answer << " on " << c.storedName;
    }
}

TEST(CapabilityFlags, SupportedTypes) {
    for (unsigned code :
         {0x122u, 0x123u, 0x124u, 0x125u, 0x134u, 0x135u, 0x144u, 0x145u, 0x154u, 0x155u, 0x164u, 0x165u,
          0x184u, 0x185u, 0x194u, 0x195u, 0x404u, 0x405u, 0x414u, 0x415u, 0x434u, 0x435u, 0x454u, 0x455u})
        EXPECT_TRUE(isSupportedType(code)) << std::hex << code;
    for (unsigned code : {0x117u, 0x121u, 0x2A4u, 0x451u, 0x12Au, 0x000u})
        EXPECT_FALSE(isSupportedType(code)) << std::hex << code;
}

TEST(PortNames, KindAndSdkName) {
    EXPECT_EQ(buildSdkPortName("COM3", 1), "COM3:1");
    EXPECT_EQ(buildSdkPortName("LAN: 192.168.1.20", 1), "192.168.1.20:1");
    EXPECT_EQ(buildSdkPortName("USB: 6401-123 HID", 7), "6401-123 HID:7");
    EXPECT_EQ(buildSdkPortName("/dev/pts/4", 1), "/dev/pts/4:1");
    EXPECT_EQ(portKindOf("LAN: 10.0.0.1", false), PortKind::Serial);
    EXPECT_EQ(portKindOf("LAN: 10.0.0.1", true), PortKind::Lan);
    EXPECT_EQ(portKindOf("Bluetooth: x", false), PortKind::Bluetooth);
    EXPECT_EQ(portKindOf("USB: x", false), PortKind::Usb);
    EXPECT_FALSE(isMakersVirtualComPort(" [Qel Virtual COM]"));
    EXPECT_FALSE(isMakersVirtualComPort("/dev/ttyACM0 [Other]"));
}

TEST(Title, SuccessAndIdentity) {
    EXPECT_EQ(successTitle("Orvex ReaderSetup", "2.24", "Alder-4", false, "COM3:1", 7),
              "Orvex ReaderSetup V2.24 <Alder-4 COM3:1  FW V1.07>");
    EXPECT_EQ(successTitle("Orvex ReaderSetup", "2.24", "Elm-4", true, "6401-1 HID:1", 30),
              "Orvex ReaderSetup V2.24 <Elm-4 USB:6401-1 HID:1  FW V1.30>");
    const auto id = makeDeviceIdentity("164u", "Elm-4");
    EXPECT_EQ(id.typeCodeText, "164");
    EXPECT_EQ(id.versionText, "1.56");
    EXPECT_EQ(makeDeviceIdentity("124#", "Alder-4").versionText, "1.00");
}

TEST(MenuCommands, EnabledByFlagsAndSheetKind) {
    struct Case {
        int command;
        CapabilityFlags flags;
        bool enabled;
    } cases[] = {
        {CmdConfigure, 0, true},
        {CmdInterface, 0, true},
        {CmdIpAddress, 0, false},
        {CmdIpAddress, CAP_LAN, true},
        {CmdStartMode, 0x11, false},
        {CmdStartMode, CAP_BLUETOOTH, true},
        {CmdStartMode, CAP_POWER_ON_MODE, true},
        {CmdTxPower, CAP_TX_POWER, true},
        {CmdTxPower, CAP_EXTENDED, true},
        {CmdTxPower, 0x7f1f0, false},
        {CmdFactoryReset, 0x27f1b0, false},
        {CmdFactoryReset, 0x6ff1b0, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(menuCommandEnabled(c.command, c.flags), c.enabled) << c.command << " " << c.flags;
    EXPECT_EQ(configurationSheetFor(0x13), SheetKind::KeyboardWedge);
    EXPECT_EQ(configurationSheetFor(0), SheetKind::Serial);
}
