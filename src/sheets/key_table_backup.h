// The reader's key table kept before the command line overwrites it: an .mkr
// file holding the "HID_KEYS" section and the model it was read from, in the
// folder and under the names of the configuration backups, so that
// `keytable set FILE` puts the old table back.
#pragma once

#include <string>

#include "params/key_table.h"

namespace orvex::app {

struct KeyTableBackup {
    std::string path;   // the file kept; empty when none could be written
    std::string error;  // why not
};

// folder empty: the configuration backups' folder.
KeyTableBackup saveKeyTableBackup(const KeyTable &table, const std::string &model, const std::string &port,
                                  const std::string &folder = {});

}  // namespace orvex::app
