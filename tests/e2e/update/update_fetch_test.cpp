// The update check against servers on 127.0.0.1: version files over HTTP and
// HTTPS (certificate trusted only here), size caps, a server that never
// answers, and the installer download and start.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "common/local_http_server.h"
#include "common/minisign_keys.h"
#include "common/temp_folder.h"
#include "update/installer.h"
#include "update/update_checks.h"
#include "update/update_url.h"

namespace {

using namespace orvex::update;
using orvex::test::HttpReply;
using orvex::test::LocalHttpServer;
using orvex::test::MinisignKeys;

const std::string kProgramPath = "/rfid/software/RFIDVersionsHF.txt";
const std::string kDevicePath = "/rfid/software/RFIDDeviceVersions.txt";

std::string programFile(const std::string &version, const std::string &build,
                        const std::string &installer = {}) {
    return "[OrvexReaderSetup]\r\nVersion=" + version + "\r\nBuild=" + build + "\r\nInstaller=" + installer +
           "\r\n";
}

TEST(UpdateFetch, VersionFilesOverHttpAndHttps) {
    TempFolder dir;
    for (bool tls : {false, true}) {
        LocalHttpServer server(tls, dir.path().string());
        server.set(kProgramPath, {200, programFile("2.10", "2026-03-01")});
        server.set(kDevicePath, {200, "[Alias]\r\n124=Alder\r\n[Alder]\r\nVersion=1.09\r\n"});
        FetchOptions options;
        options.caFile = server.caFile();
        UpdateChecks checks(server.baseUrl(), options);
        checks.program().start();
        checks.device().start();

        const auto program =
            evaluateProgram(checks.program().result(std::chrono::hours(1)), "2.9", "2027-01-01");
        EXPECT_EQ(program.state, UpdateState::Newer) << server.baseUrl() << " " << program.error;
        EXPECT_EQ(program.newest.version, "2.10");
        const auto device = checks.deviceNow({"Alder-4", "124", "1.07"}, std::chrono::hours(1));
        EXPECT_EQ(device.state, UpdateState::Newer);
        const auto unknownType = checks.deviceNow({"Birch-2", "164", "1.07"}, std::chrono::hours(1));
        EXPECT_EQ(unknownType.state, UpdateState::NoEntry);
    }
}

TEST(UpdateFetch, CertificateVerificationStaysOn) {
    TempFolder dir;
    LocalHttpServer server(true, dir.path().string());
    server.set(kProgramPath, {200, programFile("2.10", "2026-03-01")});
    // Without the test's certificate the server is not trusted.
    const FetchResult result = fetchText(server.baseUrl() + kProgramPath, FetchOptions{});
    EXPECT_EQ(result.outcome, FetchResult::Outcome::Failed);
    EXPECT_TRUE(result.body.empty());
}

TEST(UpdateFetch, FailuresLeaveNoPartialText) {
    LocalHttpServer server;
    const std::string big(kVersionFileLimit + 1, 'x');
    const std::string whole = programFile("2.10", "2026-03-01");
    struct Case {
        const char *what;
        HttpReply reply;
        FetchResult::Outcome outcome;
    } cases[] = {
        {"too large", {200, big, 0}, FetchResult::Outcome::Failed},
        {"cut off", {200, whole, whole.size() / 2}, FetchResult::Outcome::Failed},
        {"missing", {404, "<html>gone</html>", 0}, FetchResult::Outcome::HttpError},
    };
    for (const Case &c : cases) {
        server.set("/f", c.reply);
        const FetchResult result = fetchText(server.baseUrl() + "/f", FetchOptions{});
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_TRUE(result.body.empty()) << c.what;
    }
}

TEST(UpdateFetch, SilentServerBoundsLookupsAndStops) {
    orvex::test::SilentServer silent;
    auto checks = std::make_unique<UpdateChecks>(silent.baseUrl());
    checks->program().start();
    // The lookup gives up after its bound instead of waiting for the transfer.
    const auto status = checks->programNow();
    EXPECT_EQ(status.state, UpdateState::Pending);
    EXPECT_FALSE(checks->program().done());
    checks.reset();  // stops the hanging transfer and joins the worker
}

TEST(UpdateFetch, BuiltInServerIsNeverContacted) {
    // The default name is reserved: refused before any name lookup.
    const FetchResult result = fetchText(versionFileUrl(builtInBaseUrl(), kProgramFileName), FetchOptions{});
    EXPECT_EQ(result.outcome, FetchResult::Outcome::Failed);
    EXPECT_NE(result.error.find("resolve"), std::string::npos);
}

// Serves body at path with its signature beside it, signed by keys.
void serveSigned(LocalHttpServer &server, const TempFolder &dir, const MinisignKeys &keys,
                 const std::string &path, const std::string &body, std::size_t cutAfter = 0) {
    const std::string file = dir.file("signing");
    TempFolder::write(file, body);
    keys.sign(file);
    server.set(path, {200, body, cutAfter});
    server.set(path + ".minisig", {200, TempFolder::read(file + ".minisig")});
    std::filesystem::remove(file);
    std::filesystem::remove(file + ".minisig");
}

// Waits (poll, no spinning) until a started installer writes a line to the FIFO.
std::string readFifo(const std::string &fifo) {
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::string text;
    pollfd p{fd, POLLIN, 0};
    while (text.find('\n') == std::string::npos && ::poll(&p, 1, 20000) > 0) {
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EAGAIN)
            break;
    }
    ::close(fd);
    return text;
}

