// Network configuration of simulated readers that really move to their new
// addresses inside their namespaces.
#include <gtest/gtest.h>

#include "common/lan_lab.h"
#include "orvex/orvex.h"

namespace {

struct Settings {
    std::string name, address, mask, gateway;
    bool operator==(const Settings &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Settings &s) {
    return out << s.name << " " << s.address << " " << s.mask << " " << s.gateway;
}

Settings read(const char *address) {
    char name[ORVEX_LAN_TEXT_SIZE], ip[ORVEX_LAN_TEXT_SIZE], mask[ORVEX_LAN_TEXT_SIZE],
        gateway[ORVEX_LAN_TEXT_SIZE];
    if (Orvex_LanReadSettings(address, name, ip, mask, gateway) != ORVEX_OK) return {"failed", "", "", ""};
    return {name, ip, mask, gateway};
}

// The requests that change something, in the order reader 1 received them.
// The module takes its datagrams in order, so once it answered a check at
// address, everything sent before has been logged.
std::vector<std::string> changesSeenBy(const char *address) {
    EXPECT_EQ(Orvex_LanCheck(address), 1);
    std::vector<std::string> changes;
    for (const std::string &request : orvex::test::readerRequests(1))
        if (request != "F8" && request != "F6" && request.rfind("E", 0) != 0) changes.push_back(request);
    return changes;
}

TEST(LanConfigure, UnchangedSettingsSendOnlyTheRestart) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24");
    EXPECT_EQ(read("192.168.1.30"),
              (Settings{"[ORVEXLAN]-10001", "192.168.1.30-10001", "255.255.255.0", "0.0.0.0"}));
    EXPECT_EQ(Orvex_LanConfigure("192.168.1.30-10001", "192.168.1.30-10001", "255.255.255.0", "0.0.0.0"),
              ORVEX_OK);
    EXPECT_EQ(changesSeenBy("192.168.1.30"), std::vector<std::string>{"03"});
}

TEST(LanConfigure, ModuleWithoutQelGetsPlainSetupThenRecordWrite) {
    ORVEX_LAN_LAB("--reader", "192.168.1.40/24,--lan-no-qel");
    EXPECT_EQ(Orvex_LanConfigure("192.168.1.40", "192.168.1.41-10001", "255.255.0.0", "192.168.1.1"),
              ORVEX_OK);
    EXPECT_EQ(changesSeenBy("192.168.1.41"), (std::vector<std::string>{"FC IP-SETUP", "FD", "03"}));
    // 255.255.0.0 went out as 16 host bits and reads back as the same mask.
    EXPECT_EQ(read("192.168.1.41"),
              (Settings{"[ORVEXLAN]-10001", "192.168.1.41-10001", "255.255.0.0", "192.168.1.1"}));
    EXPECT_EQ(Orvex_LanCheck("192.168.1.40"), 0);
}

TEST(LanConfigure, ExtendedSetupMovesToDhcpNameAndPort) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24");
    EXPECT_EQ(Orvex_LanConfigure("192.168.1.30", "[READER01]-4001", "255.255.255.0", ""), ORVEX_OK);
    EXPECT_EQ(changesSeenBy("[READER01]"), std::vector<std::string>{"FC IP-SETUPEX"});
    EXPECT_EQ(read("[READER01]"), (Settings{"[READER01]-4001", "", "255.255.255.0", "0.0.0.0"}));

    // Without a name buffer the name goes where the (empty) address would.
    char ip[ORVEX_LAN_TEXT_SIZE];
    ASSERT_EQ(Orvex_LanReadSettings("[READER01]-4001", nullptr, ip, nullptr, nullptr), ORVEX_OK);
    EXPECT_STREQ(ip, "[READER01]-4001");

    // The data link follows the port: "[name]" resolves to the answering address.
    int handle = Orvex_OpenPort("[READER01]", 19200, 500);
    EXPECT_GE(handle, 20001);
    if (handle > 0) Orvex_ClosePort(handle);
}

TEST(LanConfigure, ClientTargetAndFailures) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24");
    char target[16];
    int port = -1;
    ASSERT_EQ(Orvex_LanReadAddress("192.168.1.30", target, sizeof target, &port), ORVEX_OK);
    EXPECT_STREQ(target, "0.0.0.0");
    EXPECT_EQ(port, 0);
    EXPECT_EQ(Orvex_LanSetAddress("192.168.1.30", "192.168.1.5", 5000), ORVEX_OK);
    ASSERT_EQ(Orvex_LanReadAddress("192.168.1.30-10001", target, sizeof target, &port), ORVEX_OK);
    EXPECT_STREQ(target, "192.168.1.5");
    EXPECT_EQ(port, 5000);

    EXPECT_EQ(Orvex_LanReadAddress("192.168.1.30", target, ORVEX_LAN_ADDRESS_SIZE - 1, &port),
              ORVEX_LAN_BUFFER_TOO_SMALL);
    EXPECT_EQ(Orvex_LanReadAddress("192.168.1.30", nullptr, ORVEX_LAN_ADDRESS_SIZE, &port),
              ORVEX_LAN_NULL_POINTER);
    EXPECT_EQ(Orvex_LanReadAddress("192.168.1.99", target, sizeof target, &port), ORVEX_LAN_FAILED);
    EXPECT_EQ(read("192.168.1.99").name, "failed");
    EXPECT_EQ(Orvex_LanConfigure("192.168.1.99", "192.168.1.98", "", ""), ORVEX_LAN_FAILED);
}

}  // namespace
