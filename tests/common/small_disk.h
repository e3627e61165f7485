// A small tmpfs of the test's own, for what a full disk does to a write. It is
// mounted in a private mount namespace of the test process (programs the
// test starts see it too), so nothing outside the test ever sees it, even
// when the test dies. Needs root; available() is false otherwise.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/temp_folder.h"

class SmallDisk {
public:
    static constexpr std::size_t kPage = 4096;  // tmpfs counts whole pages

    explicit SmallDisk(std::size_t pages) {
        static const bool isolated = geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
                                     mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!isolated) return;
        const std::string size = "size=" + std::to_string(pages * kPage);
        mounted_ = mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, size.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) umount2(folder_.path().c_str(), MNT_DETACH);
    }

    bool available() const { return mounted_; }
    std::string file(const std::string &name) const { return folder_.file(name); }

    // Fills the disk until only `freePages` pages are left.
    void fill(std::size_t freePages) {
        const int fd = open(file(".filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const std::vector<char> page(kPage, 'x');
        off_t size = 0;
        while (write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size())) size += kPage;
        const off_t keep = size - static_cast<off_t>(freePages * kPage);
        if (ftruncate(fd, keep > 0 ? keep : 0) != 0) ADD_FAILURE() << "cannot free pages: " << errno;
        close(fd);
    }
    // Gives the space fill() took back.
    void release() { unlink(file(".filler").c_str()); }

private:
    TempFolder folder_;
    bool mounted_ = false;
};
