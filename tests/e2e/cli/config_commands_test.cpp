// orvexctl read-config, show and program against a simulated reader.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <fstream>

#include "common/orvexctl_runner.h"
#include "common/sheet_bench.h"

extern char **environ;

namespace orvex::app::test {
namespace {

using orvex::test::CtlRun;

// Runs orvexctl with its own settings folder.
CtlRun RunCli(const TempDir &dir, std::vector<std::string> args) {
    return orvex::test::RunOrvexctl(dir.path(), std::move(args), {"LANG=C"});
}

nlohmann::json Json(const CtlRun &r) {
    EXPECT_FALSE(r.out.empty());
    return nlohmann::json::parse(r.out, nullptr, false);
}

void SetKey(const std::string &file, const std::string &from, const std::string &to) {
    std::string text = ReadFile(file);
    auto at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), to);
    std::ofstream(file, std::ios::binary) << text;
}

TEST(OrvexctlConfig, ReadConfigShowAndProgram) {
    TempDir dir;
    auto source = StartReader("194A");
    source->modifyState([](sim::ReaderState &s) {
        s.prefix = {0x02, 0x41, 0xFF};
        s.parameter = {0x03, 20, '!', 7};
    });
    const std::string file = dir.file("reader.mkr");

    CtlRun read = RunCli(dir, {"--port", source->slavePath(), "--json", "read-config", file});
    ASSERT_EQ(read.code, 0) << read.out;
    nlohmann::json j = Json(read);
    EXPECT_EQ(j["saved"], true);
    EXPECT_EQ(j["kind"], "mkr");
    EXPECT_EQ(j["blocks"]["prefix"], "02 41 FF");
    EXPECT_EQ(j["blocks"]["parameters"], "03 14 21 07");

    EXPECT_EQ(RunCli(dir, {"--port", source->slavePath(), "read-config", dir.file("wrong.mkp")}).code, 2);

    CtlRun show = RunCli(dir, {"show", file});
    ASSERT_EQ(show.code, 0);
    EXPECT_NE(show.out.find("02 41 \r\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Aufforderung      : !"), std::string::npos) << show.out;

    auto target = StartReader("194A");
    CtlRun program = RunCli(dir, {"--port", target->slavePath(), "--json", "--no", "program", file});
    ASSERT_EQ(program.code, 0) << program.out;
    j = Json(program);
    EXPECT_EQ(j["outcome"], "done");
    EXPECT_EQ(j["writes"][0]["what"], "prefix");
    EXPECT_EQ(j["writes"][0]["bytes"], "02 41 FF");
    EXPECT_EQ(target->state().prefix, source->state().prefix);
    EXPECT_EQ(target->state().parameter, source->state().parameter);
    EXPECT_EQ(target->state().data, source->state().data);

    // A value the data page refuses: its message and field, nothing written.
    SetKey(file, "ZeichenAnzahl=10", "ZeichenAnzahl=99");
    auto untouched = StartReader("194A");
    const sim::ReaderState before = untouched->state();
    program = RunCli(dir, {"--port", untouched->slavePath(), "--json", "program", file});
    EXPECT_EQ(program.code, 2);
    j = Json(program);
    EXPECT_EQ(j["outcome"], "refused");
    EXPECT_EQ(j["refused"]["page"], "data1");
    EXPECT_EQ(j["refused"]["field"], "charCount");
    EXPECT_EQ(j["refused"]["message_id"], 61714);
    EXPECT_TRUE(j["writes"].empty());
    EXPECT_EQ(Blocks(untouched->state()), Blocks(before));
}

}  // namespace
}  // namespace orvex::app::test
