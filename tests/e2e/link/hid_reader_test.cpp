// The SDK's HID readers against the simulated USB reader in keyboard mode:
// listing, opening by list name, tunnelled frames, the key-table commands,
// the switch to virtual COM mode and back, and an unplug mid-session.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "e2e/link/sim_reader.h"
#include "orvex/orvex.h"
#include "sim/hid/usb_reader.h"

namespace orvex::test {
namespace {

using namespace std::chrono_literals;
using sim::hid::UsbMode;
using sim::hid::UsbReader;

std::vector<std::string> usbDevices() {
    char buffer[1024];
    const int used = Orvex_ListUsbDevices(buffer, sizeof buffer);
    std::vector<std::string> entries;
    for (int at = 0; at + 1 < used; at += static_cast<int>(entries.back().size()) + 1)
        entries.emplace_back(buffer + at);
    return entries;
}

class HidReaderTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("ORVEX_HID_SIM_DIR", folder.path().c_str(), 1); }
    void TearDown() override { unsetenv("ORVEX_HID_SIM_DIR"); }

    std::unique_ptr<UsbReader> start(const std::string &serial = "73011234") {
        sim::hid::HidOptions hid;
        hid.folder = folder.path().string();
        hid.serial = serial;
        return std::make_unique<UsbReader>(readerOptions(0), hid);
    }

    TempFolder folder;
};

TEST_F(HidReaderTest, ListedOpenedAndIdentifiedByListName) {
    auto reader = start();
    auto nameless = start("-");  // listed as "7305-???? HID", which the filter drops
    auto switchable = start("6401-1234");
    auto foreign = start("6416-1234");  // no article number of the maker's
    std::vector<std::string> listed = usbDevices();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"6401-1234 HID", "73011234 HID"}));

    OpenPort port("73011234 HID");
    ASSERT_GE(port.handle, 10001);
    EXPECT_EQ(Orvex_IsUsbPort(port.handle), 1);
    char version[8] = {};
    ASSERT_EQ(Orvex_ReadVersion(port.handle, version, sizeof version), 4);
    EXPECT_STREQ(version, "1245");
    char name[32] = {};
    ASSERT_GT(Orvex_GetPortName(port.handle, name, sizeof name), 0);
    EXPECT_STREQ(name, "73011234 HID");

    // A configuration block longer than one report travels in several.
    const unsigned char prefix[] = {0x02, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 0xFF};
    ASSERT_EQ(Orvex_WritePrefixBlock(port.handle, prefix, sizeof prefix), 0);
    unsigned char back[64];
    ASSERT_EQ(Orvex_ReadPrefixBlock(port.handle, back, sizeof back), static_cast<int>(sizeof prefix));
    EXPECT_EQ(std::vector<unsigned char>(back, back + sizeof prefix),
              std::vector<unsigned char>(prefix, prefix + sizeof prefix));

    EXPECT_EQ(Orvex_OpenPort("99999999 HID", 19200, 100), ORVEX_OPEN_FAILED);
}

// A listening socket NAME.sock beside a description that is no regular file.
struct FakeDeviceSocket {
    int fd = -1;
    explicit FakeDeviceSocket(const std::string &path) {
        fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd, 1), 0);
    }
    ~FakeDeviceSocket() { close(fd); }
};

TEST_F(HidReaderTest, DescriptionsThatAreNoRegularFilesAreSkipped) {
    auto reader = start();
    // Reading a FIFO would wait for a writer for ever.
    const std::string fifo = (folder.path() / "fifo.ini").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    FakeDeviceSocket fifoSocket((folder.path() / "fifo.sock").string());
    ASSERT_EQ(mkdir((folder.path() / "folder.ini").c_str(), 0700), 0);
    FakeDeviceSocket folderSocket((folder.path() / "folder.sock").string());
    EXPECT_EQ(usbDevices(), (std::vector<std::string>{"73011234 HID"}));
}

