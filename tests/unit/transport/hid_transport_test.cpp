// The HID back end against simulated devices of the ORVEX_HID_SIM_DIR
// contract: listing and naming, report lengths, frame chunks, input reports,
// report-level commands and unplugging.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/temp_folder.h"
#include "transport/hid_report_descriptor.h"
#include "transport/hid_transport.h"
#include "transport/usb_ids.h"
#include "unit/transport/fake_hid_device.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using test::FakeHidDevice;
using test::Report;

struct Collector : ByteSink {
    std::vector<std::uint8_t> bytes;
    bool lost = false;
    void receiveBytes(const std::uint8_t *d, std::size_t n) override { bytes.insert(bytes.end(), d, d + n); }
    void linkLost() override { lost = true; }
};

std::string ini(const std::string &body) { return "[Device]\n" + body; }
const std::string kReader = ini("VendorId=0x1209\nProductId=0x7301\nSerial=73011234\n");

class HidFolder : public ::testing::Test {
protected:
    void SetUp() override { setenv(kHidSimDirVariable, folder.path().c_str(), 1); }
    void TearDown() override { unsetenv(kHidSimDirVariable); }

    // Opens "73011234 HID" and forgets the open report.
    std::unique_ptr<HidTransport> open(FakeHidDevice &device) {
        bool refused = true;
        auto transport = openHidTransport("73011234 HID", sink, refused);
        EXPECT_FALSE(refused);
        waitForReports(device, 1);
        return std::unique_ptr<HidTransport>(static_cast<HidTransport *>(transport.release()));
    }
    static std::vector<Report> waitForReports(FakeHidDevice &device, std::size_t count) {
        for (int i = 0; i < 500 && device.received().size() < count; ++i) std::this_thread::sleep_for(2ms);
        return device.received();
    }

    TempFolder folder;
    Collector sink;
};

TEST(HidReportDescriptor, LengthsCountTheReportIdByte) {
    struct Case {
        const char *what;
        std::vector<std::uint8_t> descriptor;
        HidReportLengths expected;
    } cases[] = {
        {"vendor page, 8 bytes in and out",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95,
          0x08, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0},
         {9, 9}},
        {"64-byte reports, count in two bytes",
         {0x75, 0x08, 0x96, 0x40, 0x00, 0x81, 0x02, 0x91, 0x02},
         {65, 65}},
        {"input items add up, output longest report id wins",
         {0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x75, 0x08, 0x95, 0x06, 0x81, 0x02,
          0x85, 0x01, 0x95, 0x03, 0x91, 0x02, 0x85, 0x02, 0x95, 0x10, 0x91, 0x02},
         {8, 17}},
        {"push and pop restore the size",
         {0x75, 0x08, 0x95, 0x04, 0xA4, 0x75, 0x10, 0xB4, 0x81, 0x02},
         {5, 0}},
        {"truncated item stops the walk", {0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x96, 0x40}, {5, 0}},
        {"empty", {}, {0, 0}},
    };
    for (const auto &c : cases) {
        const HidReportLengths got = reportLengthsFromDescriptor(c.descriptor);
        EXPECT_EQ(got.input, c.expected.input) << c.what;
        EXPECT_EQ(got.output, c.expected.output) << c.what;
    }
}

TEST(UsbIds, CodeTableMatchesTheReadmeTable) {
    std::ifstream in(std::string(ORVEX_SOURCE_DIR) + "/resources/reader_usb_ids.txt");
    std::vector<std::pair<int, int>> hidraw;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string vendor, product, node;
        fields >> vendor >> product >> node;
        if (node == "hidraw")
            hidraw.emplace_back(std::stoi(vendor, nullptr, 16), std::stoi(product, nullptr, 16));
    }
    ASSERT_EQ(hidraw.size(), hidReaderIds().size());
    for (const auto &[vendor, product] : hidraw) EXPECT_TRUE(isHidReader(vendor, product)) << vendor;
    EXPECT_FALSE(isHidReader(0x16D0, 0x0E2A));  // the virtual COM device is no HID reader
}

TEST(UsbIds, ArticleNumberFilter) {
    struct Case {
        const char *entry;
        bool kept;
    } cases[] = {{"73011234 HID", true},
                 {"7300", true},
                 {"7320ABCD", true},
                 {"7305-???? HID", false},
                 {"7305", false},
                 {"730", false},
                 {"", false},
                 {"A7301 HID", false},
                 {"9999 HID", false},
                 {"7311", true},
                 {"6401-1234 HID", true},
                 {"6415-0001 HID", true},
                 {"6400-1234 HID", false},
                 {"6416-1234 HID", false}};
    for (const auto &c : cases) EXPECT_EQ(passesArticleFilter(c.entry), c.kept) << c.entry;
}

TEST_F(HidFolder, ListsAcceptedReadersOnceWithTheirNames) {
    FakeHidDevice first(folder.path(), "a", kReader);
    // Decimal, a leading zero included.
    FakeHidDevice decimal(folder.path(), "b", ini("VendorId=04617\nProductId=29442\nSerial=73021234\n"));
    FakeHidDevice noSerial(folder.path(), "c", ini("VendorId=0x16D0\nProductId=0x0E2B\n"));
    FakeHidDevice mouse(folder.path(), "d", ini("VendorId=0x046D\nProductId=0xC077\nSerial=1\n"));
    FakeHidDevice badNumber(folder.path(), "f", ini("VendorId=0x1209x\nProductId=0x7301\nSerial=2\n"));
    FakeHidDevice sameSerial(folder.path(), "g", ini("VendorId=0x1D50\nProductId=0x61A0\nSerial=73011234\n"));
    std::ofstream(folder.path() / "e.ini") << kReader;  // no socket: not attached

    EXPECT_EQ(listHidReaders(), (std::vector<std::string>{"73011234 HID", "73021234 HID", "7305-???? HID"}));
}

