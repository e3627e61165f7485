// orvexctl update check against a version file server on 127.0.0.1 and a
// simulated reader.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/local_http_server.h"
#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "sim/pty_reader.h"

namespace {

using orvex::test::CtlRun;
using orvex::test::LocalHttpServer;

const std::string kProgramPath = "/rfid/software/RFIDVersionsHF.txt";
const std::string kDevicePath = "/rfid/software/RFIDDeviceVersions.txt";

class UpdateCheckCli : public ::testing::Test {
protected:
    CtlRun ctl(const std::string &baseUrl, std::vector<std::string> args) {
        args.insert(args.begin(), {"--lang", "en"});
        return orvex::test::runOrvexctl(dir_.path() / "config", args, {"ORVEX_UPDATE_BASE_URL=" + baseUrl});
    }

    TempFolder dir_;
    LocalHttpServer server_;
};

TEST_F(UpdateCheckCli, ProgramVersionsAsJson) {
    // The program's own version is the build's (1.x); these files are newer, equal or older.
    struct Case {
        std::string file;
        bool newer;
        nlohmann::json newest, build, installer;
    } cases[] = {
        {"[OrvexReaderSetup]\nVersion=2.10\nBuild=2026-03-01\nInstaller=" + server_.baseUrl() + "/i.deb\n",
         true, "2.10", "2026-03-01", server_.baseUrl() + "/i.deb"},
        {"[OrvexReaderSetup]\nVersion=0.9\nBuild=2999-01-01\n", false, "0.9", "2999-01-01", nullptr},
        {"[OrvexReaderSetup]\nVersion=2.\xff\xfe\nBuild=\x80\n", true, "2.\xef\xbf\xbd\xef\xbf\xbd",
         "\xef\xbf\xbd", nullptr},
    };
    for (const Case &c : cases) {
        server_.set(kProgramPath, {200, c.file, 0});
        const CtlRun r = ctl(server_.baseUrl(), {"--json", "update", "check"});
        ASSERT_EQ(r.code, 0) << r.err;
        const auto out = nlohmann::json::parse(r.out);
        EXPECT_FALSE(out.contains("device"));
        const auto &p = out.at("program");
        EXPECT_EQ(p.at("newer"), c.newer) << c.file;
        EXPECT_EQ(p.at("newest"), c.newest) << c.file;
        EXPECT_EQ(p.at("build"), c.build) << c.file;
        EXPECT_EQ(p.at("installer"), c.installer) << c.file;
        EXPECT_TRUE(p.at("current").is_string());
    }
}

TEST_F(UpdateCheckCli, ReaderFirmwareWithPort) {
    orvex::sim::Options o;
    o.versionAnswer = "1247";
    orvex::sim::PtyReader reader(o);
    server_.set(kProgramPath, {200, "[OrvexReaderSetup]\nVersion=0.1\nBuild=2000-01-01\n", 0});
    server_.set(kDevicePath, {200, "[Alias]\n124=Alder\n[Alder]\nVersion=1.09\n", 0});
    const CtlRun r = ctl(server_.baseUrl(), {"--port", reader.slavePath(), "--json", "update", "check"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto device = nlohmann::json::parse(r.out).at("device");
    EXPECT_EQ(device, (nlohmann::json{{"type_code", "124"},
                                      {"section", "Alder"},
                                      {"current", "1.07"},
                                      {"newest", "1.09"},
                                      {"newer", true}}));

    server_.set(kDevicePath, {200, "[Alias]\n164=Birch\n", 0});
    const CtlRun text = ctl(server_.baseUrl(), {"--port", reader.slavePath(), "update", "check"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("not in the version file"), std::string::npos) << text.out;
}

TEST_F(UpdateCheckCli, UnreachableServerIsExitOne) {
    const std::string deadUrl = [] {
        LocalHttpServer gone;
        return gone.baseUrl();
    }();  // the port is closed again: connections are refused
    const CtlRun r = ctl(deadUrl, {"update", "check"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot be reached"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(deadUrl + kProgramPath), std::string::npos) << r.err;
}

}  // namespace
