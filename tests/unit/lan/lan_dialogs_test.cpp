// The LAN dialogs' logic with a scripted network and a scripted person.
#include <gtest/gtest.h>

#include <deque>

#include "common/scripted_prompts_app.h"
#include "app/lan_config.h"
#include "app/lan_search_list.h"
#include "app/string_table.h"
#include "orvex/orvex.h"

namespace orvex::app {
namespace {

using test::ScriptedPrompts;

// A network whose clock only moves when the code sleeps.
struct FakeLan {
    std::chrono::steady_clock::time_point clock{};
    std::vector<std::string> maker, all;
    int searches = 0;
    LanSettingsText settings;
    int readResult = 0;
    int configureResult = 0;
    std::vector<std::string> configured;
    bool answersAtNewAddress = true;

    LanFunctions functions() {
        LanFunctions f;
        f.searchMaker = [this] {
            ++searches;
            return maker;
        };
        f.searchAll = [this] { return all; };
        f.check = [this](const std::string &) { return answersAtNewAddress; };
        f.readSettings = [this](const std::string &, LanSettingsText &out) {
            if (readResult == 0) out = settings;
            return readResult;
        };
        f.configure = [this](const std::string &address, const std::string &newAddress,
                             const std::string &mask, const std::string &gateway) {
            configured.push_back(address + " > " + newAddress + " " + mask + " " + gateway);
            return configureResult;
        };
        f.now = [this] { return clock; };
        f.sleep = [this](std::chrono::milliseconds pause) { clock += pause; };
        return f;
    }
};

TEST(LanSearchList, MergesBothSearches) {
    auto items = mergeLanSearch({"192.168.1.30-10001", "[READER01]"},
                                {"192.168.1.30-10001", "192.168.1.50-10001", "[reader01]192.168.1.77-10001"});
    std::vector<LanListItem> expected = {
        {"192.168.1.30-10001", LanMakerReader},
        {"[reader01]192.168.1.77-10001", LanMakerReader},  // the DHCP reader under the unfiltered text
        {"192.168.1.50-10001", LanOtherDevice},
    };
    EXPECT_EQ(items, expected);
    EXPECT_EQ(mergeLanSearch({}, {"10.0.0.1-80"}),
              (std::vector<LanListItem>{{"10.0.0.1-80", LanOtherDevice}}));
}

TEST(LanSearchList, OnlyAMakersReaderCanBeChosen) {
    FakeLan lan;
    lan.maker = {"192.168.1.30-10001"};
    lan.all = {"192.168.1.30-10001", "192.168.1.50-10001"};
    ScriptedPrompts prompts;
    LanSearchModel dialog(lan.functions(), prompts);
    ASSERT_TRUE(dialog.refresh());
    EXPECT_EQ(dialog.close(0), "192.168.1.30-10001");
    EXPECT_EQ(dialog.close(1), std::nullopt);
    EXPECT_EQ(dialog.close(std::nullopt), std::nullopt);
    EXPECT_FALSE(dialog.canChange(std::nullopt));
}

TEST(LanSearchList, EmptyListAsksToRetry) {
    FakeLan lan;
    ScriptedPrompts prompts;
    prompts.retries = {true, false};
    LanSearchModel dialog(lan.functions(), prompts);
    EXPECT_FALSE(dialog.refresh());
    EXPECT_EQ(lan.searches, 2);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0],
              StringTable::instance().text(10129) + "|" + StringTable::instance().text(10131));
}

TEST(LanSearchList, ChangeSearchesAgainAfterOk) {
    FakeLan lan;
    lan.maker = lan.all = {"192.168.1.30-10001"};
    ScriptedPrompts prompts;
    LanSearchModel dialog(lan.functions(), prompts);
    ASSERT_TRUE(dialog.refresh());
    EXPECT_TRUE(dialog.change(0, [](const std::string &) { return false; }));
    EXPECT_EQ(lan.searches, 1);
    auto before = lan.clock;
    lan.maker = lan.all = {"192.168.1.31-10001"};
    EXPECT_TRUE(dialog.change(0, [](const std::string &address) { return address == "192.168.1.30-10001"; }));
    EXPECT_EQ(lan.clock - before, std::chrono::milliseconds(300));
    EXPECT_EQ(dialog.items().front().text, "192.168.1.31-10001");
}

TEST(LanConfigDialog, LoadsFixedAndDhcpReaders) {
    struct Case {
        LanSettingsText read;
        LanMode mode;
        std::string ip, name;
        int port;
    } cases[] = {
        {{"[READER01]-4001", "192.168.1.30-4001", "255.255.255.0", "192.168.1.1"},
         LanMode::FixedAddress,
         "192.168.1.30",
         "READER01",
         4001},
        {{"[READER01]-4002", "", "255.255.0.0", "0.0.0.0"}, LanMode::Dhcp, "", "READER01", 4002},
        {{"PLAINNAME", "", "255.255.0.0", "0.0.0.0"}, LanMode::Dhcp, "", "PLAINNAME", 10001},
        {{"[ABCDEFGHIJKLMNOP]-1", "", "", ""}, LanMode::Dhcp, "", "ABCDEFGHIJKLMNO", 1},  // 15 characters
    };
    for (const Case &c : cases) {
        FakeLan lan;
        lan.settings = c.read;
        ScriptedPrompts prompts;
        LanConfigModel dialog("192.168.1.30-10001", lan.functions(), prompts);
        dialog.load();
        const auto &f = dialog.fields();
        EXPECT_EQ(f.mode, c.mode) << c.read.name;
        EXPECT_EQ(f.ipAddress, c.ip) << c.read.name;
        EXPECT_EQ(f.dhcpName, c.name) << c.read.name;
        EXPECT_EQ(f.dhcpPort, c.port) << c.read.name;
        EXPECT_EQ(f.fixedPort, c.port) << c.read.name;
        EXPECT_EQ(dialog.view().ipAddressEnabled, c.mode == LanMode::FixedAddress);
        EXPECT_EQ(dialog.view().dhcpNameEnabled, c.mode == LanMode::Dhcp);
    }
}

