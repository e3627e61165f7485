// The port's command exchange and the multi-step commands, against a fake
// reader that answers from its own thread.
#include <gtest/gtest.h>

#include <atomic>

#include "fake_transport.h"
#include "link/checksum.h"
#include "link/commands.h"
#include "link/port.h"
#include "orvex/orvex.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Chunk;
using test::FakeTransport;

Bytes stxAnswer(Bytes data, std::uint8_t status = 0) {
    Bytes f = {0x02, 0x01, status, static_cast<std::uint8_t>(data.size())};
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(bcc(f.data() + 1, f.size() - 1));
    return f;
}

Bytes compact(std::uint8_t code, Bytes data) {
    Bytes f = {0x1E, code, static_cast<std::uint8_t>(data.size())};
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

struct PortFixture : ::testing::Test {
    Port port{"fake", 1};
    FakeTransport *fake = nullptr;

    void use(FakeTransport::Script script, TransportKind kind = TransportKind::SystemSerial,
             FrameVariant variant = FrameVariant::StxBcc) {
        auto t = std::make_unique<FakeTransport>(port, std::move(script), kind);
        fake = t.get();
        port.attach(std::move(t));
        port.setVariant(variant);
    }
};

TEST_F(PortFixture, GarbageBeforeTheFrameIsSkipped) {
    Bytes reply = {0x41, 0x00, 0x1E};
    const Bytes frame = stxAnswer({'1', '2', '4', '5'});
    reply.insert(reply.end(), frame.begin(), frame.end());
    use(test::answerWith(reply));
    std::vector<std::uint8_t> version;
    ASSERT_TRUE(readVersion(port, version));
    EXPECT_EQ(version, (Bytes{'1', '2', '4', '5'}));
    EXPECT_EQ(fake->sentRequests(), (std::vector<Bytes>{{0x02, 0x01, 0xF0, 0x00, 0xF1}}));
}

TEST_F(PortFixture, HeaderRestartsTheClockForTheBody) {
    const Bytes frame = stxAnswer({1, 2, 3});
    const Bytes head(frame.begin(), frame.begin() + 4), body(frame.begin() + 4, frame.end());
    port.setTimeoutMs(150);
    // Header after 100 ms, body 100 ms later: 200 ms in all, each phase in time.
    use([&](const Bytes &) { return std::vector<Chunk>{{100ms, head}, {100ms, body}}; });
    std::vector<std::uint8_t> answer;
    ASSERT_TRUE(port.command(0x89, {}, &answer));
    EXPECT_EQ(answer, (Bytes{1, 2, 3}));
}

TEST_F(PortFixture, BodyLaterThanTheTimeoutFails) {
    const Bytes frame = stxAnswer({1, 2, 3});
    const Bytes head(frame.begin(), frame.begin() + 4), body(frame.begin() + 4, frame.end());
    port.setTimeoutMs(80);
    use([&](const Bytes &) { return std::vector<Chunk>{{10ms, head}, {200ms, body}}; });
    EXPECT_FALSE(port.command(0x89, {}, nullptr));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_TIMEOUT);
}

TEST_F(PortFixture, ChainedAnswerWaitsForClosingByteAndTrailer) {
    const Bytes frame = [] {
        Bytes f = {0x02, 0x01, 0x00, 0xFF, 0x02, 0xAA, 0xBB, 0xFF};
        f.push_back(bcc(f.data() + 1, f.size() - 1));
        return f;
    }();
    use([&](const Bytes &) {
        std::vector<Chunk> chunks;
        for (auto b : frame) chunks.push_back({2ms, {b}});
        return chunks;
    });
    std::vector<std::uint8_t> answer;
    ASSERT_TRUE(port.command(0x8A, {}, &answer));
    EXPECT_EQ(answer, (Bytes{0xAA, 0xBB}));
}

TEST_F(PortFixture, HangUpMidAnswerEndsTheWaitAtOnce) {
    port.setTimeoutMs(10000);
    use([](const Bytes &) { return std::vector<Chunk>{{5ms, {0x02, 0x01}}, {5ms, {}}}; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.command(0xF0, {}, nullptr));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(port.alive());
}

TEST_F(PortFixture, StatusAndErrorsReachTheLastError) {
    use(test::answerWith(stxAnswer({0x05}, 0x20)));
    std::vector<std::uint8_t> answer;
    EXPECT_TRUE(port.command(0x24, {}, &answer));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_STATUS_20);
    EXPECT_EQ(answer, Bytes{0x05});

    Bytes overlong(256, 0);
    EXPECT_FALSE(port.command(overlong, nullptr));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_LENGTH);
    EXPECT_EQ(fake->sentRequests().size(), 1u);
}

