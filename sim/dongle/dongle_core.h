// The simulated Bluetooth dongle without any I/O: the host's request frames
// in, timed event frames out. Each radio reader behind it is a full reader on
// the shared reader core; its frames travel as link data.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/dongle/radio_reader.h"
#include "sim/options.h"
#include "sim/reader_core.h"

namespace orvex::sim::dongle {

struct DongleOptions {
    std::vector<RadioReaderSetup> readers;
    // The dongle's own answer times.
    int inquiryMs = 300;  // a whole inquiry at most (a real one takes its length x 1.28 s)
    int nameMs = 25;      // one remote name request
    int connectMs = 40;   // one link set-up
};

class DongleCore {
public:
    // `base` is the reader options every radio reader starts from.
    DongleCore(DongleOptions options, const Options &base);

    // Host bytes received at `now`.
    void receive(const std::uint8_t *data, std::size_t length, Clock::time_point now);
    // Frames whose time has come, in order.
    Bytes takeDue(Clock::time_point now);
    std::optional<Clock::time_point> nextDue() const;

    const DongleOptions &options() const { return options_; }
    ReaderCore &reader(std::size_t index) { return *cores_.at(index); }
    // Index of the reader with a radio link, if any.
    std::optional<std::size_t> linkedReader() const;
    int requestsSeen() const;

private:
    enum class Kind { Plain, Inquiry, Link };
    struct Scheduled {
        Bytes frame;
        Kind kind = Kind::Plain;
        std::function<void()> effect;  // runs when the frame goes out
    };

    void handle(std::uint8_t opcode, const Bytes &data, Clock::time_point now);
    void schedule(Clock::time_point at, Bytes frame, Kind kind = Kind::Plain,
                  std::function<void()> effect = {});
    void cancel(Kind kind);
    std::optional<std::size_t> readerAt(const std::uint8_t *address) const;
    void inquiry(const Bytes &data, Clock::time_point now);
    void remoteName(const Bytes &data, Clock::time_point now);
    void linkSetup(const Bytes &data, Clock::time_point now);
    void linkRelease(Clock::time_point now);
    void sendData(const Bytes &data, Clock::time_point now);
    void reset(Clock::time_point now);

    const DongleOptions options_;
    std::vector<std::unique_ptr<ReaderCore>> cores_;
    mutable std::mutex mutex_;
    Bytes input_;
    std::multimap<Clock::time_point, Scheduled> queue_;
    std::optional<std::size_t> linked_;
    int answersOnLink_ = 0;
    // The link went down without a word (drop-every): the next send hears of it.
    bool droppedSilently_ = false;
    int requests_ = 0;
};

}  // namespace orvex::sim::dongle
