// orvexctl on a fleet of LAN readers: read-config and program --each-lan.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/lan_lab.h"
#include "common/orvexctl_runner.h"

namespace {

namespace fs = std::filesystem;
using orvex::test::CtlRun;

fs::path labDir() { return std::getenv("ORVEX_LAB_DIR"); }

CtlRun ctl(const std::vector<std::string> &args) {
    return orvex::test::runOrvexctl(labDir() / "config", args);
}

std::string slurp(const fs::path &file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// address -> result of a --json fleet run
std::map<std::string, std::string> resultsOf(const CtlRun &run) {
    std::map<std::string, std::string> out;
    for (const auto &item : nlohmann::json::parse(run.out)) out[item.at("address")] = item.at("result");
    return out;
}

TEST(FleetCli, ReadEveryReaderThenProgramOnlyTheChosenOnes) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24", "--reader", "192.168.1.31/24",  //
                  "--reader", "192.168.1.40/24,--version-answer=164U", "--reader",
                  "192.168.1.50/24,--lan-foreign");
    const fs::path saved = labDir() / "saved";
    CtlRun r = ctl({"--json", "read-config", "--each-lan", saved.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    using Results = std::map<std::string, std::string>;
    EXPECT_EQ(resultsOf(r), (Results{{"192.168.1.30-10001", "done"},
                                     {"192.168.1.31-10001", "done"},
                                     {"192.168.1.40-10001", "done"}}));
    const std::string original = slurp(saved / "192.168.1.31-10001.mkr");
    ASSERT_NE(original.find("ZeichenAnzahl=10\r\n"), std::string::npos) << original;

    // A changed configuration goes to two readers only; the third keeps its
    // own, and the reader of another model than the file's is skipped.
    std::string changed = original;
    changed.replace(changed.find("ZeichenAnzahl=10"), 16, "ZeichenAnzahl=12");
    const fs::path file = labDir() / "site.mkr";
    std::ofstream(file) << changed;
    r = ctl(
        {"program", "--each-lan", file.string(), "--only", "192.168.1.31,192.168.1.40-10001", "--jobs", "2"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("192.168.1.31-10001  Alder-4  done"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("192.168.1.40-10001  Elm-4  skipped"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("192.168.1.30"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2 of 2 readers succeeded"), std::string::npos) << r.out;

    const fs::path after = labDir() / "after";
    ASSERT_EQ(ctl({"read-config", "--each-lan", after.string()}).code, 0);
    EXPECT_EQ(slurp(after / "192.168.1.31-10001.mkr"), changed);
    EXPECT_EQ(slurp(after / "192.168.1.40-10001.mkr"), slurp(saved / "192.168.1.40-10001.mkr"));
    EXPECT_EQ(slurp(after / "192.168.1.30-10001.mkr"), slurp(saved / "192.168.1.30-10001.mkr"));

    // Again: what holds the file already is not written; --check writes
    // nothing and exits 3 while any reader would change.
    const std::vector<std::string> alders = {"--json",      "program", "--each-lan",
                                             file.string(), "--only",  "192.168.1.30,192.168.1.31"};
    auto with = [](std::vector<std::string> args, const char *extra) {
        args.push_back(extra);
        return args;
    };
    r = ctl(with(alders, "--check"));
    EXPECT_EQ(r.code, 3) << r.out << r.err;
    EXPECT_EQ(resultsOf(r),
              (Results{{"192.168.1.30-10001", "would_change"}, {"192.168.1.31-10001", "unchanged"}}));
    EXPECT_EQ(slurp(after / "192.168.1.30-10001.mkr"), slurp(saved / "192.168.1.30-10001.mkr"));
    r = ctl(with(alders, "--no-verify"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(resultsOf(r), (Results{{"192.168.1.30-10001", "done"}, {"192.168.1.31-10001", "unchanged"}}));
    for (const auto &item : nlohmann::json::parse(r.out))
        EXPECT_EQ(item.at("changed"), item.at("result") == "done") << item;
    EXPECT_EQ(ctl(with(alders, "--check")).code, 0);
}

TEST(FleetCli, FailuresAreNamedAndFailTheRun) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24");
    const fs::path file = labDir() / "broken.mkr";
    std::ofstream(file) << "no configuration\n";
    CtlRun r = ctl({"--json", "program", "--each-lan", file.string()});
    EXPECT_EQ(r.code, 1);
    const auto doc = nlohmann::json::parse(r.out.substr(0, r.out.find('\n')));
    ASSERT_EQ(doc.size(), 1u);
    EXPECT_EQ(doc[0].at("result"), "refused");
    EXPECT_FALSE(doc[0].at("error").get<std::string>().empty());
    EXPECT_NE(r.err.find("failed: 192.168.1.30-10001"), std::string::npos) << r.err;

    r = ctl({"program", "--each-lan", file.string(), "--only", "192.168.1.99"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no LAN reader found"), std::string::npos) << r.err;
    EXPECT_EQ(ctl({"program", file.string(), "--jobs", "2"}).code, 2);  // --jobs needs --each-lan
}

}  // namespace