TEST(UpdateInstaller, DownloadAndStartAProgram) {
    TempFolder dir;
    TempFolder keyDir;
    const MinisignKeys keys(keyDir.path(), "release");
    const std::string fifo = dir.file("started");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    LocalHttpServer server;
    serveSigned(server, keyDir, keys, "/setup/orvex-setup.run",
                "#!/bin/sh\necho \"started $0\" > " + fifo + "\n");
    const std::string versionUrl = server.baseUrl() + kProgramPath;

    const auto download = downloadInstaller(server.baseUrl() + "/setup/orvex-setup.run", versionUrl,
                                            dir.path().string(), keys.publicKey(), FetchOptions{});
    ASSERT_TRUE(download.ok) << download.message;
    EXPECT_EQ(download.path, dir.file("orvex-setup.run"));
    const auto start = startInstaller(download.path, keys.publicKey());
    ASSERT_TRUE(start.started) << start.message;
    EXPECT_EQ(readFifo(fifo), "started " + download.path + "\n");
}

TEST(UpdateInstaller, OtherFilesGoToTheOpener) {
    TempFolder dir;
    const MinisignKeys keys(dir.path(), "release");
    const std::string opener = dir.file("opener");
    const std::string fifo = dir.file("opened");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TempFolder::write(opener, "#!/bin/sh\necho \"opened $1\" > " + fifo + "\n");
    ::chmod(opener.c_str(), 0700);
    TempFolder::write(dir.file("orvex.deb"), "!<arch>\n");
    keys.sign(dir.file("orvex.deb"));
    const auto start = startInstaller(dir.file("orvex.deb"), keys.publicKey(), opener);
    ASSERT_TRUE(start.started) << start.message;
    EXPECT_EQ(readFifo(fifo), "opened " + dir.file("orvex.deb") + "\n");

    const auto missing = startInstaller(dir.file("gone.deb"), keys.publicKey(), opener);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.message, "The File\n\"" + dir.file("gone.deb") + "\"\ndoes not exist!");
}

TEST(UpdateInstaller, RefusedOrFailedDownloadsLeaveNothing) {
    TempFolder dir;
    TempFolder keyDir;
    const MinisignKeys keys(keyDir.path(), "release");
    LocalHttpServer server;
    const std::string body(100000, 'i');
    serveSigned(server, keyDir, keys, "/cut.run", body, 70000);
    serveSigned(server, keyDir, keys, "/big.run", body);
    const std::string versionUrl = server.baseUrl() + kProgramPath;
    struct Case {
        const char *what;
        std::string url;
        std::size_t limit;
    } cases[] = {
        {"cut off", server.baseUrl() + "/cut.run", kInstallerLimit},
        {"over the cap", server.baseUrl() + "/big.run", 65536},
        {"missing", server.baseUrl() + "/none.run", kInstallerLimit},
        {"other host", "http://localhost:1/x.run", kInstallerLimit},
        {"not https", "http://updates.qel.com/x.run", kInstallerLimit},
    };
    const int before = server.requests();
    for (const Case &c : cases) {
        const auto result = downloadInstaller(c.url, versionUrl, dir.path().string(), keys.publicKey(),
                                              FetchOptions{}, nullptr, c.limit);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_FALSE(result.message.empty()) << c.what;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.what;
    }
    // Refused addresses are never fetched; each fetched one asks for its signature first.
    EXPECT_EQ(server.requests() - before, 5);
}

}  // namespace
