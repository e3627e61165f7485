// "Inhalt eines programmierten Gerätes lesen": reads the whole configuration
// of a reader and turns it into the plain-text report (key sequences as hex,
// data format and operating parameters in words). Reads only.
#pragma once

#include <functional>
#include <string>

#include "app/connect.h"

namespace orvex::app {

struct ReadContentState {
    int handle = 0;  // 0: readContent connects by itself
    int baud = 19200;
    CapabilityFlags flags = 0;  // from the caller or the own connect
    std::string text;           // the report (UTF-8, CR LF line ends)
    bool complete = false;      // every block was read
};

// Runs the reads and builds the report. False only when no connection could
// be made (the connect routine showed its message). Always ends with the
// link closed. onText is called whenever the dialog would show the growing
// text.
bool readContent(ConnectContext &ctx, ReadContentState &state,
                 const std::function<void(const std::string &)> &onText = {});

}  // namespace orvex::app
