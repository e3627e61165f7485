// The TCP data link through the SDK's open sequence to a simulated reader.
#include <gtest/gtest.h>

#include "common/lan_lab.h"
#include "orvex/orvex.h"

namespace {

TEST(LanDataLink, OpenIdentifyAndReconnectAfterTheReaderClosed) {
    // The reader closes the link after every answer; each request connects again.
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24,--lan-drop-after=1");
    int handle = Orvex_OpenPort("192.168.1.30-10001", 19200, 500);
    ASSERT_GE(handle, 20001);
    for (int round = 0; round < 3; ++round) {
        char version[8] = {};
        EXPECT_EQ(Orvex_ReadVersion(handle, version, sizeof version), 4) << round;
        EXPECT_STREQ(version, "1245") << round;
    }
    char name[32];
    EXPECT_EQ(Orvex_GetPortName(handle, name, sizeof name), 18);
    EXPECT_STREQ(name, "192.168.1.30-10001");
    EXPECT_EQ(Orvex_ClosePort(handle), 0);
}

TEST(LanDataLink, RefusedAndUnknownAddresses) {
    ORVEX_LAN_LAB("--reader", "192.168.1.30/24");
    EXPECT_EQ(Orvex_OpenPort("192.168.1.30-4999", 19200, 500), ORVEX_OPEN_FAILED);  // nothing listens there
    EXPECT_EQ(Orvex_OpenPort("[NOBODY]", 19200, 500), ORVEX_OPEN_FAILED);
    int first = Orvex_OpenPort("192.168.1.30", 19200, 500);
    int second = Orvex_OpenPort("192.168.1.30", 19200, 500);
    EXPECT_EQ(first, 20001);
    EXPECT_EQ(second, 20002);
    Orvex_ClosePort(first);
    Orvex_ClosePort(second);
}

}  // namespace
