// orvexctl show, program and read-config with files that are damaged, too
// large, of both kinds or with values the reader cannot take, and without a
// home folder for the backups.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

#include "app/string_table.h"
#include "common/orvexctl_runner.h"
#include "common/sheet_bench.h"

namespace orvex::app::test {
namespace {

using orvex::test::CtlRun;

CtlRun runCli(const TempDir &dir, std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {"--lang", "de"});
    env.push_back("LANG=C");
    return orvex::test::runOrvexctl(dir.path(), std::move(args), env);
}

std::string savedMkr(const TempDir &dir, const std::string &name) {
    auto source = startReader("194A");
    const std::string file = dir.file(name);
    EXPECT_EQ(runCli(dir, {"--port", source->slavePath(), "read-config", file}).code, 0);
    return file;
}

std::string replaced(std::string text, const std::string &from, const std::string &to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(ConfigFileRefusals, DamagedMixedAndHugeFilesAreRefusedWithTheirReason) {
    TempDir dir;
    const std::string good = readFile(savedMkr(dir, "good.mkr"));
    std::string huge = good;
    while (huge.size() <= (1u << 20)) huge += "[Mine]\r\nKeep=1\r\n";
    struct Case {
        const char *what;
        std::string text;
        std::string reason;  // in the error; empty: the file is fine
    } cases[] = {
        {"cut off mid-line", good.substr(0, good.size() - 3), text("config.cutOff")},
        {"both kinds", good + "[Ende]\r\nCount=1\r\nKeydown0=1\r\nCodeSet1_0=30\r\n",
         text("config.mixedKinds")},
        {"over 1 MiB", huge, "large"},
        {"byte order mark", "\xEF\xBB\xBF" + good, ""},
    };
    auto target = startReader("194A");
    const sim::ReaderState before = target->state();
    for (const Case &c : cases) {
        const std::string file = dir.file("case.mkr");
        std::ofstream(file, std::ios::binary) << c.text;
        const CtlRun show = runCli(dir, {"show", file});
        const CtlRun program = runCli(dir, {"--port", target->slavePath(), "program", file, "--no-backup"});
        if (c.reason.empty()) {
            EXPECT_EQ(show.code, 0) << c.what << "\n" << show.err;
            EXPECT_EQ(program.code, 0) << c.what << "\n" << program.err;
            continue;
        }
        EXPECT_EQ(show.code, 2) << c.what;
        EXPECT_NE(show.err.find(c.reason), std::string::npos) << c.what << "\n" << show.err;
        EXPECT_EQ(program.code, 2) << c.what;
        EXPECT_NE(program.err.find(c.reason), std::string::npos) << c.what << "\n" << program.err;
        EXPECT_EQ(blocks(target->state()), blocks(before)) << c.what;
    }
}

TEST(ConfigFileRefusals, UnsupportedValuesAreRefusedNamingSectionAndKey) {
    TempDir dir;
    const std::string good = readFile(savedMkr(dir, "good.mkr"));
    struct Case {
        std::string from, to, key;
    } cases[] = {
        {"Baudrate=19200", "Baudrate=12345", "Data/Baudrate"},
        {"RemoteIP=", "RemoteIP=999.1.1.1", "Data/RemoteIP"},
        {"DTRModus=", "ReaderModus=77\r\nDTRModus=", "Data/ReaderModus"},
        {"[Prefix]\r\nCount=0", "[Prefix]\r\nCount=-5", "Prefix/Count"},
    };
    auto target = startReader("194A");
    const sim::ReaderState before = target->state();
    for (const Case &c : cases) {
        const std::string file = dir.file("bad.mkr");
        std::ofstream(file, std::ios::binary) << replaced(good, c.from, c.to);
        const CtlRun program = runCli(dir, {"--port", target->slavePath(), "--json", "program", file});
        EXPECT_EQ(program.code, 2) << c.to << "\n" << program.out << program.err;
        EXPECT_NE(program.err.find(c.key + ": "), std::string::npos) << c.to << "\n" << program.err;
        const nlohmann::json j = nlohmann::json::parse(program.out, nullptr, false);
        EXPECT_TRUE(j.is_object() && j["writes"].empty()) << program.out;
        EXPECT_EQ(blocks(target->state()), blocks(before)) << c.to;
        EXPECT_EQ(runCli(dir, {"show", file}).code, 2) << c.to;
    }
}

TEST(ConfigFileRefusals, ReadConfigOverAKeyboardWedgeFileGivesAUsableFile) {
    TempDir dir;
    const std::string file = dir.file("reader.cfg");
    std::ofstream(file, std::ios::binary)
        << "[Prefix]\r\nCount=1\r\nKeydown0=1\r\nCodeSet1_0=30\r\n[Data]\r\nTransponderTyp=0\r\n"
           "Verzoegerung=10\r\n[Suffix]\r\nCount=0\r\n[Termix]\r\nCount=0\r\n[Ende]\r\nCount=0\r\n"
           "[Mine]\r\nKeep=1\r\n";
    auto reader = startReader("194A");
    ASSERT_EQ(runCli(dir, {"--port", reader->slavePath(), "read-config", file}).code, 0);
    const std::string text = readFile(file);
    EXPECT_EQ(text.find("[Ende]"), std::string::npos) << text;
    EXPECT_NE(text.find("[Mine]\r\nKeep=1"), std::string::npos) << text;
    EXPECT_EQ(runCli(dir, {"show", file}).code, 0);
    EXPECT_EQ(runCli(dir, {"--port", reader->slavePath(), "program", file}).code, 0);
}

TEST(ConfigFileRefusals, WithoutAHomeProgramOnlyWithoutBackup) {
    TempDir dir;
    const std::string file = savedMkr(dir, "site.mkr");
    const std::string changed =
        replaced(readFile(file), "[Prefix]\r\nCount=0", "[Prefix]\r\nCount=1\r\nAscii0=65");
    std::ofstream(file, std::ios::binary) << changed;
    auto target = startReader("194A");
    const sim::ReaderState before = target->state();
    const std::vector<std::string> noHome = {"HOME=", "XDG_STATE_HOME="};

    const CtlRun refused = runCli(dir, {"--port", target->slavePath(), "program", file}, noHome);
    EXPECT_EQ(refused.code, 1) << refused.err;
    EXPECT_NE(refused.err.find(text("program.noBackupFolder")), std::string::npos) << refused.err;
    EXPECT_EQ(blocks(target->state()), blocks(before));

    const CtlRun plain = runCli(dir, {"--port", target->slavePath(), "program", file, "--no-backup"}, noHome);
    EXPECT_EQ(plain.code, 0) << plain.err;
    EXPECT_NE(blocks(target->state()), blocks(before));
}

}  // namespace
}  // namespace orvex::app::test
