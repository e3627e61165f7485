// Runs the built orvexctl as a child process, the way scripts run it: its own
// settings folder, stdin from /dev/null, no shell between.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

extern char **environ;

namespace orvex::test {

struct CtlRun {
    int code = -1;  // exit code; -1 when killed by a signal
    std::string out, err;
};

// The build's orvexctl with args; XDG_CONFIG_HOME is configHome (and
// XDG_STATE_HOME its folder "state"), extraEnv
// ("NAME=value") is added to (or replaces in) those and the caller's environment.
// `started` learns the child's process id as soon as it runs.
inline CtlRun runOrvexctl(const std::filesystem::path &configHome, std::vector<std::string> args,
                          const std::vector<std::string> &extraEnv = {},
                          const std::function<void(pid_t)> &started = {}) {
    const std::string program = std::string(ORVEX_BINARY_DIR) + "/orvexctl";
    args.insert(args.begin(), program);
    std::vector<char *> argv;
    for (auto &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    // Backups of programming runs go beside the settings, not into the user's state.
    std::vector<std::string> env = extraEnv;
    auto overridden = [&](const std::string &entry) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        for (const auto &e : env)
            if (e.compare(0, name.size(), name) == 0) return true;
        return false;
    };
    for (const std::string &folder :
         {"XDG_CONFIG_HOME=" + configHome.string(), "XDG_STATE_HOME=" + (configHome / "state").string()})
        if (!overridden(folder)) env.push_back(folder);
    for (char **e = environ; *e; ++e)
        if (!overridden(*e)) env.emplace_back(*e);
    std::vector<char *> envp;
    for (auto &e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    if (spawned == 0 && started) started(pid);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);

    CtlRun run;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string *sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (spawned == 0 && open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.code = WEXITSTATUS(status);
    return run;
}

}  // namespace orvex::test
