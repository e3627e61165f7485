// Where `keytable get FILE` may put a reader's key table: a file still to be
// written in an existing folder, an empty file, a character reader's
// configuration (.mkr), or a file that holds key tables alone (an earlier
// `keytable get`, a backup). Anything else is someone's other file, which a
// rewrite would destroy.
#pragma once

#include <string>

namespace orvex::app {

// Why path cannot take the table, as read-config tells it: a usage error
// (no path, a keyboard-wedge file, a file that is no configuration) or the
// file system's answer (a folder, a FIFO, a missing folder, no permission).
struct TargetProblem {
    std::string text;  // empty: the path may take the table
    bool usage = false;
};
TargetProblem keyTableTargetProblem(const std::string &path);

}  // namespace orvex::app
