// A simulated reader on its own pseudo-terminal, for the link's end-to-end tests.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "orvex/orvex.h"
#include "sim/pty_reader.h"

namespace orvex::test {

inline sim::Options readerOptions(int variant, const char *version = "1245") {
    sim::Options o;
    o.variant = variant;
    o.versionAnswer = version;
    return o;
}

// Opens the reader's terminal through the C API; closes the handle at the end.
struct OpenPort {
    int handle;
    explicit OpenPort(const std::string &name, int baud = 19200, int timeout = 500)
        : handle(Orvex_OpenPort(name.c_str(), baud, timeout)) {}
    ~OpenPort() {
        if (handle > 0) Orvex_ClosePort(handle);
    }
};

// Raw output needs the reader's time to arrive; give it up to two seconds.
template <class Pred>
bool eventually(Pred pred) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace orvex::test
