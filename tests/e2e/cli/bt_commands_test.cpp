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

    // A configuration read back and programmed again through the link.
    const std::string file = (config_.path() / "reader.mkr").string();
    run = ctl({"read-config", file});
    ASSERT_EQ(run.code, 0) << run.err;
    run = ctl({"--yes", "program", file});
    EXPECT_EQ(run.code, 0) << run.err;

    // The link is released when each command ends.
    EXPECT_FALSE(dongle_->core().linkedReader());

    // Stored as the interface, with its kind prefix, it needs no --port.
    ASSERT_EQ(runOrvexctl(config_.path(), {"use", "--port", dongle_->portName()}).code, 0);
    EXPECT_NE(settings().find("Name=Bluetooth: " + dongle_->portName()), std::string::npos) << settings();
    run = runOrvexctl(config_.path(), {"identify"});
    EXPECT_EQ(run.code, 0) << run.err;
}

TEST_F(BtCommands, ConnectRemembersTheNameTheReaderTells) {
    ASSERT_EQ(ctl({"bt", "connect", "025B12258000"}).code, 0);
    EXPECT_NE(settings().find("LastDevName=Orvex RT2851#0002\r\n"), std::string::npos) << settings();
    // A reader that tells no name is remembered by its address.
    ASSERT_EQ(ctl({"bt", "connect", "045B12258000"}).code, 0);
    EXPECT_NE(settings().find("LastDevName=045B12258000\r\n"), std::string::npos) << settings();
}

TEST_F(BtCommands, JsonCodeIsTheExitCode) {
    // Names that are no dongle, and a dongle line that is not there.
    const std::pair<std::string, int> cases[] = {{" BT", 2}, {"/dev/orvex-no-such-tty BT", 1}};
    for (const auto &[port, exitCode] : cases) {
        for (const char *command : {"search", "connect"}) {
            std::vector<std::string> args = {"--port", port, "--json", "bt", command};
            if (std::string(command) == "connect") args.push_back("015B12258000");
            const CtlRun run = runOrvexctl(config_.path(), args);
            EXPECT_EQ(run.code, exitCode) << port << ' ' << command;
            const auto doc = nlohmann::json::parse(run.out, nullptr, false);
            EXPECT_EQ(doc.value("code", -1), run.code) << port << ' ' << command << ": " << run.out;
            EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;  // one document
        }
    }
}

TEST_F(BtCommands, StandbyTimeInStepsOfTenSeconds) {
    const CtlRun none = ctl({"bt", "standby", "get"});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("bt connect"), std::string::npos) << none.err;
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
