// The datagrams of the network module, byte for byte, and the decoding of
// answers as they come off the network.
#include <gtest/gtest.h>

#include "lan/datagram.h"

namespace orvex::lan {
namespace {

Bytes record0(const Ipv4 &address, int port, const char *firstHalf, const char *secondHalf) {
    Bytes r(kRecordSize, 0);
    std::copy(address.begin(), address.end(), r.begin());
    r[20] = static_cast<std::uint8_t>(port & 0xFF);
    r[21] = static_cast<std::uint8_t>(port >> 8);
    std::copy_n(firstHalf, std::min<std::size_t>(8, strlen(firstHalf)), r.begin() + 112);
    std::copy_n(secondHalf, std::min<std::size_t>(8, strlen(secondHalf)), r.begin() + 84);
    return r;
}

TEST(LanDatagram, RequestsAreTheModulesBytes) {
    struct Case {
        const char *what;
        Bytes built;
        Bytes expected;
    } cases[] = {
        {"identify", identifyRequest(), {0x00, 0x01, 0x00, 0xF6}},
        {"read record 0", readRecordRequest(0), {0x00, 0x01, 0x00, 0xF8}},
        {"read record 2", readRecordRequest(2), {0x00, 0x01, 0x00, 0xE2}},
        {"write record 0", writeRecordRequest(0, Bytes{7, 8}), {0x00, 0x00, 0x00, 0xFD, 7, 8}},
        {"write record 3", writeRecordRequest(3, Bytes{9}), {0x00, 0x01, 0x00, 0xC3, 9}},
        {"restart", restartRequest(), {0x00, 0x00, 0x00, 0x03, 0x58, 0x33}},
        {"address setup",
         addressSetupRequest({1, 2, 3, 4, 5, 6}, {10, 0, 0, 9}),
         {0x00, 0x00, 0x00, 0xFC, 'I', 'P', '-', 'S', 'E', 'T', 'U', 'P', 0, 0, 5, 6, 10, 0, 0, 9}},
    };
    for (const Case &c : cases) EXPECT_EQ(c.built, c.expected) << c.what;
    EXPECT_EQ(readRecordAnswerType(0), 0xF9);
    EXPECT_EQ(readRecordAnswerType(2), 0xD2);
    EXPECT_EQ(writeRecordAnswerType(0), 0xFB);
    EXPECT_EQ(writeRecordAnswerType(3), 0xB3);
}

TEST(LanDatagram, ExtendedAddressSetupLayout) {
    ExtendedSetup setup{{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6},
                        {192, 168, 1, 40},
                        4001,
                        {255, 255, 0, 0},
                        {192, 168, 1, 1},
                        "READER01_LONGER_THAN_16"};
    Bytes d = extendedAddressSetupRequest(setup);
    ASSERT_EQ(d.size(), 50u);
    EXPECT_EQ(std::string(d.begin() + 4, d.begin() + 14), "IP-SETUPEX");
    EXPECT_EQ(Bytes(d.begin() + 14, d.begin() + 20), Bytes({0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6}));
    EXPECT_EQ(Bytes(d.begin() + 20, d.begin() + 26),
              Bytes({192, 168, 1, 40, 0xA1, 0x0F}));  // port low byte first
    EXPECT_EQ(Bytes(d.begin() + 26, d.begin() + 34), Bytes({255, 255, 0, 0, 192, 168, 1, 1}));
    EXPECT_EQ(std::string(d.begin() + 34, d.end()), "READER01_LONGER_");  // cut to 16

    setup.name = "SHORT";
    d = extendedAddressSetupRequest(setup);
    EXPECT_EQ(std::string(d.begin() + 34, d.end()), std::string("SHORT") + std::string(11, '\0'));
}

TEST(LanDatagram, SearchEntriesAndNameHalves) {
    // Full halves carry no NUL: the name is exactly 8 + 8 characters.
    auto moved = NetworkRecord::fromPayload(record0({10, 0, 0, 9}, 10001, "SN123456", "ABCDEFGH"));
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->name(), "SN123456ABCDEFGH");
    EXPECT_EQ(searchEntry(*moved, {192, 168, 1, 77}), "[SN123456ABCDEFGH]192.168.1.77-10001");

