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

bool preadAll(int fd, std::string &out) {
    char buf[65536];
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<size_t>(n));
        at += n;
    }
}

bool pwriteAll(int fd, std::string_view content) {
    for (size_t done = 0; done < content.size();) {
        const ssize_t n = pwrite(fd, content.data() + done, content.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Puts content into the open file from its start, then cuts it to that
// length; true only when the file then has exactly that size on disk.
bool overwrite(int fd, std::string_view content) {
    struct stat st {};
    return pwriteAll(fd, content) && ftruncate(fd, static_cast<off_t>(content.size())) == 0 &&
           fsync(fd) == 0 && fstat(fd, &st) == 0 && static_cast<size_t>(st.st_size) == content.size();
}

// A file with several hard links keeps its inode: a rename would give this
// name a new file and leave the other names on the old content. So the new
// content first goes whole into a temporary file beside it (a full disk
// fails there, with the linked file untouched), the space the file grows by
// is reserved, and only then is the content copied over; a copy that still
// fails puts the old content back.
bool rewriteInPlace(const std::string &target, const std::string &temp, int tempFd, std::string_view content,
                    std::string &error) {
    auto fail = [&](const char *what, int err) {
        unlink(temp.c_str());
        error = describe(what, target, err);
        return false;
    };
    const bool staged = writeAll(tempFd, content) && fsync(tempFd) == 0;
    int err = errno;
    if (close(tempFd) != 0 && staged) err = errno;
    if (!staged) return fail("cannot write", err);

    int fd = open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return fail("cannot open", errno);
    std::string old;
    if (!preadAll(fd, old)) {
        err = errno;
        close(fd);
        return fail("cannot read", err);
    }
    if (content.size() > old.size()) {
        err = posix_fallocate(fd, 0, static_cast<off_t>(content.size()));
        if (err != 0) {
            // The emulation of a file system without fallocate may have
            // extended the file: cut it back.
            if (ftruncate(fd, static_cast<off_t>(old.size())) != 0) err = errno;
            close(fd);
            return fail("cannot write", err);
        }
    }
    if (!overwrite(fd, content)) {
        err = errno ? errno : EIO;
        overwrite(fd, old);
        close(fd);
        return fail("cannot write", err);
    }
    err = close(fd) != 0 ? errno : 0;
    unlink(temp.c_str());
    if (err != 0) error = describe("cannot close", target, err);
    return err == 0;
}

}  // namespace

bool writeFileAtomically(const std::string &path, std::string_view content, std::string &error) {
    const std::string target = resolveTarget(path);
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    const std::string folder = folderOf(target);
    std::string base = target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
    std::string temp;
    int fd = createTemporary(folder, base, temp);
    if (fd < 0) {
        error = describe("cannot create a temporary file beside", target, errno);
        return false;
    }
    if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1)
        return rewriteInPlace(target, temp, fd, content, error);
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
