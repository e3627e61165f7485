// orvexctl with LAN readers: the lan commands, and reader commands over the
// TCP data link once "EthernetAktiv" is on.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>

#include "common/lan_lab.h"
#include "common/orvexctl_runner.h"

namespace {

using orvex::test::CtlRun;

// Runs orvexctl with its settings in the lab's folder.
CtlRun ctl(const std::vector<std::string> &args) {
    return orvex::test::runOrvexctl(std::filesystem::path(std::getenv("ORVEX_LAB_DIR")) / "config", args);
}

TEST(LanCli, SearchShowSetAndReaderCommandsOverTcp) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24", "--reader", "192.168.1.50/24,--lan-foreign");

    CtlRun r = ctl({"lan", "search"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "192.168.1.30-10001\n");
    r = ctl({"--json", "lan", "search", "--all"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out),
              nlohmann::json::parse(R"([{"address":"192.168.1.30-10001","maker":true},
                                        {"address":"192.168.1.50-10001","maker":false}])"));

    r = ctl({"--json", "lan", "show", "192.168.1.30"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out),
              nlohmann::json::parse(R"({"mode":"fixed","name":"ORVEXLAN","ip":"192.168.1.30","port":10001,
                                        "mask":"255.255.255.0","gateway":"0.0.0.0"})"));

    // A LAN port works like any other once Ethernet is on.
    ASSERT_EQ(ctl({"--port", "LAN: 192.168.1.30", "use", "--ethernet", "on"}).code, 0);
    r = ctl({"--json", "identify"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out).at("model"), "Alder-4");
    r = ctl({"report"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(r.out.empty());

    // The reader moves; the stored port follows it, and it still answers there.
    r = ctl({"lan", "set", "192.168.1.30", "--ip", "192.168.1.31", "--port", "4001"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "192.168.1.31-4001\n");
    r = ctl({"--json", "identify"});
    EXPECT_EQ(r.code, 0) << r.err;

    r = ctl({"--json", "lan", "client", "192.168.1.31", "--server", "192.168.1.5", "--server-port", "5000"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json::parse(R"({"server":"192.168.1.5","port":5000})"));

    r = ctl({"lan", "set", "192.168.1.31", "--ip", "0.0.0.0"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("IP Adresse"), std::string::npos) << r.err;  // 10128
    r = ctl({"lan", "show", "192.168.1.99"});
    EXPECT_EQ(r.code, 1);
}

TEST(LanCli, FunctionTestReceivesTheReadersOutputOverTcp) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24,--emit=12\\r,--every=500");
    ASSERT_EQ(ctl({"--port", "LAN: 192.168.1.30", "use", "--ethernet", "on"}).code, 0);
    CtlRun r = ctl({"--json", "monitor", "--records", "2", "--seconds", "5"});
    ASSERT_EQ(r.code, 0) << r.err;
    // How the function test cuts the stream into records is its own affair;
    // every byte it shows must be the reader's output, in order.
    std::istringstream lines(r.out);
    int records = 0;
    for (std::string line; std::getline(lines, line); ++records) {
        std::string hex = nlohmann::json::parse(line).at("hex");
        ASSERT_FALSE(hex.empty());
        for (std::size_t at = 0; at < hex.size(); at += 9) EXPECT_EQ(hex.substr(at, 9), "31 32 0D ") << line;
    }
    EXPECT_EQ(records, 2);
}

}  // namespace
