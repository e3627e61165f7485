#include "sim/sim_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace orvex::sim {

SimProcess::SimProcess(const std::string &binary, const std::vector<std::string> &args) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(binary.c_str()));
    for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    int rc = ::posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        pid_ = -1;
        throw std::runtime_error("cannot start " + binary + ": " + std::strerror(rc));
    }
    // The first line is the path; read byte by byte so nothing after it is consumed.
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') slavePath_ += c;
    ::close(out[0]);
    if (slavePath_.empty()) {
        stop();
        throw std::runtime_error(binary + " printed no terminal path");
    }
}

SimProcess::~SimProcess() { stop(); }

int SimProcess::stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
}

}  // namespace orvex::sim
