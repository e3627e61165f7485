// The simulated reader on a real pseudo-terminal: variants, the host's line settings,
// timing faults, raw output, and the executable.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "host_port.h"
#include "sim/pty_reader.h"
#include "sim/sim_process.h"

namespace orvex::sim::test {
namespace {

Options variantOptions(int variant) {
    Options o;
    o.variant = variant;
    return o;
}

TEST(PtyReader, AnswersTheVersionCommandInEveryVariant) {
    struct Case {
        int variant;
        Bytes request;
        Bytes expected;
    };
    for (const Case &c : {Case{0, stxFrame(1, 0xF0, {}), stxFrame(1, 0x00, text("1245"))},
                          Case{1, crcFrame(1, 0xF0, {}), crcFrame(1, 0x00, text("1245"))},
                          Case{2, compactFrame(0x0B, text("FV")), compactFrame(0x0B, text("1245"))},
                          Case{3, compactFrame(0x60, {}),
                               compactFrame(0x60, {0x01, 0x00, 0x00, 0x00, '1', '2', '4', '5', 0x00})}}) {
        SCOPED_TRACE(c.variant);
        PtyReader reader(variantOptions(c.variant));
        HostPort host(reader.slavePath());
        EXPECT_EQ(host.transceive(c.request, c.expected.size()), c.expected);
    }
}

TEST(PtyReader, AnswersOnlyWhileTheHostsRateAndStopBitsMatch) {
    Options o;
    o.baud = 9603;  // 9600, no parity, two stop bits
    PtyReader reader(o);
    Bytes version = stxFrame(1, 0xF0, {});
    Bytes expected = stxFrame(1, 0x00, text("1245"));

    HostPort host(reader.slavePath(), B19200, true);
    EXPECT_TRUE(host.transceive(version, 1, 300ms).empty());
    host.setLine(B9600, false);
    EXPECT_TRUE(host.transceive(version, 1, 300ms).empty());
    host.setLine(B9600, true);
    EXPECT_EQ(host.transceive(version, expected.size()), expected);
}

TEST(PtyReader, TheLineMustMatchForTheWholeExchange) {
    // The host switches its rate while the reader is still waiting to answer: the answer is
    // lost, as it would reach a UART at the wrong rate.
    Options o;
    o.delayMs = 200;
    PtyReader reader(o);
    HostPort host(reader.slavePath());
    host.send(stxFrame(1, 0xF0, {}));
    host.quietFor(50ms);
    host.setLine(B9600);
    EXPECT_TRUE(host.quietFor(400ms).empty());
}

TEST(PtyReader, FollowsAProgrammedBaudChangeAfterAnswering) {
    PtyReader reader(Options{});
    HostPort host(reader.slavePath(), B19200);
    EXPECT_EQ(host.transceive(stxFrame(1, 0xF2, {0x06}), 5), stxFrame(1, 0x00, {}));  // 115200 8N1
    Bytes version = stxFrame(1, 0xF0, {});
    EXPECT_TRUE(host.transceive(version, 1, 300ms).empty());
    host.setLine(B115200);
    Bytes expected = stxFrame(1, 0x00, text("1245"));
    EXPECT_EQ(host.transceive(version, expected.size()), expected);
    EXPECT_EQ(reader.state().baud, 115200);
}

TEST(PtyReader, DelaysAndPacesAnswers) {
    // 2400 baud 8N1: 4.17 ms a byte, so request (5) and answer (9) need at least 58 ms.
    Options o;
    o.baud = 2400;
    o.wireSpeed = true;
    PtyReader paced(o);
    HostPort host(paced.slavePath(), B2400);
    Bytes expected = stxFrame(1, 0x00, text("1245"));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(host.transceive(stxFrame(1, 0xF0, {}), expected.size()), expected);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 14 * 10 * 1000000ns / 2400);

    Options d;
    d.delayMs = 150;
    PtyReader delayed(d);
    HostPort late(delayed.slavePath());
    t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(late.transceive(stxFrame(1, 0xF0, {}), expected.size()), expected);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 150ms);
}

TEST(PtyReader, HangsUpHalfwayThroughTheNthAnswer) {
    Options o;
    o.hangupAfter = 2;
    PtyReader reader(o);
    HostPort host(reader.slavePath());
    Bytes expected = stxFrame(1, 0x00, text("1245"));
    EXPECT_EQ(host.transceive(stxFrame(1, 0xF0, {}), expected.size()), expected);
    Bytes half = host.transceive(stxFrame(1, 0xF0, {}), expected.size());
    EXPECT_EQ(half, Bytes(expected.begin(), expected.begin() + expected.size() / 2));
    EXPECT_TRUE(host.hungUp());
    EXPECT_TRUE(reader.hungUp());
}

TEST(PtyReader, EmitsWhileReadingAndCountsRelayAndBuzzer) {
    Options o;
    o.emit = text("1234\r");
    o.everyMs = 30;
    PtyReader reader(o);
    HostPort host(reader.slavePath());
    // Programming mode first: silence.
    EXPECT_EQ(host.transceive(stxFrame(1, 0xF4, {0x00}), 5), stxFrame(1, 0x00, {}));
    EXPECT_TRUE(host.quietFor(100ms).empty());

    reader.modifyState([](ReaderState &s) { s.outputMode = 1; });
    EXPECT_EQ(host.receive(10), text("1234\r1234\r"));
    host.send({0x11, 0x07, 0x13});
    host.send({0x07});
    reader.modifyState([](ReaderState &s) { s.outputMode = 3; });  // reading without output
    host.quietFor(60ms);
    EXPECT_EQ(host.transceive({'?'}, 5), text("1234\r"));
    EXPECT_EQ(reader.state().relay, 2);
    EXPECT_EQ(reader.state().buzzer, 2);
}

// The executable: first line the terminal, then it serves until SIGTERM.
TEST(Executable, PrintsThePathAndServesUntilTerminated) {
    SimProcess sim(std::string(ORVEX_BINARY_DIR) + "/orvex-readersim", {"--variant", "1", "--address", "3"});
    {
        HostPort host(sim.slavePath());
        Bytes expected = crcFrame(3, 0x00, text("1245"));
        EXPECT_EQ(host.transceive(crcFrame(3, 0xF0, {}), expected.size()), expected);
    }
    int status = sim.stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(Executable, RefusesBadOptions) {
    EXPECT_THROW(SimProcess(std::string(ORVEX_BINARY_DIR) + "/orvex-readersim", {"--variant", "7"}),
                 std::runtime_error);
}

}  // namespace
}  // namespace orvex::sim::test
