// "No TCP-client target" as a file from a serial reader says it (empty
// address) and as a LAN reader reports it (0.0.0.0, port 0) is one setting:
// loaded either way, the page stores, compares and saves the same values.
#include <gtest/gtest.h>

#include "params/param_page_serial.h"

using namespace orvex::app;

namespace {

OperatingParameters storedAfterLoading(const std::string &ip, int port) {
    ParamPageSerial page(CAP_EXTENDED | CAP_LAN);
    OperatingParameters loaded;
    loaded.remoteIp = ip;
    loaded.remotePort = port;
    page.loadFromFileParameters(loaded);
    OperatingParameters stored;
    page.storeToParameters(stored);
    return stored;
}

}  // namespace

TEST(TcpClientTarget, NoTargetHasOneMeaning) {
    const OperatingParameters fromFile = storedAfterLoading("", 0);
    const OperatingParameters fromReader = storedAfterLoading("0.0.0.0", 0);
    EXPECT_EQ(fromReader, fromFile);
    EXPECT_EQ(fromReader.remoteIp, "");
    EXPECT_FALSE(hasTcpClientTarget("", 0));
    EXPECT_FALSE(hasTcpClientTarget("0.0.0.0", 0));

    // A real target, and 0.0.0.0 with a port (not the reader's "none"), stay.
    for (const auto &[ip, port] : {std::pair<std::string, int>{"10.0.0.7", 4001}, {"0.0.0.0", 4001}}) {
        const OperatingParameters kept = storedAfterLoading(ip, port);
        EXPECT_EQ(kept.remoteIp, ip);
        EXPECT_EQ(kept.remotePort, port);
    }
}