TEST_F(HidFolder, ReportLengthsFromTheDeviceAndUnsupportedOnes) {
    struct Case {
        const char *lengths;
        bool opens;
        int input, output;
    } cases[] = {
        {"", true, 9, 9},
        {"InputReportLength=65\nOutputReportLength=33\n", true, 65, 33},
        {"InputReportLength=66\n", false, 0, 0},
        {"OutputReportLength=3\n", false, 0, 0},
    };
    for (const auto &c : cases) {
        TempFolder caseFolder;
        setenv(kHidSimDirVariable, caseFolder.path().c_str(), 1);
        FakeHidDevice device(caseFolder.path(), "r", kReader + c.lengths);
        bool refused = false;
        auto transport = openHidTransport("73011234 HID", sink, refused);
        ASSERT_EQ(transport != nullptr, c.opens) << c.lengths;
        EXPECT_FALSE(refused);
        if (!transport) continue;
        auto &hid = static_cast<HidTransport &>(*transport);
        EXPECT_EQ(hid.lengths().input, c.input);
        EXPECT_EQ(hid.lengths().output, c.output);
        // The open report (a report-level command 0x10 0): ID 0, 0x82 0x10 0, padded.
        Report open(static_cast<std::size_t>(c.output), 0);
        open[1] = 0x82;
        open[2] = 0x10;
        EXPECT_EQ(waitForReports(device, 1).at(0), open);
    }
}

TEST_F(HidFolder, FrameGoesOutInChunksOfReportLengthMinusTwo) {
    FakeHidDevice device(folder.path(), "r", kReader);
    auto hid = open(device);
    std::vector<std::uint8_t> frame(20);
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(0xA0 + i);
    ASSERT_TRUE(hid->send(frame.data(), frame.size()));

    const auto reports = waitForReports(device, 4);
    ASSERT_EQ(reports.size(), 4u);
    std::vector<std::uint8_t> joined;
    const std::size_t sizes[] = {7, 7, 6};
    for (std::size_t r = 0; r < 3; ++r) {
        const Report &report = reports[r + 1];
        ASSERT_EQ(report.size(), 9u);
        EXPECT_EQ(report[0], 0);
        EXPECT_EQ(report[1], sizes[r]);
        joined.insert(joined.end(), report.begin() + 2, report.begin() + 2 + static_cast<long>(sizes[r]));
        EXPECT_TRUE(std::all_of(report.begin() + 2 + static_cast<long>(sizes[r]), report.end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
    EXPECT_EQ(joined, frame);
}

TEST_F(HidFolder, InputReportsGiveTheirStatedPayloadOnly) {
    FakeHidDevice device(folder.path(), "r", kReader);
    auto hid = open(device);
    device.send({3, 'a', 'b', 'c', 'x', 'x', 'x', 'x'});    // 3 of 7 payload bytes
    device.send({2, 'd', 'e'});                             // shorter than a report: not one
    device.send({200, 'f', 'g', 'h', 'i', 'j', 'k', 'l'});  // length beyond the report: what is there
    device.send({0, 0, 0, 0, 0, 0, 0, 0});                  // empty
    for (int i = 0; i < 100 && sink.bytes.size() < 10; ++i)
        hid->readDirect(std::chrono::steady_clock::now() + 20ms);
    EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()), "abcfghijkl");
}

TEST_F(HidFolder, ReportLevelCommandTakesOnlyItsOwnAnswer) {
    // The device answers 0x21 0x05 with: a stale answer to another request,
    // a two-byte answer, then the real one.
    FakeHidDevice device(folder.path(), "r", kReader, [](const Report &report) -> std::vector<Report> {
        if (report[2] == 0x21)
            return {{3, 0x11, 1, 2, 0, 0, 0, 0}, {2, 0x21, 9, 0, 0, 0, 0, 0}, {4, 0x21, 7, 8, 9, 0, 0, 0}};
        return {};
    });
    auto hid = open(device);
    const std::uint8_t request[] = {0x21, 0x05};
    EXPECT_EQ(hid->command(request), (std::vector<std::uint8_t>{0x21, 7, 8, 9}));
    const Report sent = waitForReports(device, 2).at(1);
    EXPECT_EQ(sent, (Report{0, 0x82, 0x21, 0x05, 0, 0, 0, 0, 0}));

    // No answer within 100 ms, and a request too long for one report.
    const std::uint8_t silent[] = {0x30};
    EXPECT_TRUE(hid->command(silent).empty());
    const std::uint8_t tooLong[8] = {0x21};
    EXPECT_TRUE(hid->command(tooLong).empty());
    EXPECT_TRUE(hid->alive());
}

TEST_F(HidFolder, UnplugDropsTheLink) {
    FakeHidDevice device(folder.path(), "r", kReader);
    auto hid = open(device);
    device.unplug();
    hid->readDirect(std::chrono::steady_clock::now() + 1s);
    EXPECT_TRUE(sink.lost);
    EXPECT_FALSE(hid->alive());
    const std::uint8_t request[] = {0x11, 'a'};
    EXPECT_TRUE(hid->command(request).empty());
    EXPECT_FALSE(hid->sendCommand(request));
}

TEST_F(HidFolder, MissingReaderDoesNotOpen) {
    bool refused = true;
    EXPECT_EQ(openHidTransport("73011234 HID", sink, refused), nullptr);
    EXPECT_FALSE(refused);
}

}  // namespace
}  // namespace orvex
