// orvexctl's own documentation: --version, and a description for every
// command and every option down to the commands of the command groups (the
// manual page is made from the same texts).
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"

namespace {

struct HelpText {
    std::string firstLine;
    std::vector<std::string> subcommands;  // entries of the "Subcommands:" section
    std::vector<std::string> undescribed;  // entries of any section without a description
};

// An entry is "  NAME  DESCRIPTION", or "  NAME" with the description on the
// next, deeper indented line. Descriptions start in column kColumn.
constexpr size_t kColumn = 30;

HelpText parse(const std::string &help) {
    std::vector<std::string> lines;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    HelpText parsed;
    if (!lines.empty()) parsed.firstLine = lines.front();
    static const std::regex entry(R"(^  (\S+)(.*)$)");
    static const std::regex described(R"(^  \S.*?\S {2,}\S.*$)");
    std::string section;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i].back() == ':' && lines[i][0] != ' ') section = lines[i];
        std::smatch m;
        if (!std::regex_match(lines[i], m, entry)) continue;
        const bool nextIsDescription = i + 1 < lines.size() && lines[i + 1].starts_with("      ") &&
                                       lines[i + 1].find_first_not_of(' ') != std::string::npos;
        // A name that fills the name column is followed by one space only.
        const bool atColumn =
            lines[i].size() > kColumn && lines[i][kColumn - 1] == ' ' && lines[i][kColumn] != ' ';
        if (!std::regex_match(lines[i], described) && !atColumn && !nextIsDescription)
            parsed.undescribed.push_back(lines[i]);
        if (section == "Subcommands:") parsed.subcommands.push_back(m[1]);
    }
    return parsed;
}

TEST(CliHelp, EveryCommandAndOptionIsDescribed) {
    TempFolder config;
    std::vector<std::vector<std::string>> pending = {{}};
    int commands = 0;
    while (!pending.empty()) {
        const std::vector<std::string> command = pending.back();
        pending.pop_back();
        std::vector<std::string> args = command;
        args.push_back("--help");
        const auto run = orvex::test::runOrvexctl(config.path(), args);
        std::string name = "orvexctl";
        for (const auto &word : command) name += " " + word;
        SCOPED_TRACE(name);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const HelpText help = parse(run.out);
        // The first line is the command's description, the usage comes after it.
        EXPECT_FALSE(help.firstLine.empty() || help.firstLine.starts_with("Usage:")) << run.out;
        EXPECT_NE(run.out.find("\nUsage: " + name + " "), std::string::npos) << run.out;
        EXPECT_TRUE(help.undescribed.empty()) << help.undescribed.front();
        for (const auto &sub : help.subcommands) {
            pending.push_back(command);
            pending.back().push_back(sub);
        }
        ++commands;
    }
    EXPECT_GT(commands, 20);  // the walk reached the command groups' commands
}

TEST(CliHelp, VersionAndTheWholeHelp) {
    TempFolder config;
    const auto version = orvex::test::runOrvexctl(config.path(), {"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(std::regex_search(version.out, std::regex(R"(^orvexctl \d+\.\d+\.\d+\nCopyright )")))
        << version.out;

    // --help-all (the manual page's source) reaches the commands of the groups.
    const auto all = orvex::test::runOrvexctl(config.path(), {"--help-all"});
    EXPECT_EQ(all.code, 0);
    for (const char *usage :
         {"Usage: orvexctl power-on set ", "Usage: orvexctl tx-power set ", "Usage: orvexctl lan set "})
        EXPECT_NE(all.out.find(usage), std::string::npos) << usage;
}

}  // namespace