TEST_F(HidReaderTest, KeyTableCommandsOnTheReportLevel) {
    auto reader = start();
    OpenPort port("73011234 HID");
    ASSERT_GT(port.handle, 0);
    const unsigned char query[] = {0x11, 'z'};
    unsigned char answer[10];
    // German factory layout: z is on the key of usage 0x1C (Y).
    ASSERT_EQ(Orvex_HidTransceive(port.handle, query, sizeof query, answer, sizeof answer), 4);
    EXPECT_EQ(std::vector<unsigned char>(answer, answer + 4),
              (std::vector<unsigned char>{0x11, 'z', 0x00, 0x1C}));

    const unsigned char set[] = {0x12, 'z', 0x00, 0x1D};
    ASSERT_EQ(Orvex_HidWrite(port.handle, set, sizeof set), 0);
    ASSERT_EQ(Orvex_HidTransceive(port.handle, query, sizeof query, answer, sizeof answer), 4);
    EXPECT_EQ(answer[3], 0x1D);
    EXPECT_EQ(Orvex_HidTransceive(20001, query, sizeof query, answer, sizeof answer), ORVEX_FAILED);

    // Every failure says why; an answer is never cut to the buffer.
    const unsigned char tooLong[8] = {0x11};
    const unsigned char unanswered[] = {0x7E, 'z'};  // the reader has no such command
    struct Case {
        const char *what;
        const unsigned char *request;
        int length;
        int size;
        int error;
    };
    const Case cases[] = {
        {"answer of 4 into 1 byte", query, sizeof query, 1, ORVEX_ERR_BUFFER_TOO_SMALL},
        {"answer of 4 into 3 bytes", query, sizeof query, 3, ORVEX_ERR_BUFFER_TOO_SMALL},
        {"longer than one report", tooLong, sizeof tooLong, sizeof answer, ORVEX_ERR_LENGTH},
        {"empty request", query, 0, sizeof answer, ORVEX_ERR_EMPTY_REQUEST},
        {"no answer", unanswered, sizeof unanswered, sizeof answer, ORVEX_ERR_TIMEOUT},
    };
    for (const Case &c : cases) {
        std::memset(answer, 0xAA, sizeof answer);
        EXPECT_EQ(Orvex_HidTransceive(port.handle, c.request, c.length, answer, c.size), ORVEX_FAILED)
            << c.what;
        EXPECT_EQ(Orvex_GetLastError(port.handle), c.error) << c.what;
        EXPECT_EQ(answer[0], 0xAA) << c.what;  // nothing copied
        ASSERT_EQ(Orvex_HidTransceive(port.handle, query, sizeof query, answer, sizeof answer), 4);
        EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_NONE) << c.what;
    }
    EXPECT_EQ(Orvex_HidWrite(port.handle, tooLong, sizeof tooLong), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_LENGTH);
}

TEST_F(HidReaderTest, SwitchesToVirtualComAndBack) {
    auto reader = start();
    reader->modifyState([](sim::ReaderState &s) { s.prefix = {0x02, 'Q', 0xFF}; });
    {
        OpenPort port("73011234 HID");
        ASSERT_GT(port.handle, 0);
        ASSERT_EQ(Orvex_SetUsbMode(port.handle, 2), 0);
        Orvex_Restart(port.handle, 0, 0);
    }
    ASSERT_TRUE(reader->waitForMode(UsbMode::VirtualCom, 2s));
    EXPECT_TRUE(usbDevices().empty());
    {
        OpenPort port(reader->path());
        ASSERT_GT(port.handle, 0);
        EXPECT_LT(port.handle, 10001);
        unsigned char back[16];
        ASSERT_EQ(Orvex_ReadPrefixBlock(port.handle, back, sizeof back), 3);  // the state went along
        EXPECT_EQ(back[1], 'Q');
        ASSERT_EQ(Orvex_SetUsbMode(port.handle, 1), 0);
        Orvex_Restart(port.handle, 0, 0);
    }
    ASSERT_TRUE(reader->waitForMode(UsbMode::Hid, 2s));
    EXPECT_EQ(usbDevices(), std::vector<std::string>{"73011234 HID"});
}

TEST_F(HidReaderTest, UnplugMidSessionFailsClearlyAndDropsTheHandle) {
    auto reader = start();
    const int handle = Orvex_OpenPort("73011234 HID", 19200, 200);
    ASSERT_GT(handle, 0);
    reader.reset();  // unplugged
    unsigned char back[16];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Orvex_ReadPrefixBlock(handle, back, sizeof back), ORVEX_FAILED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);  // no waiting out a dead device
    EXPECT_EQ(Orvex_GetLastError(handle), 3);                 // gone from the port list
    EXPECT_EQ(Orvex_ClosePort(handle), ORVEX_FAILED);
}

}  // namespace
}  // namespace orvex::test
