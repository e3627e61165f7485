// orvexctl read-config, show and program against a simulated reader.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/orvexctl_runner.h"
#include "common/sheet_bench.h"

extern char **environ;

namespace orvex::app::test {
namespace {

using orvex::test::CtlRun;

// Runs orvexctl with its own settings folder.
CtlRun runCli(const TempDir &dir, std::vector<std::string> args) {
    return orvex::test::runOrvexctl(dir.path(), std::move(args), {"LANG=C"});
}

nlohmann::json json(const CtlRun &r) {
    EXPECT_FALSE(r.out.empty());
    return nlohmann::json::parse(r.out, nullptr, false);
}

void setKey(const std::string &file, const std::string &from, const std::string &to) {
    std::string text = readFile(file);
    auto at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), to);
    std::ofstream(file, std::ios::binary) << text;
}

TEST(OrvexctlConfig, ReadConfigShowAndProgram) {
    TempDir dir;
    auto source = startReader("194A");
    source->modifyState([](sim::ReaderState &s) {
        s.prefix = {0x02, 0x41, 0xFF};
        s.parameter = {0x03, 20, '!', 7};
    });
    const std::string file = dir.file("reader.mkr");

    CtlRun read = runCli(dir, {"--port", source->slavePath(), "--json", "read-config", file});
    ASSERT_EQ(read.code, 0) << read.out;
    nlohmann::json j = json(read);
    EXPECT_EQ(j["saved"], true);
    EXPECT_EQ(j["kind"], "mkr");
    EXPECT_EQ(j["blocks"]["prefix"], "02 41 FF");
    EXPECT_EQ(j["blocks"]["parameters"], "03 14 21 07");

    EXPECT_EQ(runCli(dir, {"--port", source->slavePath(), "read-config", dir.file("wrong.mkp")}).code, 2);

    CtlRun show = runCli(dir, {"show", file});
    ASSERT_EQ(show.code, 0);
    EXPECT_NE(show.out.find("02 41 \r\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Aufforderung      : !"), std::string::npos) << show.out;

    auto target = startReader("194A");
    CtlRun program = runCli(dir, {"--port", target->slavePath(), "--json", "--no", "program", file});
    ASSERT_EQ(program.code, 0) << program.out;
    j = json(program);
    EXPECT_EQ(j["outcome"], "done");
    EXPECT_EQ(j["writes"][0]["what"], "prefix");
    EXPECT_EQ(j["writes"][0]["bytes"], "02 41 FF");
    EXPECT_EQ(target->state().prefix, source->state().prefix);
    EXPECT_EQ(target->state().parameter, source->state().parameter);
    EXPECT_EQ(target->state().data, source->state().data);

    // A value the data page refuses: its message and field, nothing written.
    setKey(file, "ZeichenAnzahl=10", "ZeichenAnzahl=99");
    auto untouched = startReader("194A");
    const sim::ReaderState before = untouched->state();
    program = runCli(dir, {"--port", untouched->slavePath(), "--json", "program", file});
    EXPECT_EQ(program.code, 2);
    j = json(program);
    EXPECT_EQ(j["outcome"], "refused");
    EXPECT_EQ(j["refused"]["page"], "data1");
    EXPECT_EQ(j["refused"]["field"], "charCount");
    EXPECT_EQ(j["refused"]["message_id"], 61714);
    EXPECT_TRUE(j["writes"].empty());
    EXPECT_EQ(blocks(untouched->state()), blocks(before));
}

// A saved configuration of a plain serial reader, for the cases below.
std::string savedMkr(const TempDir &dir, const std::string &name) {
    auto source = startReader("194A");
    const std::string file = dir.file(name);
    EXPECT_EQ(runCli(dir, {"--port", source->slavePath(), "read-config", file}).code, 0);
    return file;
}

TEST(OrvexctlConfig, ProgramListsTheIsoOptionWrite) {
    TempDir dir;
    const std::string file = savedMkr(dir, "iso.mkr");
    setKey(file, "RequestFlag=3", "RequestFlag=1");
    auto target = startReader("194A");
    CtlRun program = runCli(dir, {"--port", target->slavePath(), "--json", "--no", "program", file});
    ASSERT_EQ(program.code, 0) << program.out << program.err;
    bool listed = false;
    const nlohmann::json j = json(program);
    for (const auto &w : j["writes"]) listed = listed || (w["what"] == "isoOption" && w["bytes"] == "01");
    EXPECT_TRUE(listed) << program.out;
}

