// orvex-readersim as a switchable USB reader (--hid) in a process of its own,
// outside umockdev's preload: the reader's pseudo-terminal must behave as a
// real one (the preload answers termios requests on /dev nodes itself). The
// simulator prints the path it appears on after each switch: its socket in
// HID mode, its terminal in virtual COM mode.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/temp_folder.h"

extern char **environ;

namespace orvex::test {

class UsbReaderProcess {
public:
    explicit UsbReaderProcess(const std::string &serial) {
        const std::string program = std::string(ORVEX_BINARY_DIR) + "/orvex-readersim";
        const std::string dir = folder_.path().string();
        std::vector<std::string> args = {program, "--hid", dir, "--serial", serial};
        std::vector<char *> argv;
        for (auto &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char *> envp;
        for (char **e = environ; *e; ++e) {
            const std::string_view entry(*e);
            if (!entry.starts_with("LD_PRELOAD=") && !entry.starts_with("UMOCKDEV_")) envp.push_back(*e);
        }
        envp.push_back(nullptr);

        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
        setenv("ORVEX_HID_SIM_DIR", dir.c_str(), 1);
    }
    ~UsbReaderProcess() {
        unsetenv("ORVEX_HID_SIM_DIR");
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (out_ >= 0) ::close(out_);
    }
    UsbReaderProcess(const UsbReaderProcess &) = delete;
    UsbReaderProcess &operator=(const UsbReaderProcess &) = delete;

    // The next path the reader appears on; nullopt when none came in time.
    std::optional<std::string> nextAppearance(std::chrono::milliseconds patience) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) != 1) return std::nullopt;
            char chunk[256];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, std::size_t(n));
        }
    }

    static bool isTerminal(const std::string &path) { return path.starts_with("/dev/"); }

private:
    TempFolder folder_;
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

}  // namespace orvex::test
