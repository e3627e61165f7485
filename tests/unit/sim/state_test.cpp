// The state file: written after writes, loaded again on start, options over the file,
// factory blocks per reader type and factory reset.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host_port.h"
#include "sim/command_line.h"
#include "sim/reader_core.h"

namespace orvex::sim::test {
namespace {

namespace fs = std::filesystem;

class StateFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("orvex-sim-state-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        path_ = (dir_ / "reader.ini").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    Options options() const {
        Options o;
        o.stateFile = path_;
        return o;
    }
    std::string fileText() const {
        std::ifstream in(path_);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void send(ReaderCore &core, const Bytes &frame) {
        core.receive(frame.data(), frame.size(), Clock::now());
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(StateFile, WritesSurviveARestart) {
    ReaderState written;
    {
        ReaderCore core(options());
        EXPECT_EQ(fileText().find("KeyTable="), std::string::npos);  // factory table: not written
        send(core, stxFrame(1, 0x82, {0x41, 0x0D, 0xFF}));
        send(core, stxFrame(1, 0x12, {'z', 0x00, 0x1D}));
        send(core, stxFrame(1, 0x80, {0x01, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5}));
        send(core, stxFrame(1, 0xF4, {0x83}));
        send(core, stxFrame(1, 0xFE, {0x01}));
        send(core, stxFrame(1, 0xF9, {0x03, 0x01, 0x80}));
        written = core.state();
    }
    EXPECT_NE(fileText().find("Prefix=41 0D FF\n"), std::string::npos);
    EXPECT_NE(fileText().find("Key1=A0 A1 A2 A3 A4 A5\n"), std::string::npos);
    EXPECT_NE(fileText().find("PowerOn=3\n"), std::string::npos);
    EXPECT_NE(fileText().find("KeyTable="), std::string::npos);

    ReaderCore again(options());
    EXPECT_EQ(again.state(), written);
    EXPECT_EQ(written.deviceSettings, (Bytes{0x03, 0x01, 0x80}));
    EXPECT_EQ(written.dtr, 1);
}

TEST_F(StateFile, OptionsOverrideTheFileAndMissingKeysAreFactory) {
    {
        std::ofstream out(path_);
        out << "[Reader]\nVersion=1644\nVariant=1\nBaud=9600\n\n[Blocks]\nSuffix=0D 0A FF\n";
    }
    Options o = options();
    o.variant = 3;
    ReaderCore core(o);
    ReaderState s = core.state();
    EXPECT_EQ(s.version, "1644");
    EXPECT_EQ(s.variant, 3);
    EXPECT_EQ(s.baud, 9600);
    EXPECT_EQ(s.suffix, (Bytes{0x0D, 0x0A, 0xFF}));
    EXPECT_EQ(s.prefix, Bytes{0xFF});
    EXPECT_EQ(s.data.size(), 12u);  // 0x164 before version digit 7: basic data set
    EXPECT_NE(fileText().find("Variant=3\n"), std::string::npos);
}

TEST_F(StateFile, MalformedValuesRefuseToStart) {
    {
        std::ofstream out(path_);
        out << "[Blocks]\nPrefix=4G FF\n";
    }
    EXPECT_THROW(ReaderCore core(options()), std::runtime_error);
}

TEST(FactoryBlocks, FollowTheReaderType) {
    struct Case {
        const char *version;
        std::size_t dataLength;
        Bytes deviceSettings;
    };
    for (const Case &c :
         {Case{"1245", 12, {0x01, 0x00}}, Case{"1227", 11, {0x01, 0x00}}, Case{"1648", 13, {0x01, 0x00}},
          Case{"164U", 16, {0x01, 0x00}}, Case{"4543", 16, {0x01, 0x00}}, Case{"1555", 12, {30}}}) {
        SCOPED_TRACE(c.version);
        ReaderState identity;
        identity.version = c.version;
        ReaderState s = factoryState(identity);
        EXPECT_EQ(s.data.size(), c.dataLength);
        EXPECT_EQ(s.deviceSettings, c.deviceSettings);
        EXPECT_EQ(s.parameter, (Bytes{0x00, 10, '?', 5}));
        EXPECT_EQ(s.removal, Bytes{0xFF});
    }
    // Keyboard-wedge block: 5.0 ms delay, UID, no blocks, hex, 10 characters, 10 kHz, 180 ms.
    ReaderState wedge;
    wedge.version = "1233";
    EXPECT_EQ(factoryState(wedge).data, (Bytes{10, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 10, 5, 5}));
}

TEST_F(StateFile, FactoryResetRestoresBlocksButKeepsTheLink) {
    Options o = options();
    o.baud = 9603;
    o.address = 7;
    ReaderCore core(o);
    ReaderState fresh = core.state();
    send(core, stxFrame(7, 0x81, {0x00, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x08, 0, 0, 16, 1}));
    send(core, stxFrame(7, 0x83, {0x0D, 0xFF}));
    send(core, stxFrame(7, 0x24, {0x01}));
    send(core, stxFrame(7, 0x80, {0x23, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    send(core, stxFrame(7, 0xF4, {0x00}));
    ASSERT_NE(core.state(), fresh);

    auto answers = core.receive(stxFrame(7, 0xFB, {}).data(), 5, Clock::now());
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].bytes, stxFrame(7, 0x00, {}));
    EXPECT_EQ(core.state(), fresh);
    EXPECT_EQ(ReaderCore(options()).state(), fresh);  // the file holds the reset state
}

TEST(Options, ParseValuesAndRefuseBadOnes) {
    auto ok = parseCommandLine({"--variant", "2", "--address=5", "--status", "0x20", "--emit", "12\\r\\x41",
                                "--every", "50", "--wire-speed", "--chained"});
    ASSERT_EQ(ok.error, "");
    EXPECT_EQ(ok.reader.variant, 2);
    EXPECT_EQ(ok.reader.address, 5);
    EXPECT_EQ(ok.reader.status, 0x20);
    EXPECT_EQ(ok.reader.emit, (Bytes{'1', '2', '\r', 'A'}));
    EXPECT_TRUE(ok.reader.wireSpeed && ok.reader.chained);
    EXPECT_FALSE(ok.reader.baud);
    EXPECT_FALSE(ok.lan.enabled);

    auto lan = parseCommandLine({"--lan", "--lan-port=10002", "--lan-config-ip", "0.0.0.0", "--status", "3"});
    ASSERT_EQ(lan.error, "");
    EXPECT_TRUE(lan.lan.enabled);
    EXPECT_EQ(lan.lan.port, 10002);
    EXPECT_EQ(lan.reader.status, 3);

    for (auto bad : std::vector<std::vector<std::string>>{{"--variant", "4"},
                                                          {"--variant"},
                                                          {"--drop-every", "0"},
                                                          {"--baud", "fast"},
                                                          {"--bogus"},
                                                          {"--chained=1"},
                                                          {"--lan-port", "10002"},  // without --lan
                                                          {"--lan", "--lan-config-ip", "1.2.3"},
                                                          {"--lan", "--lan-name", "seventeen-letters"}}) {
        SCOPED_TRACE(bad[0]);
        EXPECT_NE(parseCommandLine(bad).error, "");
    }
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    EXPECT_NE(helpText().find("--lan-drop-after"), std::string::npos);
    const auto version = parseCommandLine({"--version"});
    EXPECT_TRUE(version.version);
    EXPECT_EQ(version.error, "");
    EXPECT_TRUE(versionText().starts_with("orvex-readersim ")) << versionText();  // with its version
    EXPECT_NE(parseCommandLine({"--version=1"}).error, "");                       // a switch, like every flag
}

}  // namespace
}  // namespace orvex::sim::test
