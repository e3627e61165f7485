// Bluetooth readers behind the simulated dongle, through the C API.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "sim/dongle/pty_dongle.h"
#include "sim_reader.h"

namespace orvex::test {
namespace {

using namespace std::chrono_literals;
using sim::dongle::RadioReaderSetup;

RadioReaderSetup reader(std::string name, int index, std::string extra = "") {
    std::string error;
    auto radio = sim::dongle::parseRadioReader(name + extra, index, error);
    EXPECT_TRUE(radio) << error;
    return *radio;
}

struct DongleLab {
    sim::dongle::PtyDongle dongle;
    explicit DongleLab(std::vector<RadioReaderSetup> readers)
        : dongle(sim::dongle::DongleOptions{std::move(readers)}, sim::Options{}) {}
    const RadioReaderSetup &radio(std::size_t i) { return dongle.core().options().readers.at(i); }
};

struct Record {
    std::string address;
    std::string name;
};

std::vector<Record> records(const unsigned char *buffer, int length) {
    std::vector<Record> out;
    for (int at = 0; at + 38 <= length; at += 38) {
        sim::dongle::RadioAddress a;
        std::memcpy(a.data(), buffer + at, 6);
        out.push_back({sim::dongle::addressText(a),
                       std::string(reinterpret_cast<const char *>(buffer + at + 6),
                                   strnlen(reinterpret_cast<const char *>(buffer + at + 6), 32))});
    }
    return out;
}

TEST(DongleLink, InquiryFindsEveryDeviceWithItsName) {
    DongleLab lab({reader("Orvex RT2851#0001", 0), reader("Pixel 7", 1, ",class=5A020C"),
                   reader("Orvex RT2851#0003", 2, ",silent-name"),
                   reader("A name far longer than thirty-two bytes", 3)});
    OpenPort port(lab.dongle.portName());
    ASSERT_GT(port.handle, 0);
    unsigned char buffer[380];
    const int length = Orvex_BtInquiry(port.handle, buffer, sizeof buffer, 20000, 0);
    ASSERT_EQ(length, 4 * 38);
    const auto found = records(buffer, length);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"015B12258000", "Orvex RT2851#0001"},
        {"025B12258000", "Pixel 7"},
        {"035B12258000", ""},  // asked five more times, then listed without a name
        {"045B12258000", "A name far longer than thirty-t"},  // the dongle's 30 bytes at most
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(found[i].address, expected[i].first);
        EXPECT_EQ(found[i].name, expected[i].second.substr(0, 30));
    }
    // 1 inquiry + 1 + 1 + 6 + 1 name requests
    EXPECT_EQ(lab.dongle.core().requestsSeen(), 10);
}

TEST(DongleLink, ConnectedReaderAnswersItsCommandsAndIsReleasedOnClose) {
    DongleLab lab({reader("Orvex RT2851#0001", 0)});
    {
        OpenPort port(lab.dongle.portName());
        ASSERT_GT(port.handle, 0);
        const unsigned char unknown[6] = {9, 9, 9, 9, 9, 9};
        EXPECT_EQ(Orvex_BtConnect(port.handle, unknown, 1, 3000), 0);
        EXPECT_EQ(Orvex_GetLastError(port.handle), 4);  // the link status: page timeout

        EXPECT_EQ(Orvex_BtConnect(port.handle, lab.radio(0).address.data(), 1, 3000), 1);
        char version[8] = {};
        ASSERT_EQ(Orvex_ReadVersion(port.handle, version, sizeof version), 4);
        EXPECT_STREQ(version, "1551");
        const unsigned char standby = 12;
        EXPECT_EQ(Orvex_WriteDeviceSettings(port.handle, &standby, 1), 0);
        unsigned char read = 0;
        EXPECT_EQ(Orvex_ReadDeviceSettings(port.handle, &read, 1), 1);
        EXPECT_EQ(read, 12);
        EXPECT_TRUE(lab.dongle.core().linkedReader());
    }
    EXPECT_FALSE(lab.dongle.core().linkedReader());
}

TEST(DongleLink, DroppedLinkIsSetUpAgainByTheNextCommand) {
    DongleLab lab({reader("Orvex RT2851#0002", 0, ",drop=150")});
    OpenPort port(lab.dongle.portName());
    ASSERT_EQ(Orvex_BtConnect(port.handle, lab.radio(0).address.data(), 1, 3000), 1);
    char version[8] = {};
    for (int round = 0; round < 3; ++round) {
        std::this_thread::sleep_for(250ms);  // the reader has gone by now
        ASSERT_EQ(Orvex_ReadVersion(port.handle, version, sizeof version), 4) << round;
    }
}

