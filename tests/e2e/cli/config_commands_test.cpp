// orvexctl read-config, show and program against a simulated reader.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "common/sheet_bench.h"

extern char **environ;

namespace orvex::app::test {
namespace {

struct CliResult {
    int exitCode = -1;
    std::string out;
};

// Runs orvexctl with its own settings folder; stdout is captured.
CliResult RunCli(const TempDir &dir, std::vector<std::string> args) {
    const std::string program = std::string(ORVEX_BINARY_DIR) + "/orvexctl";
    args.insert(args.begin(), program);
    std::vector<char *> argv;
    for (auto &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText = {"XDG_CONFIG_HOME=" + dir.path().string(), "LANG=C"};
    std::vector<char *> envp;
    for (auto &e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);

    int pipeFd[2];
    EXPECT_EQ(pipe(pipeFd), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFd[1]);
    CliResult r;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFd[0], buf, sizeof buf)) > 0) r.out.append(buf, static_cast<std::size_t>(n));
    close(pipeFd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

nlohmann::json Json(const CliResult &r) {
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

    CliResult read = RunCli(dir, {"--port", source->slavePath(), "--json", "read-config", file});
    ASSERT_EQ(read.exitCode, 0) << read.out;
    nlohmann::json j = Json(read);
    EXPECT_EQ(j["saved"], true);
    EXPECT_EQ(j["kind"], "mkr");
    EXPECT_EQ(j["blocks"]["prefix"], "02 41 FF");
    EXPECT_EQ(j["blocks"]["parameters"], "03 14 21 07");

    EXPECT_EQ(RunCli(dir, {"--port", source->slavePath(), "read-config", dir.file("wrong.mkp")}).exitCode, 2);

    CliResult show = RunCli(dir, {"show", file});
    ASSERT_EQ(show.exitCode, 0);
    EXPECT_NE(show.out.find("02 41 \r\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Aufforderung      : !"), std::string::npos) << show.out;

    auto target = StartReader("194A");
    CliResult program = RunCli(dir, {"--port", target->slavePath(), "--json", "--no", "program", file});
    ASSERT_EQ(program.exitCode, 0) << program.out;
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
    EXPECT_EQ(program.exitCode, 2);
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
