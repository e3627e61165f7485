// The dongle protocol: frame parsing, event handling and the host's waits,
// against a scripted dongle on the other end of a socket pair.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "transport/dongle_events.h"
#include "transport/dongle_frame.h"
#include "transport/dongle_link.h"

namespace orvex::dongle {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

Bytes frame(std::uint8_t type, std::uint8_t opcode, const Bytes &data) {
    return encodeFrame(type, opcode, data);
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto &p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(DongleFrame, RequestLayoutAndChecksum) {
    // 0x02, type, opcode, length LE, low byte of (type + opcode + length bytes), data, 0x03
    EXPECT_EQ(frame(kRequest, kInquiry, {14, 0, 0}),
              (Bytes{0x02, 0x52, 0x00, 0x03, 0x00, 0x55, 14, 0, 0, 0x03}));
    EXPECT_EQ(frame(kRequest, kReset, {}), (Bytes{0x02, 0x52, 0x26, 0x00, 0x00, 0x78, 0x03}));
    Bytes big(300, 0xAA);
    const Bytes encoded = frame(kRequest, kSendData, big);
    EXPECT_EQ(encoded[3], 300 & 0xFF);
    EXPECT_EQ(encoded[4], 300 >> 8);
    EXPECT_EQ(encoded[5], static_cast<std::uint8_t>(0x52 + 0x0F + 0x2C + 0x01));
}

TEST(DongleFrame, ReaderCutsFramesOutOfNoise) {
    const Bytes ready = frame(kIndication, 0x25, {});
    const Bytes name = frame(kConfirmation, kRemoteName, {0, 1, 2, 3, 4, 5, 6, 2, 'A', 'B'});
    Bytes oversized = {0x02, 0x69, 0x10, 0xFF, 0xFF, 0x00};  // could never fit into the buffer
    struct Case {
        const char *what;
        Bytes input;
        std::vector<std::uint16_t> events;
        std::size_t left;
    };
    const Case cases[] = {
        {"a frame without data is whole at 7 bytes", ready, {0x2569}, 0},
        {"noise before a frame is dropped", join({{0x55, 0x03, 0xFF}, ready}), {0x2569}, 0},
        {"two frames back to back", join({name, ready}), {0x0243, 0x2569}, 0},
        {"a partial frame waits for its rest", Bytes(name.begin(), name.end() - 3), {}, name.size() - 3},
        {"an impossible length is no frame start", join({oversized, ready}), {0x2569}, 0},
    };
    for (const auto &c : cases) {
        FrameReader reader;
        reader.append(c.input.data(), c.input.size());
        std::vector<std::uint16_t> seen;
        while (auto f = reader.next()) seen.push_back(f->event());
        EXPECT_EQ(seen, c.events) << c.what;
        EXPECT_EQ(reader.buffered(), c.left) << c.what;
    }
}

TEST(DongleFrame, BufferNeverGrowsPastItsCapacity) {
    FrameReader reader;
    const Bytes junk(1500, 0x02);
    EXPECT_EQ(reader.append(junk.data(), junk.size()), kBufferCapacity);
    EXPECT_EQ(reader.append(junk.data(), 1), 0u);
}

TEST(DongleEvents, StateChangesOfEachEvent) {
    struct Case {
        const char *what;
        Frame event;
        std::function<void(DongleState &)> before;
        std::function<void(const DongleState &)> check;
    };
    const auto name30 = [] {
        Bytes d = {0, 1, 2, 3, 4, 5, 6, 40};
        for (int i = 0; i < 40; ++i) d.push_back(static_cast<std::uint8_t>('a' + i % 26));
        return d;
    }();
    const Case cases[] = {
        {"name answer is cut to 30 bytes",
         {kConfirmation, kRemoteName, name30},
         nullptr,
         [](const DongleState &s) { EXPECT_EQ(s.nameText().size(), 30u); }},
        {"name answer claiming more than it carries",
         {kConfirmation, kRemoteName, {0, 1, 2, 3, 4, 5, 6, 20, 'x'}},
         nullptr,
         [](const DongleState &s) { EXPECT_EQ(s.nameText(), "x"); }},
        {"failed name answer leaves the name empty",
         {kConfirmation, kRemoteName, {4, 1, 2, 3, 4, 5, 6, 1, 'x'}},
         [](DongleState &s) { s.name[0] = 'q'; },
         [](const DongleState &s) { EXPECT_TRUE(s.nameEmpty()); }},
        {"link up",
         {kIndication, 0x0B, {0, 1, 2, 3, 4, 5, 6, 2, 1}},
         nullptr,
         [](const DongleState &s) {
             EXPECT_TRUE(s.connected);
             EXPECT_TRUE(s.arrived);
         }},
        {"link set-up refused",
         {kConfirmation, kLinkSetup, {0x04, 2}},
         nullptr,
         [](const DongleState &s) {
             EXPECT_EQ(s.linkStatus, 4);
             EXPECT_TRUE(s.arrived);
             EXPECT_FALSE(s.connected);
         }},
        {"link released",
         {kIndication, 0x0E, {2, 0x13}},
         [](DongleState &s) { s.connected = true; },
         [](const DongleState &s) { EXPECT_FALSE(s.connected); }},
        {"data for a channel never opened is ignored",
         {kIndication, 0x10, {5, 2, 0, 'h', 'i'}},
         nullptr,
         [](const DongleState &s) { EXPECT_EQ(s.linkDataCount, 0u); }},
        {"data length beyond the frame takes what is there",
         {kIndication, 0x10, {2, 0xE8, 0x03, 'h', 'i'}},
         nullptr,
         [](const DongleState &s) { EXPECT_EQ(s.linkDataCount, 2u); }},
        {"link data stops at the buffer's end",
         {kIndication, 0x10, {2, 10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
         [](DongleState &s) { s.linkDataCount = kBufferCapacity - 4; },
         [](const DongleState &s) { EXPECT_EQ(s.linkDataCount, kBufferCapacity); }},
        {"found device table holds 29",
         {kIndication, 0x01, {9, 9, 9, 9, 9, 9, 0, 5, 0}},
         [](DongleState &s) { s.foundCount = kMaxFoundDevices; },
         [](const DongleState &s) { EXPECT_EQ(s.foundCount, kMaxFoundDevices); }},
    };
    for (const auto &c : cases) {
        DongleState s;
        s.awaited = c.event.event();
        if (c.before) c.before(s);
        handleEvent(s, c.event);
        SCOPED_TRACE(c.what);
        c.check(s);
    }
}

TEST(DongleEvents, ClassFilterStoresTheMatchAndAsksForReset) {
    DongleState s;
    s.classFilter = 0x500;
    EXPECT_EQ(handleEvent(s, {kIndication, 0x01, {1, 1, 1, 1, 1, 1, 0x0C, 0x02, 0x5A}}),
              EventOutcome::Handled);
    EXPECT_EQ(s.foundCount, 0u);
    EXPECT_EQ(handleEvent(s, {kIndication, 0x01, {2, 2, 2, 2, 2, 2, 0x00, 0x05, 0x00}}),
              EventOutcome::SendReset);
    EXPECT_EQ(s.foundCount, 1u);
    EXPECT_EQ(s.found[0][0], 2);
}

TEST(DongleLink, InquiryLengthFromTimeout) {
    const std::pair<int, int> cases[] = {{20000, 14}, {10000, 6}, {3000, 1}, {1000, 48}, {100000, 48}};
    for (auto [ms, length] : cases) EXPECT_EQ(inquiryLength(ms), length) << ms;
}

// The far end of a socket pair plays the dongle.
struct ScriptedDongle {
    int host = -1, dongle = -1;
    ScriptedDongle() {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        host = fds[0];
        dongle = fds[1];
        fcntl(host, F_SETFL, O_NONBLOCK);
    }
    ~ScriptedDongle() { ::close(dongle); }
    void say(const Bytes &bytes) const {
        ASSERT_EQ(write(dongle, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    Bytes heard() const {
        Bytes all(4096);
        fcntl(dongle, F_SETFL, O_NONBLOCK);
        const ssize_t n = read(dongle, all.data(), all.size());
        all.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return all;
    }
};

TEST(DongleLink, SilenceMidInquiryFailsWithinTheTimeout) {
    ScriptedDongle d;
    DongleLink link(d.host);
    // Devices found, then the dongle falls silent before the inquiry ends.
    d.say(frame(kIndication, 0x01, {1, 2, 3, 4, 5, 6, 0, 5, 0}));
    std::uint8_t records[380];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.inquiry(records, sizeof records, 300, 0), kNoAnswer);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 2s);
}

TEST(DongleLink, EmptyNameIsAskedFiveMoreTimes) {
    ScriptedDongle d;
    DongleLink link(d.host);
    // Inquiry: one device, done; then six empty name answers, all queued up front.
    d.say(frame(kIndication, 0x01, {1, 2, 3, 4, 5, 6, 0, 5, 0}));
    d.say(frame(kConfirmation, kInquiry, {0}));
    for (int i = 0; i < 6; ++i) d.say(frame(kConfirmation, kRemoteName, {0, 1, 2, 3, 4, 5, 6, 0}));
    std::uint8_t records[40];
    ASSERT_EQ(link.inquiry(records, sizeof records, 2000, 0), 38);
    EXPECT_EQ(Bytes(records, records + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(records[6], 0);
    // inquiry + six name requests went out
    const Bytes sent = d.heard();
    const Bytes nameRequest = frame(kRequest, kRemoteName, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(sent.size(), frame(kRequest, kInquiry, {1, 0, 0}).size() + 6 * nameRequest.size());
}

TEST(DongleLink, ReleasedLinkReconnectsToTheStoredPeerPacedByHalfSeconds) {
    ScriptedDongle d;
    DongleLink link(d.host);
    d.say(frame(kIndication, 0x0B, {0, 1, 2, 3, 4, 5, 6, 2, 1}));
    ASSERT_EQ(link.connect({1, 2, 3, 4, 5, 6}, 1, 300), 0);
    d.heard();
    d.say(frame(kIndication, 0x0E, {2, 0x13}));

    // The next send sets the link up again to the same reader and channel; this
    // dongle does not answer, so the send fails after the stored connect time.
    const std::uint8_t payload[] = {0x02, 0x01, 0x76};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.sendLinkData(payload, sizeof payload));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(d.heard(), frame(kRequest, kLinkSetup, {2, 1, 2, 3, 4, 5, 6, 1}));
    // Within half a second of that failure no new attempt is made.
    EXPECT_TRUE(link.sendLinkData(payload, sizeof payload));
    EXPECT_EQ(d.heard(), frame(kRequest, kSendData, {2, 3, 0, 0x02, 0x01, 0x76}));
}

const Bytes kLinkUp = frame(kIndication, 0x0B, {0, 1, 2, 3, 4, 5, 6, 2, 1});

// The link to device 01..06 up, what the host sent for it taken away.
void setUpLink(const ScriptedDongle &d, DongleLink &link) {
    d.say(kLinkUp);
    ASSERT_EQ(link.connect({1, 2, 3, 4, 5, 6}, 1, 1000), 0);
    d.heard();
}

// Plays the dongle's part of a link set-up: once the host's request has come
// (left unread for heard()), the link is reported up.
std::thread answerLinkSetup(const ScriptedDongle &d) {
    return std::thread([&d] {
        pollfd p{d.dongle, POLLIN, 0};
        if (::poll(&p, 1, 5000) > 0) d.say(kLinkUp);
    });
}

TEST(DongleLink, RequestThatNeverReachedTheReaderIsSentOnceMoreOverANewLink) {
    const Bytes refused = frame(kConfirmation, kSendData, {0x02, 2});
    const Bytes taken = frame(kConfirmation, kSendData, {0x00, 2});
    const Bytes released = frame(kIndication, 0x0E, {2, 0x08});
    const struct {
        const char *what;
        Bytes dongleSays;
    } cases[] = {
        {"send refused, then the link released", join({refused, released})},
        {"send refused, the release not told", refused},
        {"send taken, then the link released", join({taken, released})},
    };
    const std::uint8_t request[] = {0x02, 0x01, 0x76};
    const Bytes sendRequest = frame(kRequest, kSendData, {2, 3, 0, 0x02, 0x01, 0x76});
    const Bytes setupRequest = frame(kRequest, kLinkSetup, {2, 1, 2, 3, 4, 5, 6, 1});
    for (const auto &c : cases) {
        ScriptedDongle d;
        DongleLink link(d.host);
        setUpLink(d, link);
        ASSERT_TRUE(link.sendLinkData(request, sizeof request)) << c.what;
        EXPECT_EQ(d.heard(), sendRequest) << c.what;

        d.say(c.dongleSays);
        std::thread dongle = answerLinkSetup(d);
        std::uint8_t answer[8];
        EXPECT_EQ(link.readLinkData(answer, sizeof answer), 0u) << c.what;
        dongle.join();
        EXPECT_EQ(d.heard(), join({setupRequest, sendRequest})) << c.what;

        // Once only: lost again, it is left to the caller's timeout.
        d.say(join({refused, released}));
        EXPECT_EQ(link.readLinkData(answer, sizeof answer), 0u) << c.what;
        EXPECT_EQ(d.heard(), Bytes{}) << c.what;
    }
}

TEST(DongleLink, RequestTheReaderAnsweredIsNotSentAgain) {
    ScriptedDongle d;
    DongleLink link(d.host);
    setUpLink(d, link);
    const std::uint8_t request[] = {0x02, 0x01, 0x76};
    ASSERT_TRUE(link.sendLinkData(request, sizeof request));
    d.heard();
    // The first part of the answer came before the link went.
    d.say(join({frame(kConfirmation, kSendData, {0, 2}), frame(kIndication, 0x10, {2, 2, 0, 0x06, 0x01}),
                frame(kIndication, 0x0E, {2, 0x08})}));
    std::uint8_t answer[8];
    EXPECT_EQ(link.readLinkData(answer, sizeof answer), 2u);
    EXPECT_EQ(d.heard(), Bytes{});
    EXPECT_FALSE(link.connected());
}

}  // namespace
}  // namespace orvex::dongle
