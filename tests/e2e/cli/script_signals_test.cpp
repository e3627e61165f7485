// orvexctl as scripts see it: one JSON document per run whose code is the
// exit code, usage errors for values that make no sense, the port named as it
// was given, a busy port named as busy, device texts that cannot steer the
// terminal, and signals that stop programming at a write boundary.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/hid_sim_reader.h"
#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "orvex/orvex.h"
#include "sim/pty_reader.h"

namespace {

using orvex::test::CtlRun;

constexpr std::uint8_t kWritePrefix = 0x82;

std::unique_ptr<orvex::sim::PtyReader> startReader(orvex::sim::Options o = {}) {
    o.versionAnswer = "194A";
    o.baud = 19200;
    return std::make_unique<orvex::sim::PtyReader>(o);
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

class ScriptSignals : public ::testing::Test {
protected:
    CtlRun ctl(std::vector<std::string> args, const std::function<void(pid_t)> &started = {}) {
        args.insert(args.begin(), {"--lang", "en"});
        return orvex::test::runOrvexctl(config_.path(), std::move(args), {}, started);
    }

    // A configuration file read from a reader whose prefix is "A" and suffix "Z".
    std::string configurationFile() {
        auto source = startReader();
        source->modifyState([](orvex::sim::ReaderState &s) {
            s.prefix = {0x02, 'A', 0xFF};
            s.suffix = {0x02, 'Z', 0xFF};
        });
        const std::string file = config_.file("reader.mkr");
        const CtlRun read = ctl({"--port", source->slavePath(), "read-config", file});
        EXPECT_EQ(read.code, 0) << read.err;
        return file;
    }

    TempFolder config_;
};

TEST_F(ScriptSignals, ProgramPrintsOneDocumentAndOneErrorLineWhereverTheLinkDrops) {
    const std::string file = configurationFile();
    bool droppedAfterIdentification = false;
    // The reader hangs up half-way through its Nth answer.
    for (int hangupAfter : {2, 5, 9, 12, 13, 14, 16, 20}) {
        orvex::sim::Options o;
        o.hangupAfter = hangupAfter;
        auto reader = startReader(o);
        const CtlRun run = ctl({"--port", reader->slavePath(), "--json", "--no", "program", file});
        ASSERT_EQ(lines(run.out).size(), 1u) << hangupAfter << ": " << run.out;
        const auto doc = nlohmann::json::parse(run.out, nullptr, false);
        ASSERT_TRUE(doc.is_object()) << run.out;
        EXPECT_EQ(doc.value("code", 0), run.code) << hangupAfter << ": " << run.out;
        std::vector<std::string> errors = lines(run.err);
        std::sort(errors.begin(), errors.end());
        EXPECT_EQ(std::adjacent_find(errors.begin(), errors.end()), errors.end()) << hangupAfter << run.err;
        droppedAfterIdentification |=
            doc.value("outcome", "") == "no_connection" && !doc.value("model", "").empty();
    }
    EXPECT_TRUE(droppedAfterIdentification);
}

TEST_F(ScriptSignals, EmptyPortIsAUsageErrorAndMessagesNameThePortGiven) {
    // A reader is attached, under another name than the ones asked for: it is
    // not taken instead.
    orvex::test::HidSimReader other;
    for (const char *empty : {"", "  "}) {
        const CtlRun run = ctl({"--port", empty, "--json", "identify"});
        EXPECT_EQ(run.code, 2) << '"' << empty << '"' << run.err;
        EXPECT_EQ(nlohmann::json::parse(run.out, nullptr, false).value("code", -1), 2) << run.out;
    }
    for (const std::string name : {"/nonexistent BT", "USB: 99999999 HID"}) {
        const CtlRun run = ctl({"--port", name, "identify"});
        EXPECT_EQ(run.code, 1) << name;
        EXPECT_NE(run.err.find("Port " + name + ":"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("COM1"), std::string::npos) << run.err;
    }
}

TEST_F(ScriptSignals, MonitorSecondsOutOfRangeAreUsageErrors) {
    auto reader = startReader();
    for (const char *seconds : {"9999999999", "1e10", "nan", "inf", "31536001"}) {
        const CtlRun run = ctl({"--port", reader->slavePath(), "monitor", "--seconds", seconds});
        EXPECT_EQ(run.code, 2) << seconds << ": " << run.err;
        EXPECT_NE(run.err.find("--seconds"), std::string::npos) << run.err;
    }
    EXPECT_EQ(reader->commandsSeen(), 0);
}

TEST_F(ScriptSignals, BusyPortIsNamedAndLeftAlone) {
    auto reader = startReader();
    const int holder = Orvex_OpenPort(reader->slavePath().c_str(), 19200, 500);
    ASSERT_GT(holder, 0);
    const int seen = reader->commandsSeen();
    for (const std::vector<std::string> &command :
         {std::vector<std::string>{"identify"}, std::vector<std::string>{"monitor", "--seconds", "1"}}) {
        std::vector<std::string> args = {"--port", reader->slavePath()};
        args.insert(args.end(), command.begin(), command.end());
        const CtlRun run = ctl(args);
        EXPECT_EQ(run.code, 1) << command[0];
        EXPECT_NE(run.err.find("Port " + reader->slavePath() + ": it is in use by another program"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(reader->commandsSeen(), seen);  // nothing of theirs reached the reader
    Orvex_ClosePort(holder);
    EXPECT_EQ(ctl({"--port", reader->slavePath(), "identify"}).code, 0);
}

TEST_F(ScriptSignals, ControlCharactersOfASerialNumberAreShownNotObeyed) {
    const std::string serial =
        "7301\x1b[2J\x9b"
        "1234";
    orvex::test::HidSimReader reader("de", serial);
    const CtlRun text = ctl({"interfaces"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out.find('\x1b'), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("7301\u241b[2J"), std::string::npos) << text.out;
    const CtlRun json = ctl({"--json", "interfaces"});
    EXPECT_NE(json.out.find("7301\\u001b[2J"), std::string::npos) << json.out;

    const CtlRun identify = ctl({"--port", serial + " HID", "identify"});
    EXPECT_EQ(identify.code, 0) << identify.err;
    EXPECT_EQ((identify.out + identify.err).find('\x1b'), std::string::npos) << identify.out;
}

// Sends `signal` to orvexctl as soon as the reader receives the first write.
struct SignalAtFirstWrite {
    std::atomic<pid_t> pid{0};
    int signal;
    explicit SignalAtFirstWrite(int s) : signal(s) {}
    void onCommand(std::uint8_t command) {
        if (command == kWritePrefix && pid > 0) kill(pid.exchange(0), signal);
    }
};

TEST_F(ScriptSignals, SignalStopsProgrammingAtAWriteBoundary) {
    const std::string file = configurationFile();
    for (const auto &[signal, exitCode] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SignalAtFirstWrite sender(signal);
        orvex::sim::Options o;
        o.onCommand = [&sender](std::uint8_t command) { sender.onCommand(command); };
        auto reader = startReader(o);
        const orvex::sim::ReaderState before = reader->state();
        const CtlRun run = ctl({"--port", reader->slavePath(), "--json", "--no", "program", file},
                               [&sender](pid_t pid) { sender.pid = pid; });
        EXPECT_EQ(run.code, exitCode) << run.err;
        const auto doc = nlohmann::json::parse(run.out, nullptr, false);
        EXPECT_EQ(doc.value("outcome", ""), "stopped") << run.out;
        EXPECT_EQ(doc.value("code", 0), exitCode) << run.out;
        EXPECT_EQ(doc["written_before_failure"], nlohmann::json({"prefix"})) << run.out;
        const std::string backup = doc.value("backup", "");
        EXPECT_FALSE(backup.empty()) << run.out;
        // The stop names what was written and the backup that undoes it.
        EXPECT_NE(run.err.find("Programming stopped on request"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(backup), std::string::npos) << run.err;
        // The prefix went in whole; nothing after it.
        EXPECT_EQ(reader->state().prefix, (orvex::sim::Bytes{0x02, 'A', 0xFF}));
        EXPECT_NE(before.suffix, (orvex::sim::Bytes{0x02, 'Z', 0xFF}));
        EXPECT_EQ(reader->state().suffix, before.suffix);
    }
}

}  // namespace
