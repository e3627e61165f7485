// What counts as an answer of the update server: only status 200 with a file
// that has the expected section, delivered within the total time limit.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "common/local_http_server.h"
#include "common/minisign_keys.h"
#include "common/temp_folder.h"
#include "update/installer.h"
#include "update/update_checks.h"

namespace {

using namespace orvex::update;
using namespace std::chrono_literals;
using orvex::test::HttpReply;
using orvex::test::LocalHttpServer;

const std::string kProgramPath = "/rfid/software/RFIDVersionsHF.txt";
const std::string kDevicePath = "/rfid/software/RFIDDeviceVersions.txt";
const std::string kGoodProgram = "[OrvexReaderSetup]\r\nVersion=2.10\r\nBuild=2026-03-01\r\n";
const std::string kGoodDevice = "[Alias]\r\n124=Alder\r\n[Alder]\r\nVersion=1.09\r\n";

TEST(UpdateAnswers, OnlyAGoodVersionFileIsAnAnswer) {
    LocalHttpServer server;
    struct Case {
        const char *what;
        HttpReply reply;
    } unusable[] = {
        {"not found", {404, "<html>gone</html>"}},
        {"server error", {500, kGoodProgram + kGoodDevice}},
        {"redirect", {302, ""}},
        {"other success", {203, kGoodProgram + kGoodDevice}},
        {"empty", {200, ""}},
        {"HTML page", {200, "<!DOCTYPE html><html><body>Version=9.9</body></html>"}},
        {"garbage", {200, std::string("\x00\xff\x13[\x7f", 5)}},
    };
    const orvex::app::DeviceIdentity alder{"Alder-4", "124", "1.07"};
    for (const Case &c : unusable) {
        server.set(kProgramPath, c.reply);
        server.set(kDevicePath, c.reply);
        UpdateChecks checks(server.baseUrl());
        checks.program().start();
        checks.device().start();
        const auto program = checks.programNow(1h);
        const auto device = checks.deviceNow(alder, 1h);
        EXPECT_EQ(program.state, UpdateState::Unusable) << c.what;
        EXPECT_EQ(device.state, UpdateState::Unusable) << c.what;
        EXPECT_FALSE(program.error.empty()) << c.what;
    }

    // A good device file without this reader type is an answer: no entry.
    server.set(kProgramPath, {200, kGoodProgram});
    server.set(kDevicePath, {200, "[Alias]\r\n164=Birch\r\n"});
    UpdateChecks checks(server.baseUrl());
    checks.program().start();
    checks.device().start();
    EXPECT_EQ(checks.programNow(1h).state, UpdateState::Newer);
    EXPECT_EQ(checks.deviceNow(alder, 1h).state, UpdateState::NoEntry);
}

TEST(UpdateAnswers, ATricklingServerRunsIntoTheTotalLimit) {
    TempFolder dir;
    LocalHttpServer server;
    FetchOptions options;
    options.totalTime = 2s;  // the limit is a parameter: no test waits the real 30 s
    server.set(kProgramPath, {200, kGoodProgram, 0, 300ms});
    const FetchResult text = fetchText(server.baseUrl() + kProgramPath, options);
    EXPECT_EQ(text.outcome, FetchResult::Outcome::Failed);
    EXPECT_EQ(text.error, "not complete within 2 s");
    EXPECT_TRUE(text.body.empty());

    // An installer gets the limit plus its announced size at 50 KiB/s: 100 KiB get 4 s.
    // (A server of its own: the first one may still be trickling to nobody.)
    LocalHttpServer installerServer;
    const orvex::test::MinisignKeys keys(dir.path(), "release");
    const std::string body(100 * 1024, 'i');
    TempFolder::write(dir.file("i.run"), body);
    keys.sign(dir.file("i.run"));
    installerServer.set("/i.run", {200, body, 0, 300ms});
    installerServer.set("/i.run.minisig", {200, TempFolder::read(dir.file("i.run.minisig"))});
    TempFolder target;
    const auto installer =
        downloadInstaller(installerServer.baseUrl() + "/i.run", installerServer.baseUrl() + kProgramPath,
                          target.path().string(), keys.publicKey(), options);
    EXPECT_FALSE(installer.ok);
    EXPECT_NE(installer.message.find("not complete within 4 s"), std::string::npos) << installer.message;
    EXPECT_TRUE(std::filesystem::is_empty(target.path()));
}

}  // namespace
