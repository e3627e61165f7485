// Opening and identifying simulated readers through the C API.
#include <gtest/gtest.h>

#include "link/port_registry.h"
#include "sim_reader.h"
#include "transport/tty_transport.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using test::OpenPort;
using test::readerOptions;

TEST(OpenSequence, IdentifiesEachFrameVariant) {
    struct Case {
        int variant;
        const char *readerVersion;
        const char *versionRead;  // after the variant's adjustments
        const char *model;
    };
    const Case cases[] = {
        {0, "1245", "1245", "Alder-4"},        {1, "1845", "1845", "Birch-4"},
        {2, "1245", "1245", "Alder-4"},  // placeholder, then the full version via "FV"
        {2, "1715", "1715", "Alder-1 (S002)"}, {2, "1717", "1717", "Alder-1 (S002)"},
        {3, "1245", "1175", "Larch"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "variant " << c.variant << " version " << c.readerVersion);
        sim::PtyReader reader(readerOptions(c.variant, c.readerVersion));
        OpenPort port(reader.slavePath());
        ASSERT_GT(port.handle, 0);
        ASSERT_LT(port.handle, 10001);
        char version[16] = {};
        EXPECT_EQ(Orvex_ReadVersion(port.handle, version, sizeof version), 4);
        EXPECT_STREQ(version, c.versionRead);
        char model[32];
        EXPECT_EQ(Orvex_GetDeviceName(port.handle, model, sizeof model), static_cast<int>(strlen(c.model)));
        EXPECT_STREQ(model, c.model);
        EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_NONE);
        EXPECT_EQ(Orvex_IsUsbPort(port.handle), 0);
    }
}

TEST(OpenSequence, SecondPortTriesEveryVariantWithTheTimeoutCapped) {
    sim::PtyReader reader(readerOptions(3));
    Orvex_SetTraceEcho(1);
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    OpenPort port(reader.slavePath(), 19200, 2000);
    const auto took = std::chrono::steady_clock::now() - start;
    const std::string trace = testing::internal::GetCapturedStderr();
    Orvex_SetTraceEcho(0);

    ASSERT_GT(port.handle, 0);
    EXPECT_NE(trace.find("Read Version ... repeat\n"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("repeat"), trace.rfind("repeat")) << trace;
    // Three silent exchanges (first port in variant 0, second in 0 and 1) at
    // 300 ms each, not 2000 ms; the compact-A request gets an error reply.
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 4000ms);
    EXPECT_EQ(SdkApp::instance().find(port.handle)->timeoutMs(), 2000);
    EXPECT_EQ(SdkApp::instance().find(port.handle)->variant(), FrameVariant::CompactB);
}

TEST(OpenSequence, NoValidAnswerGivesNoVersion) {
    struct Case {
        const char *what;
        sim::Options options;
    };
    sim::Options wrongRate = readerOptions(0);
    wrongRate.baud = 9600;
    sim::Options silent = readerOptions(0);
    silent.dropEvery = 1;
    sim::Options otherAddress = readerOptions(1);
    otherAddress.address = 4;
    sim::Options noisyCrc = readerOptions(1);
    noisyCrc.garbage = 3;  // a CRC frame has no start byte to find
    sim::Options badCheck = readerOptions(0);
    badCheck.badCheck = true;
    const Case cases[] = {{"wrong rate", wrongRate},
                          {"silent", silent},
                          {"other bus address", otherAddress},
                          {"garbage before CRC frames", noisyCrc},
                          {"bad BCC", badCheck}};
    for (const auto &c : cases) {
        sim::PtyReader reader(c.options);
        OpenPort port(reader.slavePath(), 19200, 100);
        EXPECT_EQ(port.handle, ORVEX_OPEN_NO_VERSION) << c.what;
    }
}

TEST(OpenSequence, FailuresBeforeIdentifying) {
    EXPECT_EQ(Orvex_OpenPort("/dev/pts/0", 19200, -1), ORVEX_OPEN_NEGATIVE_TIMEOUT);
    EXPECT_EQ(Orvex_OpenPort("/dev/no-such-tty", 19200, 100), ORVEX_OPEN_FAILED);
    EXPECT_EQ(Orvex_OpenPort("FT4711X", 19200, 100), ORVEX_OPEN_FAILED);  // no FTDI device
    EXPECT_EQ(Orvex_OpenPort("0815 HID", 19200, 100), ORVEX_OPEN_FAILED);
    EXPECT_EQ(Orvex_OpenPort("4711 BTW", 19200, 100), ORVEX_OPEN_FAILED);
    EXPECT_EQ(Orvex_OpenPort(nullptr, 19200, 100), ORVEX_OPEN_FAILED);
}

TEST(OpenSequence, BusAddressSuffixAndGarbageBeforeStx) {
    sim::Options o = readerOptions(0);
    o.address = 5;
    o.garbage = 4;
    sim::PtyReader reader(o);
    OpenPort port(reader.slavePath() + ":5");
    ASSERT_GT(port.handle, 0);
    char name[64];
    EXPECT_EQ(Orvex_GetPortName(port.handle, name, sizeof name), static_cast<int>(reader.slavePath().size()));
    EXPECT_EQ(name, reader.slavePath());
    EXPECT_EQ(Orvex_GetPortName(port.handle, name, static_cast<int>(reader.slavePath().size())),
              ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_BUFFER_TOO_SMALL);
}

TEST(OpenSequence, BaudArgumentSetsRateAndFraming) {
    sim::Options o = readerOptions(0);
    o.baud = 9601;
    sim::PtyReader reader(o);
    OpenPort port(reader.slavePath(), 9601);
    ASSERT_GT(port.handle, 0);
    auto *tty = dynamic_cast<TtyTransport *>(SdkApp::instance().find(port.handle)->transport());
    ASSERT_NE(tty, nullptr);
    const LineSettings line = tty->requestedLine();
    EXPECT_EQ(line.rate, 9600);
    EXPECT_EQ(line.parity, Parity::Even);
    EXPECT_EQ(line.stopBits, StopBits::One);
}

TEST(OpenSequence, HandlesAreSmallestFreeAndInvalidAfterClose) {
    sim::PtyReader a(readerOptions(0)), b(readerOptions(0));
    const int first = Orvex_OpenPort(a.slavePath().c_str(), 19200, 500);
    const int second = Orvex_OpenPort(b.slavePath().c_str(), 19200, 500);
    ASSERT_GT(first, 0);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(Orvex_ClosePort(first), 0);
    EXPECT_EQ(Orvex_GetLastError(first), ORVEX_ERR_INVALID_HANDLE);
    EXPECT_EQ(Orvex_ClosePort(first), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetTypeBit0(first), ORVEX_FAILED);
    char name[16];
    EXPECT_EQ(Orvex_GetDeviceName(first, name, sizeof name), 10);
    EXPECT_STREQ(name, "Orvex-#000");
    const int again = Orvex_OpenPort(a.slavePath().c_str(), 19200, 500);
    EXPECT_EQ(again, first);
    Orvex_ClosePort(again);
    Orvex_ClosePort(second);
}

}  // namespace
}  // namespace orvex
