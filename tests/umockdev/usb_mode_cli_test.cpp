// orvexctl usb-mode on a simulated switchable reader, both ways: the way back
// needs the maker's virtual COM port in the serial port list, which the
// umockdev testbed gives (a cdc_acm tty of the reader's pair). orvexctl runs
// as a child and inherits the preload. Runs under umockdev-wrapper.
#include <gtest/gtest.h>

#include <chrono>

#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "umockdev/usb_reader_process.h"
#include "umockdev/virtual_com_testbed.h"

namespace orvex::test {
namespace {

using namespace std::chrono_literals;

TEST(UsbModeCli, ToVirtualComAndBackByPortName) {
    VirtualComTestbed testbed;
    if (!VirtualComTestbed::active()) GTEST_SKIP() << "needs umockdev's preload (umockdev-wrapper)";
    UsbReaderProcess sim("6401-1234");
    const auto socket = sim.nextAppearance(5s);
    ASSERT_TRUE(socket && !UsbReaderProcess::isTerminal(*socket)) << "orvex-readersim did not start";
    testbed.setCdcAcmLoaded(true);
    TempFolder config;
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--lang", "en"});
        return runOrvexctl(config.path(), std::move(args), {"LANG=C"});
    };

    CtlRun r = run({"--port", "6401-1234 HID", "usb-mode", "vcom"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto terminal = sim.nextAppearance(3s);
    ASSERT_TRUE(terminal && UsbReaderProcess::isTerminal(*terminal));
    testbed.addVirtualComPort(*terminal);
    ASSERT_TRUE(testbed.virtualComPortAdded());

    // By its path: the list shows it as the maker's virtual COM port.
    r = run({"--port", "/dev/ttyACM0", "usb-mode", "vcom"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("already"), std::string::npos) << r.out;
    r = run({"--port", "/dev/ttyACM0", "usb-mode", "hid"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto back = sim.nextAppearance(3s);
    ASSERT_TRUE(back && !UsbReaderProcess::isTerminal(*back));
    testbed.removeVirtualComPort();
}

}  // namespace
}  // namespace orvex::test
