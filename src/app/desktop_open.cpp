#include "app/desktop_open.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "app/string_table.h"

extern char **environ;

namespace orvex::app {

int openResultFromExitStatus(int exitStatus) {
    switch (exitStatus) {
        case 0:
            return OpenSucceeded;
        case 3:
        case 4:
            return OpenNoHandler;
        default:
            return exitStatus;
    }
}

std::string desktopOpenFailureText(int result) {
    if (result >= 32) return {};
    if (result == OpenOutOfResources) return StringTable::instance().text(10000);
    if (result == OpenNoHandler) return StringTable::instance().text(10001);
    return StringTable::instance().format(10002, result);
}

int desktopOpen(const std::string &target, const std::string &workingDir,
                std::function<void(int result)> finished, const std::string &opener) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return OpenOutOfResources;
    // The viewer must not write into the caller's terminal or read its input.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
    if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
#endif
    std::vector<char *> argv{const_cast<char *>(opener.c_str()), const_cast<char *>(target.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, opener.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc == ENOMEM || rc == EAGAIN) return OpenOutOfResources;
    if (rc == ENOENT || rc == EACCES) return OpenNoHandler;
    if (rc != 0) return rc;

    // xdg-open may stay until the viewer ends: reap it without blocking the caller.
    std::thread([pid, finished = std::move(finished)] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 4;
        if (finished) finished(openResultFromExitStatus(exitStatus));
    }).detach();
    return OpenSucceeded;
}

}  // namespace orvex::app
