// The host's side of the Bluetooth dongle: requests and the waits for their
// events, inquiry with remote names, link set-up and release, link data, and
// the automatic reconnection to the last reader. Works on any byte stream fd
// (the dongle's tty; a socket in tests). Everything runs on the calling
// thread; a wait sleeps in poll() on the fd, never spins.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "transport/dongle_events.h"
#include "transport/dongle_frame.h"

namespace orvex::dongle {

inline constexpr std::size_t kRecordSize = 6 + kNameCapacity;  // address + NUL-padded name
inline constexpr int kNoAnswer = -1;

// Inquiry length byte for a timeout: units of 1.28 s, one less, at most 48.
std::uint8_t inquiryLength(int timeoutMs);

class DongleLink {
public:
    using Clock = std::chrono::steady_clock;

    // Takes over the open fd (non-blocking, closed by close()).
    explicit DongleLink(int fd);
    ~DongleLink();
    DongleLink(const DongleLink &) = delete;
    DongleLink &operator=(const DongleLink &) = delete;

    // Called about every 15 ms while an operation waits (keeps a window painted).
    void setWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }

    // Sends the reset request and waits up to `timeoutMs` for the ready event.
    bool reset(int timeoutMs);

    // Records of 38 bytes (address, name) into `records`; the bytes written,
    // or kNoAnswer when the dongle did not answer in time.
    int inquiry(std::uint8_t *records, std::size_t capacity, int timeoutMs, std::uint32_t classFilter);

    // 0 connected; kNoAnswer on timeout; otherwise the link status.
    int connect(const Address &address, std::uint8_t remoteChannel, int timeoutMs);

    // The name the remote device tells (empty when it tells none); nullopt
    // when the dongle did not answer in time.
    std::optional<std::string> remoteName(const Address &address, int timeoutMs);

    // Reconnects first when the link is down; true when the request was written.
    bool sendLinkData(const std::uint8_t *data, std::size_t length);
    // Reconnects first when the link is down, handles the events that came,
    // then moves up to `capacity` link-data bytes to the caller. A request
    // that got no answer yet and whose send the dongle refused, or whose link
    // was released, is sent once more over a link set up again: it never
    // reached the reader.
    std::size_t readLinkData(std::uint8_t *buffer, std::size_t capacity);
    // Sleeps until the dongle has sent something or `until` has come.
    void waitForInput(Clock::time_point until);

    // Releases the link if up and closes the fd. Idempotent.
    void close();

    bool connected() const { return state_.connected; }
    // False once the fd is closed or the device hung up.
    bool alive() const { return fd_ >= 0 && !hungUp_; }
    int fd() const { return fd_; }

private:
    struct Peer {
        Address address{};
        std::uint8_t channel = 2;
        int timeoutMs = 0;
    };

    // The last link-data request while no answer to it has come.
    struct InFlight {
        std::vector<std::uint8_t> request;  // data of the send-data request
        bool lost = false;                  // refused by the dongle, or its link released
        bool resent = false;
    };

    void readAvailable();
    bool processEvent();
    void followInFlight(const Frame &frame, EventOutcome outcome, std::size_t linkDataBefore);
    void resendLostRequest();
    bool writeRequest(std::uint8_t opcode, std::span<const std::uint8_t> data);
    // Sends the request and handles events until the awaited one (or a
    // failure event) arrived; false when the time ran out.
    bool request(std::uint8_t opcode, std::span<const std::uint8_t> data, std::uint16_t awaited,
                 int timeoutMs);
    bool waitArrived(int timeoutMs);
    bool reconnectIfNeeded();

    int fd_;
    bool hungUp_ = false;
    FrameReader reader_;
    DongleState state_;
    std::optional<Peer> peer_;
    std::optional<InFlight> inFlight_;
    std::optional<Clock::time_point> lastFailedAttempt_;
    std::function<void()> waitHook_;
};

}  // namespace orvex::dongle