TEST(LanConfigDialog, FailedReadLeavesNothingSelected) {
    FakeLan lan;
    lan.readResult = ORVEX_LAN_FAILED;
    ScriptedPrompts prompts;
    LanConfigModel dialog("192.168.1.30", lan.functions(), prompts);
    dialog.load();
    EXPECT_EQ(dialog.fields().mode, LanMode::NotLoaded);
    EXPECT_EQ(dialog.fields().fixedPort, 0);
    EXPECT_EQ(dialog.ok().kind, LanConfigOutcome::StayOpen);
    EXPECT_TRUE(lan.configured.empty());
}

TEST(LanConfigDialog, SwitchToDhcpSendsTheBracketedName) {
    FakeLan lan;
    lan.settings = {"[OLD]-10001", "192.168.1.30-10001", "255.255.255.0", "192.168.1.1"};
    ScriptedPrompts prompts;
    LanConfigModel dialog("192.168.1.30-10001", lan.functions(), prompts);
    dialog.load();
    dialog.fields().mode = LanMode::Dhcp;
    dialog.fields().dhcpName = "READER01";
    std::vector<int> progress;
    auto outcome = dialog.ok([&](int ms) { progress.push_back(ms); });
    EXPECT_EQ(outcome.kind, LanConfigOutcome::Done);
    ASSERT_EQ(lan.configured.size(), 1u);
    EXPECT_EQ(lan.configured[0], "192.168.1.30-10001 > [READER01]-10001 255.255.255.0 192.168.1.1");
    EXPECT_EQ(dialog.address(), "[READER01]-10001");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(LanConfigDialog, RejectsBlankOrZeroFixedAddress) {
    for (const char *ip : {"", "0.0.0.0", "300.1.1.1"}) {
        FakeLan lan;
        lan.settings = {"[R]-10001", "192.168.1.30-10001", "255.255.255.0", "0.0.0.0"};
        ScriptedPrompts prompts;
        LanConfigModel dialog("192.168.1.30-10001", lan.functions(), prompts);
        dialog.load();
        dialog.fields().ipAddress = ip;
        auto outcome = dialog.ok();
        EXPECT_EQ(outcome.kind, LanConfigOutcome::StayOpen) << ip;
        EXPECT_EQ(outcome.focus, LanConfigControl::IpAddress) << ip;
        EXPECT_EQ(prompts.messages, std::vector<std::string>{StringTable::instance().text(10128)}) << ip;
        EXPECT_TRUE(lan.configured.empty()) << ip;
    }
}

TEST(LanConfigDialog, FailedConfigureReportsAndReloads) {
    FakeLan lan;
    lan.settings = {"[R]-10001", "192.168.1.30-10001", "255.255.255.0", "0.0.0.0"};
    lan.configureResult = ORVEX_LAN_FAILED;
    ScriptedPrompts prompts;
    LanConfigModel dialog("192.168.1.30-10001", lan.functions(), prompts);
    dialog.load();
    dialog.fields().ipAddress = "192.168.1.31";
    EXPECT_EQ(dialog.ok().kind, LanConfigOutcome::StayOpen);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{StringTable::instance().text(10130)});
    EXPECT_EQ(dialog.fields().ipAddress, "192.168.1.30");  // loaded again
    EXPECT_EQ(dialog.address(), "192.168.1.30-10001");
}

TEST(LanConfigDialog, GivesUpWaitingAfter25Seconds) {
    FakeLan lan;
    lan.settings = {"[R]-10001", "192.168.1.30-10001", "255.255.255.0", "0.0.0.0"};
    lan.answersAtNewAddress = false;
    ScriptedPrompts prompts;
    LanConfigModel dialog("192.168.1.30-10001", lan.functions(), prompts);
    dialog.load();
    dialog.fields().ipAddress = "192.168.1.31";
    dialog.fields().fixedPort = 4001;
    int last = -1, steps = 0;
    auto start = lan.clock;
    EXPECT_EQ(dialog
                  .ok([&](int ms) {
                      last = ms;
                      ++steps;
                  })
                  .kind,
              LanConfigOutcome::Done);
    EXPECT_EQ(last, 25000);
    EXPECT_EQ(lan.clock - start, std::chrono::milliseconds(25000));
    EXPECT_EQ(dialog.address(), "192.168.1.31-4001");
}

}  // namespace
}  // namespace orvex::app
