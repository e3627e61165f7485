// orvexctl on a simulated USB reader in keyboard mode: listed, identified,
// configured by its list name; its key table read, compared and written;
// a switchable one switched to virtual COM mode.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>

#include "common/hid_sim_reader.h"
#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "sim/key_table.h"

namespace orvex::test {
namespace {

using namespace std::chrono_literals;

class OrvexctlUsb : public ::testing::Test {
protected:
    CtlRun run(std::vector<std::string> args) {
        return runOrvexctl(config.path(), std::move(args), {"LANG=C", sim.folderEnv()});
    }
    nlohmann::json json(const CtlRun &r) { return nlohmann::json::parse(r.out, nullptr, false); }

    TempFolder config;
    HidSimReader sim{"us"};
};

TEST_F(OrvexctlUsb, ListedIdentifiedAndConfiguredByListName) {
    CtlRun list = run({"--json", "interfaces"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(json(list).dump().find("\"USB: 73011234 HID\""), std::string::npos) << list.out;
    list = run({"interfaces"});
    EXPECT_TRUE(std::regex_search(list.out, std::regex("USB: 73011234 HID +\\(USB-Tastatur \\(HID\\)\\)\n")))
        << list.out;

    for (const char *port : {"73011234 HID", "USB: 73011234 HID"}) {
        CtlRun identify = run({"--port", port, "--json", "identify"});
        ASSERT_EQ(identify.code, 0) << identify.err;
        EXPECT_EQ(json(identify)["version_answer"], "1245");
    }

    const std::string file = config.file("reader.mkr");
    sim.reader().modifyState([](sim::ReaderState &s) { s.prefix = {0x02, 'P', 0xFF}; });
    CtlRun read = run({"--port", "73011234 HID", "--json", "--no", "read-config", file});
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(json(read)["blocks"]["prefix"], "02 50 FF");
    EXPECT_NE(TempFolder::read(file).find("[HID_KEYS]"), std::string::npos);

    sim.reader().modifyState([](sim::ReaderState &s) { s.prefix = {0xFF}; });
    CtlRun program = run({"--port", "73011234 HID", "--json", "--no", "program", file});
    ASSERT_EQ(program.code, 0) << program.err;
    EXPECT_EQ(json(program)["outcome"], "done");
    EXPECT_EQ(sim.reader().state().prefix, (std::vector<std::uint8_t>{0x02, 'P', 0xFF}));
}

TEST_F(OrvexctlUsb, KeyTableGetCompareSet) {
    const std::vector<std::string> port = {"--port", "73011234 HID"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), port.begin(), port.end());
        return run(args);
    };
    // The US reader differs from this computer's (German) layout.
    CtlRun compare = with({"--json", "keytable", "compare"});
    EXPECT_EQ(compare.code, 1);
    EXPECT_GT(json(compare)["differences"].get<int>(), 0);

    const std::string file = config.file("keys.mkr");
    ASSERT_EQ(with({"keytable", "get", file}).code, 0);
    EXPECT_NE(TempFolder::read(file).find("ScanCode003Shift=@"), std::string::npos);

    CtlRun set = with({"--json", "keytable", "set"});
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_TRUE(json(set)["ok"].get<bool>());
    EXPECT_EQ(sim.reader().state().keyTable, sim::factoryKeyTable());
    EXPECT_EQ(with({"keytable", "compare"}).code, 0);

    // Back to the saved US table; a file without the section is refused.
    ASSERT_EQ(with({"keytable", "set", file}).code, 0);
    EXPECT_EQ(with({"keytable", "compare", file}).code, 0);
    TempFolder::write(config.file("empty.mkr"), "[Daten]\r\n");
    CtlRun refused = with({"keytable", "set", config.file("empty.mkr")});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("HID_KEYS"), std::string::npos);
}

// A switchable reader (6401-6415) leaves for its virtual COM port; the way
// back needs that port listed as the maker's, which the umockdev testbed
// gives (tests/umockdev/usb_mode_cli_test.cpp).
TEST(OrvexctlUsbMode, SwitchableReaderSwitchesToVirtualCom) {
    TempFolder config;
    HidSimReader sim("us", "6401-1234");
    auto run = [&](std::vector<std::string> args) {
        return runOrvexctl(config.path(), std::move(args), {"LANG=C", sim.folderEnv()});
    };
    CtlRun already = run({"--port", "6401-1234 HID", "usb-mode", "hid"});
    EXPECT_EQ(already.code, 0) << already.err;
    CtlRun toVcom = run({"--port", "6401-1234 HID", "usb-mode", "vcom", "--force"});
    ASSERT_EQ(toVcom.code, 0) << toVcom.err;
    ASSERT_TRUE(sim.reader().waitForMode(sim::hid::UsbMode::VirtualCom, 2s));
    const std::string tty = sim.reader().path();
    // On its virtual COM port the reader has no key table to offer.
    EXPECT_EQ(run({"--port", tty, "keytable", "get"}).code, 1);
}

}  // namespace
}  // namespace orvex::test
