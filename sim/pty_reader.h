// A simulated reader on a new pseudo-terminal: one thread blocked in poll() on the master,
// an eventfd (stop, state changes) and a timerfd (paced bytes, delayed answers, output).
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "sim/options.h"
#include "sim/reader_core.h"

namespace orvex::sim {

class PtyReader {
public:
    // Creates the pseudo-terminal and starts the reader. Throws std::runtime_error.
    // `restarted` runs on the reader's thread after the answer to a restart left.
    explicit PtyReader(Options options, std::function<void()> restarted = {});
    ~PtyReader();
    PtyReader(const PtyReader &) = delete;
    PtyReader &operator=(const PtyReader &) = delete;

    // The terminal the host opens (/dev/pts/N).
    const std::string &slavePath() const { return slavePath_; }

    ReaderState state() const { return core_.state(); }
    void setState(const ReaderState &state);
    void modifyState(const std::function<void(ReaderState &)> &change);
    int commandsSeen() const { return core_.commandsSeen(); }
    int linesGarbled() const { return core_.linesGarbled(); }

    // Transponder outputs (--emit) that went out whole, and the times output
    // the host had not read yet was thrown away for newer output.
    int outputsSent() const { return outputsSent_.load(); }
    int outputsDiscarded() const { return outputsDiscarded_.load(); }

    // True once the reader closed its line on purpose (--hangup-after).
    bool hungUp() const { return hungUp_.load(); }

    // Stops the thread and closes the terminal. Idempotent.
    void stop();

private:
    struct Outgoing {
        Transmission transmission;
        Clock::time_point start;
        std::chrono::nanoseconds byteTime{0};  // zero: all bytes at once
        std::size_t sent = 0;
        bool begun = false;
        bool lost = false;  // the host's line did not match: the bytes reach nobody
    };

    void run();
    void wake();
    void accept(std::vector<Transmission> answers, Clock::time_point now, std::size_t requestBytes);
    void enqueue(Transmission transmission, Clock::time_point earliest);
    bool pump(Clock::time_point now);  // false when blocked on a full terminal
    bool hostLineMatches();
    std::optional<Clock::time_point> nextDeadline(Clock::time_point now) const;
    void armTimer(std::optional<Clock::time_point> when);
    void hangUp();

    ReaderCore core_;
    const std::function<void()> restarted_;
    int master_ = -1;
    int slaveHold_ = -1;  // keeps the slave open so the master never reads a hang-up
    int wakeFd_ = -1;
    int timerFd_ = -1;
    std::string slavePath_;

    // Thread-owned.
    std::deque<Outgoing> queue_;
    std::optional<Clock::time_point> nextEmit_;
    std::optional<Clock::time_point> hangupAt_;
    std::optional<Clock::time_point> unreadSince_;  // output has waited unread since
    bool blocked_ = false;
    // The host's line as seen in this pass of the loop: a request and the
    // answer it starts are checked against the same look, one ioctl.
    std::optional<bool> lineMatchThisPass_;
    // The timer's deadline as last set: an unchanged deadline needs no syscall.
    std::optional<Clock::time_point> armedFor_;

    std::atomic<bool> stopping_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<int> outputsSent_{0};
    std::atomic<int> outputsDiscarded_{0};
    std::thread thread_;
};

}  // namespace orvex::sim
