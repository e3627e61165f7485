// orvexctl update check and update download against servers on 127.0.0.1:
// what is no answer is "not possible" (never "up to date"), a trickling
// server runs into the time limit, a version file's control characters reach
// no terminal, and only a verified installer is kept.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "common/local_http_server.h"
#include "common/minisign_keys.h"
#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "sim/pty_reader.h"

namespace {

using namespace std::chrono_literals;
using orvex::test::CtlRun;
using orvex::test::HttpReply;
using orvex::test::LocalHttpServer;
using orvex::test::MinisignKeys;

namespace fs = std::filesystem;

const std::string kProgramPath = "/rfid/software/RFIDVersionsHF.txt";
const std::string kDevicePath = "/rfid/software/RFIDDeviceVersions.txt";
const std::string kCurrentProgram = "[OrvexReaderSetup]\nVersion=0.1\nBuild=2000-01-01\n";

class UpdateAnswersCli : public ::testing::Test {
protected:
    CtlRun ctl(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), {"--lang", "en"});
        env.push_back("ORVEX_UPDATE_BASE_URL=" + server_.baseUrl());
        return orvex::test::runOrvexctl(dir_.path() / "config", args, env);
    }

    void trustKey(const std::string &publicKey) {
        const fs::path folder = dir_.path() / "config" / "Qel Applikationen";
        fs::create_directories(folder);
        TempFolder::write((folder / "OrvexReaderSetup.ini").string(),
                          "[Version]\r\nPublicKey=" + publicKey + "\r\n");
    }

    TempFolder dir_;
    LocalHttpServer server_;
};

TEST_F(UpdateAnswersCli, NoVersionFileIsNotPossibleNeverUpToDate) {
    struct Case {
        const char *what;
        HttpReply reply;
        const char *reason;
    } cases[] = {
        {"not found", {404, "<html>gone</html>"}, "HTTP status 404"},
        {"server error", {500, ""}, "HTTP status 500"},
        {"redirect", {301, ""}, "HTTP status 301"},
        {"empty", {200, ""}, "no [OrvexReaderSetup] section"},
        {"HTML", {200, "<html><body>Version=9.0</body></html>"}, "no [OrvexReaderSetup] section"},
        {"garbage", {200, "\x01\x02\xff\xfe garbage"}, "no [OrvexReaderSetup] section"},
        {"other product only", {200, "[Other]\nVersion=9.0\n"}, "no [OrvexReaderSetup] section"},
        {"no version", {200, "[OrvexReaderSetup]\nInstaller=x\n"}, "no Version or Build"},
    };
    for (const Case &c : cases) {
        server_.set(kProgramPath, c.reply);
        const CtlRun r = ctl({"--json", "update", "check"});
        EXPECT_EQ(r.code, 1) << c.what << ": " << r.out;
        const auto out = nlohmann::json::parse(r.out);
        EXPECT_EQ(out.at("code"), 1) << c.what;
        const std::string error = out.at("error");
        EXPECT_NE(error.find("Update check not possible"), std::string::npos) << c.what << ": " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }

    // The reader's file: an error page is no answer; a good file without the type still is one.
    orvex::sim::Options o;
    o.versionAnswer = "1247";
    orvex::sim::PtyReader reader(o);
    server_.set(kProgramPath, {200, kCurrentProgram});
    server_.set(kDevicePath, {404, "gone"});
    const CtlRun missing = ctl({"--port", reader.slavePath(), "update", "check"});
    EXPECT_EQ(missing.code, 1) << missing.out;
    EXPECT_NE(missing.err.find(server_.baseUrl() + kDevicePath), std::string::npos) << missing.err;
    server_.set(kDevicePath, {200, "[Alias]\n164=Birch\n"});
    const CtlRun absent = ctl({"--port", reader.slavePath(), "update", "check"});
    EXPECT_EQ(absent.code, 0) << absent.err;
    EXPECT_NE(absent.out.find("not in the version file"), std::string::npos) << absent.out;
}

