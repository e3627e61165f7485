#include "base/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvex::app {

namespace {

std::string describe(const char *what, const std::string &path, int err) {
    return std::string(what) + " \"" + path + "\": " + std::strerror(err);
}

// The file a rewrite must replace: the target of a symbolic link (the link
// itself would otherwise be turned into a plain file), else path itself.
std::string resolveTarget(const std::string &path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char buf[PATH_MAX];
    if (realpath(path.c_str(), buf) != nullptr) return buf;
    return path;  // dangling link: replace the link, as a plain write would fail
}

std::string folderOf(const std::string &path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Creates a fresh temporary file beside target. Created with 0666 so that the
// umask applies as it would to any new file.
int createTemporary(const std::string &folder, const std::string &base, std::string &temp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + "/." + base + "." + std::to_string(getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + ".tmp";
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, std::string_view content) {
    const char *p = content.data();
    size_t left = content.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// A file with several hard links is rewritten in place: a rename would give
// this name a new file and leave the other names on the old content.
bool rewriteInPlace(const std::string &target, std::string_view content, std::string &error) {
    int fd = open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot open", target, errno);
        return false;
    }
    const bool ok = writeAll(fd, content) && fsync(fd) == 0;
    int err = errno;
    if (close(fd) != 0 && ok) err = errno;
    if (!ok) error = describe("cannot write", target, err);
    return ok;
}

}  // namespace

bool writeFileAtomically(const std::string &path, std::string_view content, std::string &error) {
    const std::string target = resolveTarget(path);
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1) return rewriteInPlace(target, content, error);
    const std::string folder = folderOf(target);
    std::string base = target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
    std::string temp;
    int fd = createTemporary(folder, base, temp);
    if (fd < 0) {
        error = describe("cannot create a temporary file beside", target, errno);
        return false;
    }
    auto fail = [&](const char *what) {
        int err = errno;
        close(fd);
        unlink(temp.c_str());
        error = describe(what, target, err);
        return false;
    };

    // The replacement keeps the old file's mode, and its owner where this
    // process may give it (as root); otherwise the file becomes the writer's.
    if (exists && fchmod(fd, old.st_mode & 07777) != 0) return fail("cannot set the permissions of");
    if (exists && geteuid() == 0 && fchown(fd, old.st_uid, old.st_gid) != 0)
        return fail("cannot set the owner of");
    if (!writeAll(fd, content)) return fail("cannot write");
    if (fsync(fd) != 0) return fail("cannot sync");
    if (close(fd) != 0) {
        int err = errno;
        unlink(temp.c_str());
        error = describe("cannot close", target, err);
        return false;
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        unlink(temp.c_str());
        error = describe("cannot replace", target, err);
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file
    // either way, so it is not reported.
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

}  // namespace orvex::app
