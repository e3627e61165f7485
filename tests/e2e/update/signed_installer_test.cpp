// Installers from 127.0.0.1 signed with a minisign key pair made here: only a
// file whose signature verifies with the configured key is kept and started;
// every tampered, foreign or unsigned one is discarded with nothing run.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/local_http_server.h"
#include "common/minisign_keys.h"
#include "common/temp_folder.h"
#include "update/installer.h"
#include "update/minisign.h"

namespace {

using namespace orvex::update;
using orvex::test::LocalHttpServer;
using orvex::test::MinisignKeys;

namespace fs = std::filesystem;

const std::string kVersionPath = "/rfid/software/RFIDVersionsHF.txt";
const std::string kInstallerPath = "/setup/orvex-setup.run";

void flipByte(std::string &text, std::size_t at) { text[at] = static_cast<char>(text[at] ^ 0x01); }

// The signature file's lines: 0 untrusted comment, 1 signature, 2 trusted comment, 3 global signature.
std::string &line(std::vector<std::string> &lines, std::size_t index) { return lines.at(index); }

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string joinLines(const std::vector<std::string> &lines) {
    std::string text;
    for (const auto &l : lines) text += l + "\n";
    return text;
}

class SignedInstaller : public ::testing::Test {
protected:
    SignedInstaller() : keys_(keyDir_.path(), "release"), otherKeys_(keyDir_.path(), "other") {
        // A program that leaves a marker when it runs, then tells the test through a FIFO.
        ::mkfifo(fifo().c_str(), 0600);
        installer_ = "#!/bin/sh\ntouch '" + marker() + "'\necho done > '" + fifo() + "'\n";
    }

    std::string marker() const { return keyDir_.file("installer-ran"); }
    std::string fifo() const { return keyDir_.file("installer-done"); }

    // The signature of installer_ by keys (legacy or prehashed form).
    std::string signatureBy(const MinisignKeys &keys, bool legacy = false) const {
        const std::string file = keyDir_.file("to-sign");
        TempFolder::write(file, installer_);
        keys.sign(file, legacy);
        return TempFolder::read(file + ".minisig");
    }

    InstallerDownloadResult download(const std::string &publicKey) {
        return downloadInstaller(server_.baseUrl() + kInstallerPath, server_.baseUrl() + kVersionPath,
                                 target_.path().string(), publicKey, FetchOptions{});
    }

    TempFolder keyDir_;
    TempFolder target_;
    LocalHttpServer server_;
    MinisignKeys keys_;
    MinisignKeys otherKeys_;
    std::string installer_;
};

TEST_F(SignedInstaller, GoodSignaturesKeepAndStartTheInstaller) {
    for (bool legacy : {false, true}) {
        server_.set(kInstallerPath, {200, installer_});
        server_.set(kInstallerPath + ".minisig", {200, signatureBy(keys_, legacy)});
        const auto result = download(keys_.publicKey());
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(TempFolder::read(result.path), installer_);
        EXPECT_TRUE(fs::exists(result.path + ".minisig"));  // kept for administrators who pass it on
        EXPECT_EQ(verifyMinisignFile(result.path, *parseMinisignPublicKey(keys_.publicKey())), "");
    }
    const auto start = startInstaller(target_.file("orvex-setup.run"), keys_.publicKey());
    ASSERT_TRUE(start.started) << start.message;
    EXPECT_EQ(TempFolder::read(fifo()), "done\n");  // blocks until the installer has run
    EXPECT_TRUE(fs::exists(marker()));
}

TEST_F(SignedInstaller, TamperedForeignOrMissingSignaturesAreRefused) {
    const std::string good = signatureBy(keys_);
    struct Case {
        const char *what;
        std::function<void(std::string &installer, std::string &signature)> change;
        const char *reason;
    } cases[] = {
        {"flipped byte in the installer", [](std::string &i, std::string &) { flipByte(i, i.size() / 2); },
         "does not match the file"},
        {"flipped byte in the signature",
         [](std::string &, std::string &s) {
             auto lines = splitLines(s);
             // Past algorithm and key id: the signature bytes themselves.
             std::string &sig = line(lines, 1);
             sig[40] = sig[40] == 'A' ? 'B' : 'A';
             s = joinLines(lines);
         },
         "does not match the file"},
        {"signed by another key", [this](std::string &, std::string &s) { s = signatureBy(otherKeys_); },
         "another key"},
        {"changed trusted comment",
         [](std::string &, std::string &s) {
             auto lines = splitLines(s);
             line(lines, 2) += " (edited)";
             s = joinLines(lines);
         },
         "trusted comment"},
        {"no signature file", [](std::string &, std::string &s) { s.clear(); }, "no signature"},
        {"not a signature", [](std::string &, std::string &s) { s = "<html>hello</html>\n"; },
         "not a minisign signature"},
    };
    for (const Case &c : cases) {
        std::string installer = installer_;
        std::string signature = good;
        c.change(installer, signature);
        server_.set(kInstallerPath, {200, installer});
        if (signature.empty())
            server_.set(kInstallerPath + ".minisig", {404, "not found"});
        else
            server_.set(kInstallerPath + ".minisig", {200, signature});
        const auto result = download(keys_.publicKey());
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_NE(result.message.find(c.reason), std::string::npos) << c.what << ": " << result.message;
        EXPECT_TRUE(fs::is_empty(target_.path())) << c.what;
        // Even handed over directly, it does not start (and goes).
        const std::string planted = target_.file("orvex-setup.run");
        TempFolder::write(planted, installer);
        if (!signature.empty()) TempFolder::write(planted + ".minisig", signature);
        const auto start = startInstaller(planted, keys_.publicKey());
        EXPECT_FALSE(start.started) << c.what;
        EXPECT_NE(start.message.find(c.reason), std::string::npos) << c.what << ": " << start.message;
        EXPECT_FALSE(fs::exists(planted)) << c.what;
        EXPECT_FALSE(fs::exists(marker())) << c.what;
    }
}

TEST_F(SignedInstaller, WithoutAKeyNothingIsFetched) {
    server_.set(kInstallerPath, {200, installer_});
    server_.set(kInstallerPath + ".minisig", {200, signatureBy(keys_)});
    const int before = server_.requests();
    for (const std::string key : {"", "RWQ not a key"}) {
        const auto result = download(key);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.message.find("[Version] PublicKey="), std::string::npos) << result.message;
    }
    EXPECT_EQ(server_.requests(), before);
    EXPECT_TRUE(fs::is_empty(target_.path()));
}

}  // namespace
