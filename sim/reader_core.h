// One simulated reader without any I/O: request bytes in, answer bytes and state out.
// Front-ends (pseudo-terminal, TCP) move the bytes and keep the time. Thread-safe: a test
// may read or change the state while a front-end thread feeds bytes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/command_set.h"
#include "sim/frame_codec.h"
#include "sim/options.h"
#include "sim/reader_line.h"
#include "sim/reader_state.h"

namespace orvex::sim {

using Clock = std::chrono::steady_clock;

// Bytes the reader sends in one go.
struct Transmission {
    Bytes bytes;
    std::chrono::milliseconds delay{0};      // hold back before the first byte
    std::optional<std::size_t> hangupAfter;  // close the line after this many bytes
    std::optional<ReaderLine> lineAfter;     // the reader's line once the bytes are out
    bool spontaneous = false;                // transponder output, not an answer
    bool restartAfter = false;               // the answer to a restart: the reader starts anew once it is out
};

class ReaderCore {
public:
    // Loads the state file (when given) under the options' identity overrides, or starts
    // factory-fresh and writes it. Throws std::runtime_error for an unreadable state file.
    explicit ReaderCore(Options options);

    // Bytes the host sent while the line matched, received at `now`. Returns the answers.
    std::vector<Transmission> receive(const std::uint8_t *data, std::size_t length, Clock::time_point now);
    // Bytes that arrived at a wrong rate or framing: the reader's UART sees noise, so any
    // partly received frame is lost.
    void lineNoise();

    // The line the reader uses now (changes after a baud-change answer is out).
    ReaderLine line() const;
    // Called by the front-end when a transmission has left; applies a pending line change.
    void transmitted(const Transmission &transmission);

    // The transponder output while the reader reads with output; nullopt otherwise.
    std::optional<Transmission> spontaneousOutput() const;
    std::chrono::milliseconds emitPeriod() const { return std::chrono::milliseconds(options_.everyMs); }

    ReaderState state() const;
    // Replaces the state (and rewrites the state file); the reader's line follows its Baud.
    void setState(const ReaderState &state);
    void modifyState(const std::function<void(ReaderState &)> &change);

    const Options &options() const { return options_; }
    int commandsSeen() const;
    // How often bytes arrived at a rate or framing the reader does not use.
    int linesGarbled() const;

private:
    void handleRequest(const Request &request, std::vector<Transmission> &out);
    void handleRawByte(std::uint8_t byte, std::vector<Transmission> &out);
    std::uint8_t successCode(const Request &request) const;
    std::uint8_t errorCode(Outcome outcome) const;
    void persist();

    const Options options_;
    mutable std::mutex mutex_;
    ReaderState state_;
    ReaderLine line_;
    RequestParser parser_;
    Clock::time_point lastByte_{};
    int commands_ = 0;
    int garbled_ = 0;
};

}  // namespace orvex::sim