TEST_F(PortFixture, WaitHookRunsWhileWaiting) {
    std::atomic<int> calls{0};
    Orvex_SetWaitHook([](void *c) { ++*static_cast<std::atomic<int> *>(c); }, &calls);
    port.setTimeoutMs(100);
    use(nullptr);
    EXPECT_FALSE(port.command(0xF0, {}, nullptr));
    Orvex_SetWaitHook(nullptr, nullptr);
    EXPECT_GE(calls.load(), 3);
}

TEST_F(PortFixture, RawReadTakesAtMostTheBufferSize) {
    use(test::answerWith({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    port.writeRaw(Bytes{0x55});
    fake->sentRequests();  // the answer has been delivered
    std::uint8_t buffer[4];
    EXPECT_EQ(port.readRaw(buffer, 4), 4u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(port.readRaw(buffer, 4), 4u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(port.readRaw(buffer, 4), 2u);
    EXPECT_EQ(buffer[1], 9);
    EXPECT_EQ(port.readRaw(buffer, 4), 0u);
}

struct VersionCase {
    const char *what;
    FrameVariant variant;
    Bytes firstAnswer;
    std::optional<Bytes> fvAnswer;  // answer to 0xF0 "FV"; none = silent
    Bytes version;
};

TEST_F(PortFixture, VersionAdjustmentsOfCompactReaders) {
    const VersionCase cases[] = {
        {"placeholder then FV",
         FrameVariant::CompactA,
         {0x04, 0x05, 0x31, 0x35},
         Bytes{'A', '1', 'B', '2', 'C'},
         {'A', '1', 'B', '2', 'C'}},
        {"placeholder, FV silent",
         FrameVariant::CompactA,
         {0x04, 0x05, 0x31, 0x35},
         std::nullopt,
         {'1', '7', '1', '5'}},
        {"placeholder, FV unprintable",
         FrameVariant::CompactA,
         {0x04, 0x05, 0x31, 0x35},
         Bytes{'A', 0x20, 'B', 'C'},
         {'1', '7', '1', '5'}},
        {"placeholder, FV short",
         FrameVariant::CompactA,
         {0x04, 0x05, 0x31, 0x35},
         Bytes{'A', 'B', 'C'},
         {'1', '7', '1', '5'}},
        {"other 4 bytes", FrameVariant::CompactA, {'9', '9', '9', '7'}, std::nullopt, {'1', '7', '1', '7'}},
        {"other length kept", FrameVariant::CompactA, {'1', '2'}, std::nullopt, {'1', '2'}},
        {"9 bytes cut",
         FrameVariant::CompactB,
         {'x', 'x', 'x', 'x', '9', '9', '9', 'B', 'y'},
         std::nullopt,
         {'1', '1', '7', 'B'}},
        {"B other length", FrameVariant::CompactB, {'1', '2', '3', '4'}, std::nullopt, {'1', '2', '3', '4'}},
    };
    for (const auto &c : cases) {
        Port p{"fake", 1};
        p.setTimeoutMs(50);
        const std::uint8_t code = c.variant == FrameVariant::CompactA ? 0x0B : 0x60;
        auto t = std::make_unique<FakeTransport>(p, [&](const Bytes &request) {
            if (request.size() == 3) return std::vector<Chunk>{{{}, compact(code, c.firstAnswer)}};
            if (!c.fvAnswer) return std::vector<Chunk>{};
            return std::vector<Chunk>{{{}, compact(code, *c.fvAnswer)}};
        });
        auto *fakeReader = t.get();
        p.attach(std::move(t));
        p.setVariant(c.variant);
        std::vector<std::uint8_t> version;
        ASSERT_TRUE(readVersion(p, version)) << c.what;
        EXPECT_EQ(version, c.version) << c.what;
        const auto sent = fakeReader->sentRequests();
        if (c.firstAnswer == Bytes{0x04, 0x05, 0x31, 0x35}) {
            ASSERT_EQ(sent.size(), 2u) << c.what;
            EXPECT_EQ(sent[1], (Bytes{0x1E, 0x0B, 0x02, 'F', 'V'})) << c.what;
        } else {
            EXPECT_EQ(sent.size(), 1u) << c.what;
        }
    }
}

TEST(VersionAnswer, TypeCodeAndSubVersion) {
    struct Case {
        Bytes answer;
        bool valid;
        std::uint32_t type;
        std::uint8_t sub;
    };
    const Case cases[] = {
        {{'1', '2', '4', '5'}, true, 0x124, 5},  {{'1', '8', '4', 'A'}, true, 0x184, 10},
        {{'4', '3', '5', 'z'}, true, 0x435, 61}, {{'1', '2', '4', '-'}, true, 0x124, 255},
        {{'1', 'G', '4', '5'}, true, 0x1, 5},    {{'1', '2', '4', '5', '6'}, false, 0, 0},
        {{'1', '2', '4'}, false, 0, 0},
    };
    for (const auto &c : cases) {
        const auto id = parseVersionAnswer(c.answer);
        ASSERT_EQ(id.has_value(), c.valid);
        if (!id) continue;
        EXPECT_EQ(id->typeCode, c.type);
        EXPECT_EQ(id->subVersion, c.sub);
    }
}

TEST_F(PortFixture, BaudChangeSendsRateCodeThenReconfiguresTheHost) {
    struct Case {
        int baud;
        int mode;
        std::uint8_t setting;
        Parity parity;
        StopBits stop;
    };
    const Case cases[] = {
        {19200, 0, 0x03, Parity::None, StopBits::One},
        {115200, 1, 0x16, Parity::Even, StopBits::One},
        {14400, 2, 0x23, Parity::Odd, StopBits::One},
        {1382400, 3, 0x3A, Parity::None, StopBits::Two},
    };
    use(test::answerWith(stxAnswer({})));
    for (const auto &c : cases) {
        ASSERT_TRUE(setBaudRate(port, c.baud, c.mode)) << c.baud;
        const auto sent = fake->sentRequests().back();
        EXPECT_EQ(sent, (Bytes{0x02, 0x01, 0xF2, 0x01, c.setting,
                               static_cast<std::uint8_t>(0x01 ^ 0xF2 ^ 0x01 ^ c.setting)}));
        const LineSettings line = fake->lineChanges().back();
        EXPECT_EQ(line.rate, c.baud);
        EXPECT_EQ(line.parity, c.parity);
        EXPECT_EQ(line.stopBits, c.stop);
    }
}

TEST_F(PortFixture, BaudChangeRefusedOffSystemSerialPorts) {
    use(test::answerWith(stxAnswer({})), TransportKind::Lan);
    EXPECT_FALSE(setBaudRate(port, 9600, 0));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_BAUD_NOT_POSSIBLE);
    EXPECT_TRUE(fake->sentRequests().empty());
    EXPECT_TRUE(fake->lineChanges().empty());
}

TEST_F(PortFixture, FailedBaudChangeKeepsTheHostLine) {
    port.setTimeoutMs(30);
    use(nullptr);
    EXPECT_FALSE(setBaudRate(port, 9600, 0));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_TIMEOUT);
    EXPECT_TRUE(fake->lineChanges().empty());
}

TEST_F(PortFixture, OutputModeChecksItsArgument) {
    use(test::answerWith(stxAnswer({})));
    EXPECT_TRUE(setOutputMode(port, 0x83));
    EXPECT_EQ(fake->sentRequests().back(), (Bytes{0x02, 0x01, 0xF4, 0x01, 0x83, 0x01 ^ 0xF4 ^ 0x01 ^ 0x83}));
    EXPECT_FALSE(setOutputMode(port, 4));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_MODE);
    EXPECT_EQ(fake->sentRequests().size(), 1u);
    port.setVariant(FrameVariant::CompactB);
    EXPECT_TRUE(setOutputMode(port, 2));
    EXPECT_EQ(fake->sentRequests().size(), 1u);
}

TEST_F(PortFixture, FactoryResetWaitsLongerAndRestoresTheTimeout) {
    port.setTimeoutMs(100);
    use([](const Bytes &) { return std::vector<Chunk>{{400ms, stxAnswer({})}}; });
    EXPECT_TRUE(factoryReset(port));
    EXPECT_EQ(port.timeoutMs(), 100);
}

TEST_F(PortFixture, DataOptionNeedsAnAnswerByte) {
    use(test::answerWith(stxAnswer({})));
    int value = -1;
    EXPECT_FALSE(readDataOption(port, value));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_REPLY_A4);
    EXPECT_FALSE(writeDataOption(port, 3));
    EXPECT_EQ(port.lastError(), ORVEX_ERR_REPLY_A4);
    EXPECT_EQ(fake->sentRequests().back(), (Bytes{0x02, 0x01, 0x24, 0x01, 0x03, 0x01 ^ 0x24 ^ 0x01 ^ 0x03}));
}

}  // namespace
}  // namespace orvex
