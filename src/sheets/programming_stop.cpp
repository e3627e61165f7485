#include "sheets/programming_stop.h"

#include <csignal>

#include <atomic>
#include <string>

#include "app/string_table.h"
#include "params/content_compare.h"

namespace orvex::app {

namespace {

// Lock-free, so a signal handler may store into it.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

std::string signalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        default:
            return "signal " + std::to_string(signal);
    }
}

}  // namespace

void requestProgrammingStop(int signal) { stopSignal.store(signal, std::memory_order_relaxed); }

int programmingStopSignal() { return stopSignal.load(std::memory_order_relaxed); }

void clearProgrammingStop() { stopSignal.store(0, std::memory_order_relaxed); }

std::string programmingStoppedText(int signal, const std::vector<std::string> &written,
                                   const std::string &backupPath) {
    const StringTable &strings = StringTable::instance();
    const std::string parts = written.empty() ? strings.text("program.nothingWritten") : partNames(written);
    return backupPath.empty() ? strings.format("program.stoppedNoBackup", signalName(signal), parts)
                              : strings.format("program.stopped", signalName(signal), parts, backupPath);
}

}  // namespace orvex::app