    auto plain = NetworkRecord::fromPayload(record0({192, 168, 1, 4}, 4001, "RD", ""));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->name(), "RD");
    EXPECT_EQ(searchEntry(*plain, {192, 168, 1, 4}), "192.168.1.4-4001");

    EXPECT_FALSE(NetworkRecord::fromPayload(Bytes(kRecordSize - 1, 0)));
}

TEST(LanDatagram, NameWriteSplitsIntoHalvesAndKeepsOtherBytes) {
    Bytes raw(kRecordSize + 6);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>(i);
    auto record = NetworkRecord::fromPayload(raw);
    ASSERT_TRUE(record);
    record->setName("READER01ABC");
    record->setPort(4001);
    EXPECT_EQ(record->name(), "READER01ABC");
    EXPECT_EQ(std::string(record->bytes().begin() + 112, record->bytes().begin() + 120), "READER01");
    EXPECT_EQ(std::string(record->bytes().begin() + 84, record->bytes().begin() + 92),
              std::string("ABC\0\0\0\0\0", 8));
    EXPECT_EQ(record->port(), 4001);
    EXPECT_EQ(record->bytes().size(), raw.size());  // longer records are written back whole
    for (std::size_t i : {1u, 5u, 7u, 30u, 83u, 92u, 111u, 121u}) EXPECT_EQ(record->bytes()[i], raw[i]) << i;
}

TEST(LanDatagram, AnswerLayoutsNeedTheirLength) {
    EXPECT_FALSE(parseAnswer(Bytes{0, 1, 0}));
    auto answer = parseAnswer(Bytes{0, 1, 0, 0xF9, 42});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->type, 0xF9);
    EXPECT_EQ(answer->payload.size(), 1u);

    Bytes record2(kDeviceTypeMinPayload, 0);
    std::copy_n("Orvex-LAN", 9, record2.begin() + 93);
    EXPECT_TRUE(isMakerDevice(record2));
    EXPECT_FALSE(isMakerDevice(ByteView(record2).first(125)));
    std::copy_n("XPort-03", 8, record2.begin() + 93);
    EXPECT_FALSE(isMakerDevice(record2));
    Bytes offByOne(kDeviceTypeMinPayload, 0);
    std::copy_n("Orvex-", 6, offByOne.begin() + 94);
    EXPECT_FALSE(isMakerDevice(offByOne));  // the text must start at offset 93

    Bytes identify(kIdentifyMinPayload, 0);
    std::copy_n("QEL", 3, identify.begin() + 11);
    for (int i = 0; i < 6; ++i) identify[20 + i] = static_cast<std::uint8_t>(0x10 + i);
    EXPECT_TRUE(hasQelTag(identify));
    EXPECT_EQ(identifyMac(identify), (Mac{0x10, 0x11, 0x12, 0x13, 0x14, 0x15}));
    EXPECT_FALSE(identifyMac(ByteView(identify).first(25)));
    EXPECT_FALSE(hasQelTag(ByteView(identify).first(25)));

    Bytes record3(kRecord3Size, 0xEE);
    auto named = record3WithName(record3, "READER01ABCDEFGH");
    ASSERT_TRUE(named);
    EXPECT_EQ(std::string(named->begin() + 102, named->begin() + 110), "ABCDEFGH");
    EXPECT_EQ((*named)[101], 0xEE);
    EXPECT_EQ((*named)[110], 0xEE);
    EXPECT_FALSE(record3WithName(Bytes(kRecord3Size + 1, 0), "X"));
}

}  // namespace
}  // namespace orvex::lan
