// The tty transport on a real pseudo-terminal pair.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <poll.h>
#include <unistd.h>

#include "transport/tty_transport.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;

struct Collector : ByteSink {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint8_t> bytes;
    std::vector<std::thread::id> deliveredBy;  // one entry per delivered byte
    bool lost = false;

    void receiveBytes(const std::uint8_t *d, std::size_t n) override {
        std::lock_guard lock(mutex);
        bytes.insert(bytes.end(), d, d + n);
        deliveredBy.insert(deliveredBy.end(), n, std::this_thread::get_id());
        changed.notify_all();
    }
    void linkLost() override {
        std::lock_guard lock(mutex);
        lost = true;
        changed.notify_all();
    }
    template <class Pred>
    bool waitFor(Pred pred, std::chrono::seconds patience = 5s) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, patience, pred);
    }
};

struct Pty : ::testing::Test {
    int master = -1;
    std::string slave;
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slave = ptsname(master);
    }
    void TearDown() override {
        if (master >= 0) ::close(master);
    }
    std::vector<std::uint8_t> readMaster(std::size_t n) {
        std::vector<std::uint8_t> out;
        while (out.size() < n) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) break;
            std::uint8_t buf[256];
            ssize_t r = ::read(master, buf, std::min(sizeof buf, n - out.size()));
            if (r <= 0) break;
            out.insert(out.end(), buf, buf + r);
        }
        return out;
    }
};

TEST_F(Pty, BytesTravelBothWaysUnchanged) {
    Collector sink;
    auto t = TtyTransport::open(slave, {115200, Parity::Even, StopBits::Two}, sink);
    ASSERT_TRUE(t);
    // Raw mode: CR, LF, XON/XOFF and NUL pass untouched.
    const std::vector<std::uint8_t> out = {0x02, 0x0D, 0x0A, 0x11, 0x13, 0x00, 0xFF, 0x03};
    ASSERT_TRUE(t->send(out.data(), out.size()));
    EXPECT_EQ(readMaster(out.size()), out);
    ASSERT_EQ(::write(master, out.data(), out.size()), static_cast<ssize_t>(out.size()));
    EXPECT_TRUE(sink.waitFor([&] { return sink.bytes.size() >= out.size(); }));
    EXPECT_EQ(sink.bytes, out);
    EXPECT_TRUE(t->alive());
    EXPECT_EQ(t->requestedLine().rate, 115200);
    EXPECT_EQ(t->requestedLine().parity, Parity::Even);
}

TEST_F(Pty, SendLargerThanTheTransmitRoomIsDropped) {
    Collector sink;
    auto t = TtyTransport::open(slave, {19200, Parity::None, StopBits::One}, sink);
    ASSERT_TRUE(t);
    std::vector<std::uint8_t> big(TtyTransport::kTransmitCapacity + 1, 0x41);
    EXPECT_FALSE(t->send(big.data(), big.size()));
    const std::uint8_t one = 0x42;
    EXPECT_TRUE(t->send(&one, 1));
    EXPECT_EQ(readMaster(1), std::vector<std::uint8_t>{0x42});
}

TEST_F(Pty, HangUpMarksTheTransportDead) {
    Collector sink;
    auto t = TtyTransport::open(slave, {19200, Parity::None, StopBits::One}, sink);
    ASSERT_TRUE(t);
    const std::uint8_t last[] = {0x01, 0x02};
    ASSERT_EQ(::write(master, last, 2), 2);
    EXPECT_TRUE(sink.waitFor([&] { return sink.bytes.size() == 2; }));
    ::close(master);
    master = -1;
    EXPECT_TRUE(sink.waitFor([&] { return sink.lost; }));
    EXPECT_FALSE(t->alive());
    const std::uint8_t one = 0x00;
    t->send(&one, 1);  // harmless after the hang-up
    t->close();
}

TEST_F(Pty, WaitingCallerReadsItselfAndTheThreadTakesOverAfter) {
    Collector sink;
    auto t = TtyTransport::open(slave, {19200, Parity::None, StopBits::One}, sink);
    ASSERT_TRUE(t);
    const auto caller = std::this_thread::get_id();
    const auto until = std::chrono::steady_clock::now() + 5s;
    const auto readUntil = [&](auto done) {
        while (!sink.waitFor([&] { return done(); }, 0s) && std::chrono::steady_clock::now() < until)
            t->readDirect(until);
    };

    // While the caller reads, the bytes reach the sink on its own thread.
    ASSERT_TRUE(t->beginDirectRead());
    const std::uint8_t answer[] = {0x02, 0x01, 0x00};
    ASSERT_EQ(::write(master, answer, 3), 3);
    readUntil([&] { return sink.bytes.size() == 3; });
    t->endDirectRead();
    // For a while the thread keeps out of the way: who asks fetches input,
    // as a raw read does.
    const std::uint8_t late = 0x07;
    ASSERT_EQ(::write(master, &late, 1), 1);
    while (!sink.waitFor([&] { return sink.bytes.size() == 4; }, 0s) &&
           std::chrono::steady_clock::now() < until) {
        t->poll(1);
        std::this_thread::sleep_for(1ms);
    }
    // Then the thread takes the input back: output with nobody asking arrives.
    ASSERT_EQ(::write(master, &late, 1), 1);
    ASSERT_TRUE(sink.waitFor([&] { return sink.bytes.size() == 5; }));
    {
        std::lock_guard lock(sink.mutex);
        EXPECT_EQ(sink.bytes, (std::vector<std::uint8_t>{0x02, 0x01, 0x00, 0x07, 0x07}));
        // (The fourth byte may have been the thread's already on a slow machine.)
        EXPECT_EQ(std::count(sink.deliveredBy.begin(), sink.deliveredBy.begin() + 3, caller), 3);
        EXPECT_NE(sink.deliveredBy.back(), caller);
    }

    // A hang-up while the caller reads ends its wait.
    ASSERT_TRUE(t->beginDirectRead());
    ::close(master);
    master = -1;
    readUntil([&] { return sink.lost; });
    t->endDirectRead();
    EXPECT_TRUE(sink.waitFor([&] { return sink.lost; }));
    EXPECT_FALSE(t->alive());
    EXPECT_FALSE(t->beginDirectRead());
}

TEST(TtyTransport, MissingDeviceFailsToOpen) {
    struct : ByteSink {
        void receiveBytes(const std::uint8_t *, std::size_t) override {}
    } sink;
    EXPECT_FALSE(TtyTransport::open("/dev/does-not-exist", {}, sink));
    EXPECT_FALSE(TtyTransport::open("/dev/null", {}, sink));  // not a tty
}

}  // namespace
}  // namespace orvex
