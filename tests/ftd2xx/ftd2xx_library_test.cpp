// The D2XX back end of FTDI readers against a stand-in library
// (tests/ftd2xx/ftd2xx_double.cpp). Each suite runs in its own process with
// its own LD_LIBRARY_PATH (see tests/CMakeLists.txt): the full library, one
// without FT_SetLatencyTimer, and none at all.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <cstring>

#include <string>
#include <vector>

#include "orvex/orvex.h"
#include "sim/pty_reader.h"
#include "transport/diagnostics.h"
#include "transport/ftd2xx_library.h"
#include "transport/ftd2xx_transport.h"
#include "transport/ftdi_transport.h"

namespace orvex {
namespace {

std::vector<std::string> lines;
void collect(const char *text) { lines.emplace_back(text); }

// Diagnostics of the calls made while it lives.
struct DiagnosticCapture {
    DiagnosticCapture() {
        lines.clear();
        setDiagnosticSink(&collect);
    }
    ~DiagnosticCapture() { setDiagnosticSink(nullptr); }
};

struct NullSink : ByteSink {
    void receiveBytes(const std::uint8_t *, std::size_t) override {}
};

sim::Options readerAt19200() {
    sim::Options options;
    options.versionAnswer = "1245";
    options.variant = 0;
    options.baud = 19200;
    return options;
}

int latencyOf(const char *serial) {
    void *library = dlopen(Ftd2xxLibrary::kLibraryName, RTLD_NOW | RTLD_NOLOAD);
    auto *query =
        library ? reinterpret_cast<int (*)(const char *)>(dlsym(library, "ftDoubleLatencyOf")) : nullptr;
    const int value = query ? query(serial) : -2;
    if (library) dlclose(library);
    return value;
}

TEST(D2xxLibrary, ListsFreeDevicesAndIdentifiesAReaderBySerialNumber) {
    sim::PtyReader reader(readerAt19200());
    const std::string devices =
        "73101111=" + reader.slavePath() + ";73102222@open;73103333=" + reader.slavePath();
    setenv("ORVEX_FTD2XX_DEVICES", devices.c_str(), 1);
    {
        DiagnosticCapture capture;
        EXPECT_EQ(listFtdiReaders(), (std::vector<std::string>{"73101111", "73103333"}));
        EXPECT_TRUE(lines.empty()) << lines.front();
    }

    const int handle = Orvex_OpenPort("73101111", 19200, 1000);
    ASSERT_GT(handle, 0);
    char version[8] = {};
    EXPECT_EQ(Orvex_ReadVersion(handle, version, sizeof version), 4);
    EXPECT_STREQ(version, "1245");
    EXPECT_EQ(latencyOf("73101111"), 2);
    // Our own open port is taken: neither listed nor opened twice.
    char list[64];
    const int used = Orvex_ListUsbDevices(list, sizeof list);
    EXPECT_EQ(std::string(list, static_cast<std::size_t>(used)), std::string("73103333\0\0", 10));
    EXPECT_EQ(Orvex_OpenPort("73101111", 19200, 200), -1);
    EXPECT_EQ(Orvex_ClosePort(handle), 0);
    EXPECT_EQ(latencyOf("73101111"), -2) << "the port's reference to the library went with it";
    EXPECT_EQ(listFtdiReaders(), (std::vector<std::string>{"73101111", "73103333"}));
    EXPECT_EQ(Orvex_OpenPort("73109999", 19200, 200), -1);
}

TEST(D2xxLibrary, RecordsThatAreOpenOrNamelessAreLeftOut) {
    ftd2xx::DeviceRecord records[5] = {};
    auto name = [&](int i, const char *serial, std::size_t n) {
        std::memcpy(records[i].serialNumber, serial, n);
    };
    name(0, "73101111", 8);
    name(1, "73102222", 8);
    records[1].flags = ftd2xx::kFlagOpened;
    name(2, "73103333", 8);
    records[2].handle = &records[2];
    // 3: no serial number; 4: all 16 bytes used, no terminating NUL.
    name(4, "7310444455556666", 16);
    EXPECT_EQ(freeDeviceSerials(records, 5), (std::vector<std::string>{"73101111", "7310444455556666"}));
}

TEST(D2xxWithoutLatencyTimer, OneDiagnosticNamesTheMissingFunction) {
    sim::PtyReader reader(readerAt19200());
    setenv("ORVEX_FTD2XX_DEVICES", ("73101111=" + reader.slavePath()).c_str(), 1);
    DiagnosticCapture capture;
    {
        Ftd2xxLibrary library;
        EXPECT_TRUE(library.load());
        EXPECT_TRUE(library.load());
        EXPECT_EQ(library.setLatencyTimer(nullptr, 2), ftd2xx::kFailure);
    }
    EXPECT_EQ(lines, std::vector<std::string>{"Fehler: Kann FT_SetLatencyTimer nicht initialisieren"});
    // The reader still works; only its latency stays as it was.
    NullSink sink;
    auto transport = Ftd2xxTransport::open("73101111", LineSettings{}, sink);
    ASSERT_TRUE(transport);
    EXPECT_EQ(lines.size(), 2u);
    transport->close();
}

TEST(D2xxAbsent, FtdiListIsEmptyOpeningFailsAndSerialPortsWork) {
    if (void *real = dlopen(Ftd2xxLibrary::kLibraryName, RTLD_NOW)) {
        dlclose(real);
        GTEST_SKIP() << "a D2XX library is installed on this machine";
    }
    {
        DiagnosticCapture capture;
        EXPECT_TRUE(listFtdiReaders().empty());
        // Each use tries again, and says so once.
        EXPECT_TRUE(listFtdiReaders().empty());
        EXPECT_EQ(lines, std::vector<std::string>(2, "Fehler: Kann Ftd2xx.dll nicht laden"));
        lines.clear();
        Ftd2xxLibrary library;
        ftd2xx::Dword count = 7;
        EXPECT_EQ(library.createDeviceInfoList(count), ftd2xx::kFailure);
        EXPECT_EQ(lines, (std::vector<std::string>{"Fehler: Kann Ftd2xx.dll nicht laden",
                                                   "FT_CreateDeviceInfoList ist nicht vorhanden!"}));
    }
    EXPECT_EQ(Orvex_OpenPort("73101111", 19200, 200), -1);
    sim::PtyReader reader(readerAt19200());
    const int handle = Orvex_OpenPort(reader.slavePath().c_str(), 19200, 1000);
    ASSERT_GT(handle, 0);
    char version[8] = {};
    EXPECT_EQ(Orvex_ReadVersion(handle, version, sizeof version), 4);
    Orvex_ClosePort(handle);
}

}  // namespace
}  // namespace orvex
