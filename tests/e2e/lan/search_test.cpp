// Discovery between network namespaces: real broadcasts to simulated readers.
#include <gtest/gtest.h>

#include "app/lan_search_list.h"
#include "common/lan_lab.h"
#include "lan/adapters.h"
#include "lan/discovery.h"
#include "orvex/orvex.h"

namespace {

std::vector<std::string> listOf(int (*search)(char *, int)) {
    char buffer[2500];
    int used = search(buffer, sizeof buffer);
    std::vector<std::string> entries;
    for (int at = 0; at < used - 1; at += static_cast<int>(entries.back().size()) + 1)
        entries.emplace_back(buffer + at);
    return entries;
}

class SilentPrompts : public orvex::app::WindowlessPrompts {
public:
    void showMessage(const std::string &, orvex::app::MessageIcon) override {}
    bool askYesNo(const std::string &, bool) override { return false; }
};

TEST(LanSearch, ByteOrderBracketFormsAndForeignDevices) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24",                 //
                  "--reader", "192.168.1.4/24,--lan-port=4001",  //
                  "--reader", "192.168.1.77/24,--lan-config-ip=10.0.0.9,--lan-name=SN123456ABCDEFGH",
                  "--reader", "192.168.1.50/24,--lan-foreign");

    const std::vector<std::string> all = {"192.168.1.30-10001", "192.168.1.4-4001", "192.168.1.50-10001",
                                          "[SN123456ABCDEFGH]192.168.1.77-10001"};
    const std::vector<std::string> makers = {"192.168.1.30-10001", "192.168.1.4-4001", "[SN123456ABCDEFGH]"};
    EXPECT_EQ(listOf(Orvex_LanSearchAll), all);
    EXPECT_EQ(listOf(Orvex_LanSearch), makers);

    // The concurrent search gives exactly what the one-at-a-time algorithm gives.
    auto adapters = orvex::lan::adapterSource().adapters();
    for (bool verify : {false, true})
        EXPECT_EQ(orvex::lan::search(adapters, orvex::lan::kAnswerTimeout, verify),
                  orvex::lan::searchSequential(adapters, orvex::lan::kAnswerTimeout, verify))
            << "verify " << verify;

    // The search dialog's list: the maker's readers under their unfiltered
    // texts, the foreign device as value 2.
    SilentPrompts prompts;
    orvex::app::LanSearchModel dialog(orvex::app::systemLanFunctions(), prompts);
    ASSERT_TRUE(dialog.refresh());
    std::vector<orvex::app::LanListItem> expected = {{"192.168.1.30-10001", 1},
                                                     {"192.168.1.4-4001", 1},
                                                     {"[SN123456ABCDEFGH]192.168.1.77-10001", 1},
                                                     {"192.168.1.50-10001", 2}};
    EXPECT_EQ(dialog.items(), expected);
}

TEST(LanSearch, EveryAdapterAndNameResolution) {
    ORVEX_LAN_LAB("--adapter", "192.168.1.1/24", "--adapter", "10.5.0.1/16",  //
                  "--reader", "a1:192.168.1.30/24",                           //
                  "--reader", "a2:10.5.3.3/16,--lan-config-ip=0.0.0.0,--lan-name=DHCPREADER");

    EXPECT_EQ(listOf(Orvex_LanSearchAll),
              (std::vector<std::string>{"192.168.1.30-10001", "[DHCPREADER]10.5.3.3-10001"}));
    auto adapters = orvex::lan::adapterSource().adapters();
    EXPECT_EQ(orvex::lan::resolve("[DHCPREADER]", adapters, orvex::lan::kResolveTimeout), "10.5.3.3-10001");
    EXPECT_EQ(orvex::lan::resolve("[NOBODY]", adapters, orvex::lan::kResolveTimeout), "");
    EXPECT_EQ(Orvex_LanCheck("[DHCPREADER]"), 1);
    EXPECT_EQ(Orvex_LanCheck("192.168.1.30-10001"), 1);
    EXPECT_EQ(Orvex_LanCheck("192.168.1.31"), 0);
}

}  // namespace
