// orvexctl with a Bluetooth reader behind the simulated dongle: search,
// connect, the remembered reader reached by every command, standby time.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>

#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "sim/dongle/dongle_options.h"
#include "sim/dongle/pty_dongle.h"

namespace {

using orvex::test::CtlRun;
using orvex::test::runOrvexctl;

class BtCommands : public ::testing::Test {
protected:
    void SetUp() override {
        orvex::sim::dongle::DongleCommandLine line;
        line.radioReaders = {"Orvex RT2851#0001", "Orvex RT2851#0002", "Phone,class=5A020C",
                             "Orvex RT2851#0004,silent-name"};
        ASSERT_EQ(orvex::sim::dongle::resolveRadioReaders(line), "");
        dongle_ = std::make_unique<orvex::sim::dongle::PtyDongle>(line.options, orvex::sim::Options{});
    }

    CtlRun ctl(std::vector<std::string> args) {
        args.insert(args.begin(), {"--lang", "en", "--port", dongle_->portName()});
        return runOrvexctl(config_.path(), args);
    }
    std::string settings() {
        return TempFolder::read((config_.path() / "Qel Applikationen/OrvexReaderSetup.ini").string());
    }

    TempFolder config_;
    std::unique_ptr<orvex::sim::dongle::PtyDongle> dongle_;
};

TEST_F(BtCommands, SearchListsEveryDeviceAddressAndName) {
    const CtlRun text = ctl({"bt", "search", "--seconds", "3"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out,
              "015B12258000 Orvex RT2851#0001\n"
              "025B12258000 Orvex RT2851#0002\n"
              "035B12258000 Phone\n"
              "045B12258000 \n");
    const CtlRun json = ctl({"--json", "bt", "search"});
    ASSERT_EQ(json.code, 0) << json.err;
    const auto doc = nlohmann::json::parse(json.out);
    ASSERT_EQ(doc.size(), 4u);
    EXPECT_EQ(doc[2], (nlohmann::json{{"address", "035B12258000"}, {"name", "Phone"}}));
}

TEST_F(BtCommands, ConnectRemembersTheReaderForEveryLaterCommand) {
    // Nothing remembered yet: a reader command says what to do.
    CtlRun run = ctl({"identify"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("bt connect"), std::string::npos) << run.err;

    run = ctl({"bt", "connect", "995B12258000"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "link status 4\n");
    EXPECT_EQ(ctl({"bt", "connect", "12345"}).code, 2);

    run = ctl({"bt", "connect", "015B12258000"});
    ASSERT_EQ(run.code, 0) << run.err;
    // The address as a little-endian number, in decimal.
    EXPECT_NE(settings().find("LastDevAddr=550377773825"), std::string::npos) << settings();

    run = ctl({"--json", "identify"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["version_answer"], "1551");
    EXPECT_TRUE(doc["capabilities"].get<int>() & 0x800) << doc;

    // The link is released when each command ends.
    EXPECT_FALSE(dongle_->core().linkedReader());
}

TEST_F(BtCommands, StandbyTimeInStepsOfTenSeconds) {
    ASSERT_EQ(ctl({"bt", "connect", "015B12258000"}).code, 0);
    EXPECT_EQ(ctl({"bt", "standby", "get"}).out, "300\n");
    ASSERT_EQ(ctl({"bt", "standby", "set", "15"}).code, 0);
    EXPECT_EQ(ctl({"bt", "standby", "get"}).out, "10\n");
    EXPECT_EQ(dongle_->core().reader(0).state().deviceSettings, (orvex::sim::Bytes{1}));
    for (const char *bad : {"5", "2510", "ten"}) {
        const CtlRun run = ctl({"bt", "standby", "set", bad});
        EXPECT_EQ(run.code, 2) << bad;
        EXPECT_EQ(dongle_->core().reader(0).state().deviceSettings, (orvex::sim::Bytes{1})) << bad;
    }
}

}  // namespace
