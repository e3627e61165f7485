// Runs a test inside a LAN of simulated readers in network namespaces.
//
//   TEST(Suite, Name) {
//       ORVEX_LAN_LAB("--reader", "192.168.1.30/24");
//       ... runs in the lab's host namespace ...
//   }
//
// Outside the lab the macro builds it with tools/netns-lab, runs this one test
// again inside it, checks its exit status and returns. Without root (no
// namespaces) the test is skipped: LAN code never runs on the machine's own
// network. Where namespaces cannot be made at all (tools/netns-lab exits
// 77) it is skipped as well.
#pragma once

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern char **environ;

namespace orvex::test {

inline bool insideLanLab() { return std::getenv("ORVEX_LAB_HOST") != nullptr; }

inline int runThisTestInLab(std::vector<std::string> labArgs) {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    char exe[PATH_MAX] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return -1;
    std::vector<std::string> args = {ORVEX_SOURCE_DIR "/tools/netns-lab", "--sim",
                                     ORVEX_BINARY_DIR "/orvex-readersim"};
    args.insert(args.end(), labArgs.begin(), labArgs.end());
    args.insert(args.end(),
                {"--", exe, std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name()});
    std::vector<char *> argv;
    for (auto &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Lines the lab's reader n (1-based) logged: one per datagram it received.
inline std::vector<std::string> readerRequests(int n) {
    std::vector<std::string> lines;
    std::ifstream log(std::string(std::getenv("ORVEX_LAB_DIR")) + "/r" + std::to_string(n) + ".log");
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

}  // namespace orvex::test

#define ORVEX_LAN_LAB(...)                                                                 \
    do {                                                                                   \
        if (!::orvex::test::insideLanLab()) {                                              \
            if (geteuid() != 0) GTEST_SKIP() << "network namespaces need root";            \
            const int labStatus = ::orvex::test::runThisTestInLab({__VA_ARGS__});          \
            if (labStatus == 77) GTEST_SKIP() << "network namespaces cannot be made here"; \
            ASSERT_EQ(labStatus, 0) << "inside the lab";                                   \
            return;                                                                        \
        }                                                                                  \
    } while (0)