// Files that must not reach the reader: each is refused before any write.
TEST(OrvexctlConfig, UnusableFilesAreRefusedBeforeAnyWrite) {
    TempDir dir;
    const std::string good = savedMkr(dir, "good.mkr");
    const std::string goodText = readFile(good);
    struct Case {
        const char *what;
        std::string text;
    };
    auto edited = [&](const std::string &from, const std::string &to) {
        std::string t = goodText;
        const auto at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? t : t.replace(at, from.size(), to);
    };
    const Case cases[] = {
        {"empty", ""},
        {"junk", "hello\r\nworld\r\n"},
        {"keyboard-wedge content",
         "[Prefix]\r\nCount=0\r\n[Data]\r\nTransponderTyp=0\r\nVerzoegerung=10\r\n[Suffix]\r\nCount=0\r\n"
         "[Termix]\r\nCount=0\r\n[Ende]\r\nCount=0\r\n"},
        {"prefix count 31", edited("[Prefix]\r\nCount=0", "[Prefix]\r\nCount=31")},
        {"representation -1", edited("Darstellung=", "Darstellung=-1\r\nX=")},
        {"register 256", edited("Register1=", "Register1=256\r\nX=")},
        {"mode byte -1", edited("Betriebsart=", "Betriebsart=-1\r\nX=")},
        {"request flag 256", edited("RequestFlag=3", "RequestFlag=256")},
        {"prefix code 999", edited("[Prefix]\r\nCount=0", "[Prefix]\r\nCount=1\r\nAscii0=999")},
        {"prefix code -1", edited("[Prefix]\r\nCount=0", "[Prefix]\r\nCount=1\r\nAscii0=-1")},
    };
    auto target = startReader("194A");
    const sim::ReaderState before = target->state();
    for (const Case &c : cases) {
        const std::string file = dir.file("bad.mkr");
        std::ofstream(file, std::ios::binary) << c.text;
        CtlRun program = runCli(dir, {"--port", target->slavePath(), "--json", "--no", "program", file});
        EXPECT_EQ(program.code, 2) << c.what << "\n" << program.out << program.err;
        nlohmann::json j = nlohmann::json::parse(program.out, nullptr, false);
        EXPECT_TRUE(j.is_object() && j["writes"].empty()) << c.what << "\n" << program.out;
        EXPECT_EQ(blocks(target->state()), blocks(before)) << c.what;
    }
    for (const char *text : {"", "hello\r\n"}) {
        const std::string file = dir.file("bad.mkr");
        std::ofstream(file, std::ios::binary) << text;
        CtlRun show = runCli(dir, {"show", file});
        EXPECT_EQ(show.code, 2) << text;
        EXPECT_TRUE(show.out.empty()) << show.out;
    }
}

TEST(OrvexctlConfig, ReadConfigSavesOnlyACompleteRead) {
    TempDir dir;
    const std::string file = savedMkr(dir, "good.mkr");
    const std::string before = readFile(file);
    auto flaky = startReader("194A", 2);
    CtlRun read = runCli(dir, {"--port", flaky->slavePath(), "--json", "read-config", file});
    // The simulator leaves every second command unanswered, so some block read fails.
    EXPECT_EQ(read.code, 1) << read.out << read.err;
    nlohmann::json j = nlohmann::json::parse(read.out, nullptr, false);
    ASSERT_TRUE(j.is_object()) << read.out;
    EXPECT_EQ(j["saved"], false) << read.out;
    EXPECT_FALSE(j["failed_reads"].empty()) << read.out;
    EXPECT_EQ(readFile(file), before);

    EXPECT_EQ(runCli(dir, {"--port", flaky->slavePath(), "read-config", ""}).code, 2);
}

