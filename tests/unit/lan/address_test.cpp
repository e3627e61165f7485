// Address texts, IPv4 texts and subnet masks as the module stores them.
#include <gtest/gtest.h>

#include "lan/address_text.h"
#include "lan/ipv4.h"

namespace orvex::lan {
namespace {

TEST(LanAddress, PortSuffix) {
    struct Case {
        const char *text;
        const char *host;
        int port;
    } cases[] = {
        {"192.168.0.7", "192.168.0.7", 10001},
        {"192.168.0.7-4001", "192.168.0.7", 4001},
        {"[READER01]-10002", "[READER01]", 10002},
        {"[A-B]1.2.3.4-5", "[A-B]1.2.3.4", 5},  // the last "-" counts
    };
    for (const Case &c : cases) {
        auto split = splitPort(c.text);
        ASSERT_TRUE(split) << c.text;
        EXPECT_EQ(split->host, c.host) << c.text;
        EXPECT_EQ(split->port, c.port) << c.text;
    }
    for (const char *bad : {"1.2.3.4-", "1.2.3.4-x", "1.2.3.4-70000"}) EXPECT_FALSE(splitPort(bad)) << bad;
}

TEST(LanAddress, EntryPartsAndBusSuffix) {
    EXPECT_EQ(entryAddress("[SN123456ABCDEFGH]192.168.1.77-10001"), "192.168.1.77");
    EXPECT_EQ(entryAddress("192.168.1.4-4001"), "192.168.1.4");
    EXPECT_EQ(bracketPrefix("[SN1]192.168.1.77-10001"), "[SN1]");
    EXPECT_EQ(bracketPrefix("[unclosed"), "");
    EXPECT_EQ(bracketPrefix("1.2.3.4"), "");
    EXPECT_EQ(withoutBusAddress("192.168.1.20-10001:1"), "192.168.1.20-10001");
    EXPECT_EQ(withoutBusAddress("192.168.1.20"), "192.168.1.20");
    EXPECT_EQ(withoutBusAddress("[a:b]"), "[a:b]");
}

TEST(LanAddress, Ipv4Texts) {
    EXPECT_EQ(parseIpv4("192.168.1.30"), (Ipv4{192, 168, 1, 30}));
    EXPECT_EQ(formatIpv4({10, 0, 0, 9}), "10.0.0.9");
    for (const char *bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", "a.b.c.d", "1..2.3", "1234.1.1.1"})
        EXPECT_FALSE(parseIpv4(bad)) << bad;
}

TEST(LanAddress, MaskHostBitsBothWays) {
    struct Case {
        Ipv4 mask;
        int hostBits;
    } cases[] = {
        {{255, 255, 255, 0}, 8},   {{255, 255, 0, 0}, 16}, {{255, 255, 255, 252}, 2},
        {{255, 255, 255, 255}, 0}, {{0, 0, 0, 0}, 32},     {{128, 0, 0, 0}, 31},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(maskHostBits(c.mask), c.hostBits) << formatIpv4(c.mask);
        EXPECT_EQ(maskFromHostBits(c.hostBits), c.mask) << c.hostBits;
    }
    // A record byte beyond 32 (it comes off the network) is no mask at all.
    EXPECT_EQ(maskFromHostBits(200), (Ipv4{0, 0, 0, 0}));
}

}  // namespace
}  // namespace orvex::lan
