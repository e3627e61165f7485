// orvexctl as a user runs it: against a simulated reader, with its settings
// in a temporary XDG_CONFIG_HOME, checking output, JSON and exit codes.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/orvexctl_runner.h"
#include "sim/pty_reader.h"
#include "sim/reader_state.h"

namespace {

using orvex::test::CtlRun;

std::string readFile(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CliE2E : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orvex-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        sim_.reset();
        std::filesystem::remove_all(dir_);
    }

    void startReader(const char *version = "1245", std::vector<std::uint8_t> emit = {}) {
        orvex::sim::Options o;
        o.versionAnswer = version;
        o.emit = std::move(emit);
        o.everyMs = o.emit.empty() ? 0 : 400;  // records well apart even on a loaded machine
        sim_ = std::make_unique<orvex::sim::PtyReader>(o);
    }
    const std::string &port() const { return sim_->slavePath(); }

    // Runs orvexctl with stdin from /dev/null (not a terminal).
    CtlRun ctl(const std::vector<std::string> &args) {
        return orvex::test::runOrvexctl(dir_ / "config", args);
    }

    std::filesystem::path dir_;
    std::unique_ptr<orvex::sim::PtyReader> sim_;
};

}  // namespace

TEST_F(CliE2E, IdentifyJsonParsesBack) {
    startReader("164U");
    const CtlRun r = ctl({"--port", port(), "--json", "identify"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j.at("port"), port());
    EXPECT_EQ(j.at("version_answer"), "164U");
    EXPECT_EQ(j.at("type_code"), "164");
    EXPECT_EQ(j.at("model"), "Elm-4");
    EXPECT_EQ(j.at("version_digit"), 30);
    EXPECT_EQ(j.at("capabilities"), 0x7f1f1);
    const std::string title = j.at("title");
    EXPECT_EQ(title.substr(title.size() - 9), "FW V1.30>") << title;
    EXPECT_EQ(j.size(), 7u);
}

TEST_F(CliE2E, UseStoresTheInterfaceForLaterRuns) {
    startReader();
    ASSERT_EQ(ctl({"use", "--port", port(), "--baud", "19200", "--address", "1"}).code, 0);
    const std::string ini = readFile(dir_ / "config" / "Qel Applikationen" / "OrvexReaderSetup.ini");
    EXPECT_NE(ini.find("Name=" + port() + "\r\n"), std::string::npos) << ini;

    const CtlRun identify = ctl({"--lang", "en", "identify"});
    ASSERT_EQ(identify.code, 0) << identify.err;
    EXPECT_NE(identify.out.find("Alder-4"), std::string::npos);
    EXPECT_NE(identify.out.find("Version answer"), std::string::npos) << identify.out;

    const CtlRun report = ctl({"report"});
    ASSERT_EQ(report.code, 0) << report.err;
    EXPECT_EQ(report.out.substr(0, 23), " Prefix            : \r\n");
    EXPECT_NE(report.out.find(" Datenformat       : "), std::string::npos);
}

TEST_F(CliE2E, ExitCodesAndMessagesNameThePort) {
    startReader("1174");
    const std::string missing = (dir_ / "no-such-port").string();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string inStderr;
    } cases[] = {
        {{"--port", missing, "identify"}, 1, missing},
        {{"--port", port(), "identify"}, 1, port()},               // unsupported type
        {{"--port", port(), "identify"}, 1, "nicht unterstützt"},  // message 523
        {{"--port", missing, "--lang", "en", "report"}, 1, "--port"},
        {{"frobnicate"}, 2, ""},
        {{"--port", port(), "power-on", "set", "fast"}, 2, ""},
        {{"--address", "300", "--port", port(), "identify"}, 2, "--address"},
        {{"--port", port(), "factory-reset"}, 2, "--yes"},  // stdin is no terminal
        {{"--port", port(), "transceive", "F"}, 2, "F"},
    };
    for (const auto &c : cases) {
        const CtlRun r = ctl(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.back() << ": " << r.err;
        EXPECT_NE(r.err.find(c.inStderr), std::string::npos) << r.err;
    }
}

TEST_F(CliE2E, ReaderSettingCommands) {
    startReader("4345");
    sim_->modifyState([](orvex::sim::ReaderState &s) { s.prefix = {0x41, 0xFF}; });
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out;
    } cases[] = {
        {{"power-on", "set", "silent"}, 0, ""},
        {{"--json", "power-on", "get"}, 0, R"({"port":"PORT","power_on":"silent","value":3})"},
        {{"tx-power", "set", "--iso14443", "half"}, 0, "Antennenleistung wurde erfolgreich gesetzt!\n"},
        {{"--json", "tx-power", "get"}, 0, R"({"iso14443":"half","iso15693":"full","port":"PORT"})"},
        {{"--json", "tx-power", "set", "--iso15693", "full"},
         0,
         R"({"iso14443":"half","iso15693":"full","port":"PORT"})"},
        {{"tx-power", "set"}, 2, ""},  // nothing to set
        {{"--json", "power-on", "set", "reader"}, 0, R"({"port":"PORT","power_on":"reader","value":1})"},
        {{"transceive", "F0"}, 0, "34 33 34 35\n"},
        {{"--no", "factory-reset"}, 1, ""},  // declined is no success
    };
    for (auto &c : cases) {
        std::vector<std::string> args = {"--port", port()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CtlRun r = ctl(args);
        EXPECT_EQ(r.code, c.code) << c.args.back() << ": " << r.err;
        std::string expected = c.out;
        if (auto at = expected.find("PORT"); at != std::string::npos) expected.replace(at, 4, port());
        if (!expected.empty()) {
            EXPECT_EQ(r.out, expected + (expected.back() == '\n' ? "" : "\n"));
        }
    }
    EXPECT_EQ(sim_->state().prefix, (orvex::sim::Bytes{0x41, 0xFF}));  // "--no" sent nothing
    const CtlRun reset = ctl({"--port", port(), "--yes", "--json", "factory-reset"});
    EXPECT_EQ(reset.code, 0) << reset.err;
    EXPECT_EQ(reset.out, R"({"factory_reset":true,"port":")" + port() + "\"}\n");
    EXPECT_NE(sim_->state().prefix, (orvex::sim::Bytes{0x41, 0xFF}));
    EXPECT_EQ(sim_->state().outputMode, 2);
}

