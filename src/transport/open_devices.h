// Which device nodes some process holds open: a reader another program uses
// is not offered. Linux keeps no "in use" flag on a tty, so the answer comes
// from /proc/PID/fd of every process this user may look into (our own open
// ports included); processes of other users stay unseen.
#pragma once

#include <sys/types.h>

#include <set>
#include <string>

namespace orvex {

class OpenDevices {
public:
    // A look at the open character devices now.
    static OpenDevices scan(const std::string &procRoot = "/proc");

    // Whether the node is open somewhere: the same device number, or the
    // same name once symbolic links are followed (/dev/serial/by-id names).
    bool holds(const std::string &node) const;

private:
    std::set<dev_t> numbers_;
    std::set<std::string> paths_;
};

}  // namespace orvex