TEST(DongleLink, RequestLostWithTheLinkIsSentOnceMore) {
    // The link drops after every second answer, and the dongle tells so only
    // when the next request comes: it refuses that send and reports the release.
    DongleLab lab({reader("Orvex RT2851#0002", 0, ",drop-every=2")});
    OpenPort port(lab.dongle.portName());
    ASSERT_EQ(Orvex_BtConnect(port.handle, lab.radio(0).address.data(), 1, 3000), 1);
    for (unsigned char standby = 1; standby <= 4; ++standby) {
        char version[8] = {};
        ASSERT_EQ(Orvex_ReadVersion(port.handle, version, sizeof version), 4) << int(standby);
        EXPECT_EQ(Orvex_WriteDeviceSettings(port.handle, &standby, 1), 0) << int(standby);
        unsigned char read = 0;
        EXPECT_EQ(Orvex_ReadDeviceSettings(port.handle, &read, 1), 1) << int(standby);
        EXPECT_EQ(read, standby);
    }
}

TEST(DongleLink, RemoteNameOfOneDevice) {
    DongleLab lab({reader("Orvex RT2851#0001", 0), reader("Orvex RT2851#0002", 1, ",silent-name")});
    OpenPort port(lab.dongle.portName());
    ASSERT_GT(port.handle, 0);
    char name[32] = {};
    EXPECT_EQ(Orvex_BtRemoteName(port.handle, lab.radio(0).address.data(), name, sizeof name, 2000), 17);
    EXPECT_STREQ(name, "Orvex RT2851#0001");
    EXPECT_EQ(Orvex_BtRemoteName(port.handle, lab.radio(1).address.data(), name, sizeof name, 2000), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(Orvex_BtRemoteName(port.handle, lab.radio(0).address.data(), name, 17, 2000), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_BUFFER_TOO_SMALL);
}

TEST(DongleLink, SilentDongleFailsWithinTheTimeout) {
    // A terminal with nobody behind it.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    const std::string path = ptsname(master);
    {
        OpenPort port(path + " BT");
        ASSERT_GT(port.handle, 0);
        unsigned char buffer[380];
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Orvex_BtInquiry(port.handle, buffer, sizeof buffer, 400, 0), ORVEX_FAILED);
        const unsigned char address[6] = {1, 2, 3, 4, 5, 6};
        EXPECT_EQ(Orvex_BtConnect(port.handle, address, 1, 300), 0);
        EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_BT_TIMEOUT);
        char name[32];
        EXPECT_EQ(Orvex_BtRemoteName(port.handle, address, name, sizeof name, 300), ORVEX_FAILED);
        EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_BT_TIMEOUT);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    }
    close(master);
}

TEST(DongleLink, DongleThatGoesAwayEndsThePortAtOnce) {
    auto lab = std::make_unique<DongleLab>(std::vector<RadioReaderSetup>{reader("Orvex RT2851#0001", 0)});
    const int handle = Orvex_OpenPort(lab->dongle.portName().c_str(), 19200, 2000);
    ASSERT_GT(handle, 0);
    ASSERT_EQ(Orvex_BtConnect(handle, lab->radio(0).address.data(), 1, 3000), 1);
    lab.reset();  // unplugged
    char version[8];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Orvex_ReadVersion(handle, version, sizeof version), ORVEX_FAILED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);  // not the 2 s answer timeout
    EXPECT_EQ(Orvex_ClosePort(handle), ORVEX_FAILED);         // the handle is gone with it
}

TEST(DongleLink, NamesThatAreNoDongle) {
    EXPECT_EQ(Orvex_OpenPort("NOSUCH BT", 19200, 500), ORVEX_OPEN_FAILED);
    EXPECT_EQ(Orvex_OpenPort("/dev/pts/99999 BT", 19200, 500), ORVEX_OPEN_FAILED);
    EXPECT_EQ(Orvex_OpenPort("QEL-RT2856#1 BTW", 19200, 500), ORVEX_OPEN_FAILED);
}

}  // namespace
}  // namespace orvex::test