TEST(OrvexctlConfig, ProgramKeepsABackupSkipsWhatIsThereAndChecks) {
    TempDir dir;
    const std::string file = savedMkr(dir, "site.mkr");
    setKey(file, "[Prefix]\r\nCount=0", "[Prefix]\r\nCount=1\r\nAscii0=65");
    auto target = startReader("194A");
    const std::vector<std::string> port = {"--port", target->slavePath(), "--json"};
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), port.begin(), port.end());
        return runCli(dir, args);
    };

    CtlRun check = run({"program", file, "--check"});
    EXPECT_EQ(check.code, 3) << check.out << check.err;
    EXPECT_EQ(json(check)["outcome"], "would_change");
    EXPECT_EQ(json(check)["differing"], nlohmann::json::array({"prefix"}));
    EXPECT_EQ(json(check)["changed"], true);
    const sim::Bytes factoryPrefix = target->state().prefix;

    CtlRun first = run({"program", file});
    ASSERT_EQ(first.code, 0) << first.out << first.err;
    const nlohmann::json j = json(first);
    EXPECT_EQ(j["outcome"], "done");
    EXPECT_EQ(j["changed"], true);
    const std::string backup = j["backup"];
    EXPECT_EQ(
        backup.rfind((std::filesystem::path(dir.path()) / "state/orvex-readersetup/backups/").string(), 0),
        0u)
        << backup;
    EXPECT_NE(target->state().prefix, factoryPrefix);

    CtlRun second = run({"program", file});
    ASSERT_EQ(second.code, 0) << second.out << second.err;
    EXPECT_EQ(json(second)["outcome"], "unchanged");
    EXPECT_EQ(json(second)["changed"], false);
    EXPECT_TRUE(json(second)["writes"].empty());
    EXPECT_EQ(json(second)["backup"], nullptr);
    CtlRun plain = runCli(dir, {"--port", target->slavePath(), "program", file});
    EXPECT_EQ(plain.code, 0);
    EXPECT_EQ(plain.out, "unchanged\n");
    EXPECT_EQ(run({"program", file, "--check"}).code, 0);

    // The file was read from this model: another model is not programmed.
    auto other = startReader("164U");
    const sim::ReaderState untouched = other->state();
    CtlRun wrong = runCli(dir, {"--port", other->slavePath(), "--json", "program", file});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(json(wrong)["outcome"], "wrong_model");
    EXPECT_EQ(blocks(other->state()), blocks(untouched));

    // The backup puts the factory prefix back.
    ASSERT_EQ(run({"program", backup, "--no-backup"}).code, 0);
    EXPECT_EQ(target->state().prefix, factoryPrefix);
}

TEST(OrvexctlConfig, SavingReplacesOwnSectionsAndKeepsFileIdentity) {
    TempDir dir;
    auto reader = startReader("194A");
    const std::string target = dir.file("target.mkr");
    std::ofstream(target, std::ios::binary)
        << "[Data]\r\nTransponderTyp2=6\r\nZeichenAnzahl2=20\r\n[Mine]\r\nKeep=1\r\n";
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    const std::string link = dir.file("link.mkr");
    std::filesystem::create_symlink(target, link);
    const std::string hard = dir.file("hard.mkr");
    std::filesystem::create_hard_link(target, hard);

    ASSERT_EQ(runCli(dir, {"--port", reader->slavePath(), "read-config", link}).code, 0);
    const std::string text = readFile(target);
    EXPECT_EQ(text.find("TransponderTyp2=6"), std::string::npos) << text;
    EXPECT_EQ(text.find("ZeichenAnzahl2=20"), std::string::npos) << text;
    EXPECT_NE(text.find("[Mine]\r\nKeep=1"), std::string::npos) << text;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(hard), text);
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(runCli(dir, {"show", link}).code, 0);
}

TEST(OrvexctlConfig, JsonFromNamesThatAreNotUtf8) {
    TempDir dir;
    const std::string file = savedMkr(dir, "bad\xff.mkr");
    CtlRun show = runCli(dir, {"--json", "show", file});
    EXPECT_EQ(show.code, 0) << show.err;
    EXPECT_TRUE(nlohmann::json::parse(show.out, nullptr, false).is_object()) << show.out;
}

}  // namespace
}  // namespace orvex::app::test