TEST_F(UpdateAnswersCli, ATricklingServerEndsWithAClearFailure) {
    server_.set(kProgramPath, {200, kCurrentProgram, 0, 300ms});
    const CtlRun r = ctl({"update", "check"}, {"ORVEX_UPDATE_TIME_LIMIT_MS=1000"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Update check not possible"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("not complete within 1 s"), std::string::npos) << r.err;
}

TEST_F(UpdateAnswersCli, ControlCharactersAreShownNotObeyed) {
    server_.set(kProgramPath, {200,
                               "[OrvexReaderSetup]\nVersion=9.\x1b[2J1\nBuild=2026\x07-01-01\n"
                               "Installer=http://x/\x1b]0;title\x07.run\n"});
    const CtlRun text = ctl({"update", "check"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out.find('\x1b'), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find('\x07'), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("9.\u241b[2J1"), std::string::npos) << text.out;

    const CtlRun json = ctl({"--json", "update", "check"});
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out.find('\x1b'), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\\u001b[2J"), std::string::npos) << json.out;
    EXPECT_EQ(nlohmann::json::parse(json.out).at("program").at("newest"), "9.\x1b[2J1");
}

TEST_F(UpdateAnswersCli, DownloadKeepsOnlyAVerifiedInstaller) {
    const MinisignKeys keys(dir_.path(), "release");
    const std::string body = "#!/bin/sh\ntouch '" + dir_.file("ran") + "'\n";
    TempFolder::write(dir_.file("signed.run"), body);
    keys.sign(dir_.file("signed.run"));
    const std::string signature = TempFolder::read(dir_.file("signed.run.minisig"));
    server_.set(kProgramPath, {200, "[OrvexReaderSetup]\nVersion=99.0\nBuild=2099-01-01\nInstaller=" +
                                        server_.baseUrl() + "/setup/orvex.run\n"});
    server_.set("/setup/orvex.run", {200, body});
    server_.set("/setup/orvex.run.minisig", {200, signature});
    const fs::path target = dir_.path() / "installers";
    fs::create_directories(target);

    // No key: refused, naming the setting.
    const CtlRun noKey = ctl({"update", "download", target.string()});
    EXPECT_EQ(noKey.code, 1);
    EXPECT_NE(noKey.err.find("[Version] PublicKey="), std::string::npos) << noKey.err;
    EXPECT_TRUE(fs::is_empty(target));

    trustKey(keys.publicKey());
    const CtlRun good = ctl({"--json", "update", "download", target.string()});
    ASSERT_EQ(good.code, 0) << good.err;
    const std::string path = (target / "orvex.run").string();
    EXPECT_EQ(nlohmann::json::parse(good.out),
              (nlohmann::json{{"path", path}, {"version", "99.0"}, {"verified", true}}));
    EXPECT_EQ(TempFolder::read(path), body);
    EXPECT_EQ(TempFolder::read(path + ".minisig"), signature);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::owner_exec,
              fs::perms::none);  // never made runnable
    fs::remove(path);
    fs::remove(path + ".minisig");

    // A changed installer: exit 1 with the reason, nothing kept.
    server_.set("/setup/orvex.run", {200, body + "rm -rf ~\n"});
    const CtlRun tampered = ctl({"update", "download", target.string()});
    EXPECT_EQ(tampered.code, 1);
    EXPECT_NE(tampered.err.find("does not match the file"), std::string::npos) << tampered.err;
    EXPECT_TRUE(fs::is_empty(target));

    // Nothing newer: nothing to download.
    server_.set(kProgramPath, {200, kCurrentProgram});
    const CtlRun current = ctl({"update", "download", target.string()});
    EXPECT_EQ(current.code, 1);
    EXPECT_NE(current.err.find("up to date"), std::string::npos) << current.err;
    EXPECT_FALSE(fs::exists(dir_.file("ran")));
}

}  // namespace
