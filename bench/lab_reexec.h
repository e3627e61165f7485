// Benchmarks that need a namespace LAN run themselves again inside
// tools/netns-lab (which sets ORVEX_LAB_HOST); outside it they only start it.
#pragma once

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace orvex::bench {

// Replaces this process with the lab running this program again with the
// same arguments; labArgs describe the lab's adapters and readers. Returns
// only on failure.
inline int reexecInLab(const std::vector<std::string> &labArgs, int argc, char **argv) {
    char exe[PATH_MAX] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return 1;
    std::vector<std::string> args = {ORVEX_SOURCE_DIR "/tools/netns-lab", "--sim",
                                     ORVEX_BINARY_DIR "/orvex-readersim"};
    args.insert(args.end(), labArgs.begin(), labArgs.end());
    args.insert(args.end(), {"--", exe});
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    std::vector<char *> list;
    for (auto &arg : args) list.push_back(arg.data());
    list.push_back(nullptr);
    execv(list[0], list.data());
    std::perror("netns-lab");
    return 1;
}

// Inside the lab: false. Outside: starts the lab (root) or says why the
// benchmark is skipped, and sets exitCode for main to return.
inline bool startLabIfOutside(const char *name, const std::vector<std::string> &labArgs, int argc,
                              char **argv, int &exitCode) {
    if (std::getenv("ORVEX_LAB_HOST")) return false;
    if (geteuid() != 0) {
        std::printf("%s: skipped (network namespaces need root)\n", name);
        exitCode = 0;
    } else {
        exitCode = reexecInLab(labArgs, argc, argv);
    }
    return true;
}

}  // namespace orvex::bench