TEST_F(CliE2E, FunctionsTheReaderLacksAreRefused) {
    startReader("1245");
    for (auto args : {std::vector<std::string>{"power-on", "get"}, {"tx-power", "get"}}) {
        args.insert(args.begin(), {"--port", port()});
        const CtlRun r = ctl(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("Alder-4"), std::string::npos) << r.err;
    }
}

TEST_F(CliE2E, MonitorPrintsRecords) {
    startReader("1245", {'1', '2', '\r'});
    const CtlRun r = ctl({"--port", port(), "--json", "monitor", "--records", "2", "--seconds", "5"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        const auto j = nlohmann::json::parse(line);
        EXPECT_EQ(j.at("record"), ++n);
        EXPECT_EQ(j.at("hex"), "31 32 0D ");
        EXPECT_EQ(j.at("ascii"), "1   2   \r   ");
    }
    EXPECT_EQ(n, 2);
    EXPECT_EQ(sim_->state().outputMode, 2);
}

// Every --json run prints one document, failures included.
TEST_F(CliE2E, JsonFailuresAreOneDocument) {
    CtlRun r = ctl({"--json", "--port", (dir_ / "nonexist").string(), "identify"});
    EXPECT_EQ(r.code, 1);
    nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_TRUE(j.is_object()) << r.out;
    EXPECT_EQ(j["code"], 1);
    EXPECT_FALSE(j["error"].get<std::string>().empty());
}

// A settings file that cannot be written fails "use", naming it.
TEST_F(CliE2E, UseFailsWhenTheSettingsFileCannotBeWritten) {
    const auto settings = dir_ / "config" / "Qel Applikationen" / "OrvexReaderSetup.ini";
    std::filesystem::create_directories(settings);
    CtlRun r = ctl({"use", "--port", "/dev/ttyS7"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("OrvexReaderSetup.ini"), std::string::npos) << r.err;
}
