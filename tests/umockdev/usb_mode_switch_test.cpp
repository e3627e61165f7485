// The interface model's USB mode switch on a simulated switchable reader,
// with the driver check and the virtual COM port listing on the system paths
// (sysfs, libudev) of a umockdev testbed. Runs under umockdev-wrapper.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "app/interface_selection.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "app/usb_mode_switch.h"
#include "common/scripted_prompts_app.h"
#include "common/temp_folder.h"
#include "orvex/orvex.h"
#include "umockdev/usb_reader_process.h"
#include "umockdev/virtual_com_testbed.h"

namespace orvex::test {
namespace {

using namespace std::chrono_literals;

constexpr const char *kHidText = "USB: 6401-1234 HID";
constexpr const char *kVirtualComText = "/dev/ttyACM0 [Qel Virtual COM]";

bool lists(const app::InterfaceSelection &model, const std::string &text) {
    return std::find(model.texts().begin(), model.texts().end(), text) != model.texts().end();
}

class UsbModeSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        if (!VirtualComTestbed::active()) GTEST_SKIP() << "needs umockdev's preload (umockdev-wrapper)";
        app::StringTable::instance().useGerman();
        store.set(app::settings::PortName, kHidText);
        const auto socket = sim.nextAppearance(5s);
        ASSERT_TRUE(socket && !UsbReaderProcess::isTerminal(*socket)) << "orvex-readersim did not start";
    }

    app::InterfaceSelection make() {
        return app::InterfaceSelection(store, app::systemDeviceLists(), prompts,
                                       {[this](int ms) { pauses.push_back(ms); },
                                        [this](const std::string &page) { pages.push_back(page); }});
    }

    VirtualComTestbed testbed;
    UsbReaderProcess sim{"6401-1234"};
    TempFolder dir;
    app::SettingsStore store{dir.file("settings.ini")};
    app::test::ScriptedPrompts prompts;
    std::vector<int> pauses;
    std::vector<std::string> pages;
};

TEST_F(UsbModeSwitch, WithoutTheDriverItAsksAndLeavesTheReaderAlone) {
    if (VirtualComTestbed::hostShipsCdcAcm()) GTEST_SKIP() << "this kernel ships cdc_acm in /lib/modules";
    testbed.setCdcAcmLoaded(false);
    ASSERT_EQ(Orvex_IsVirtualComDriverInstalled(), 0);
    app::InterfaceSelection model = make();
    ASSERT_TRUE(model.selection());
    EXPECT_EQ(model.texts()[*model.selection()], kHidText);

    prompts.answers = {true};  // "Yes": the driver page, then a pause for the browser
    EXPECT_FALSE(model.switchToVirtualCom());
    EXPECT_EQ(prompts.questions, std::vector<std::string>{app::virtualComDriverQuestion()});
    EXPECT_EQ(pages, std::vector<std::string>{app::driverDownloadPage()});
    EXPECT_EQ(pauses, std::vector<int>{2000});
    EXPECT_EQ(model.settings().name, kHidText);
    EXPECT_FALSE(sim.nextAppearance(500ms));  // no restart: it was not told to switch
}

TEST_F(UsbModeSwitch, ToVirtualComAndBackThroughTheLists) {
    testbed.setCdcAcmLoaded(true);
    ASSERT_EQ(Orvex_IsVirtualComDriverInstalled(), 1);
    app::InterfaceSelection model = make();
    const app::UsbModeRadios hid = model.usbRadios();
    EXPECT_TRUE(hid.hidEnabled && hid.hidChecked && hid.vcomEnabled && !hid.vcomChecked);

    ASSERT_TRUE(model.switchToVirtualCom());
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(pauses, std::vector<int>{1000});
    EXPECT_EQ(model.settings().name, "");
    const app::UsbModeRadios cleared = model.usbRadios();
    EXPECT_FALSE(cleared.hidEnabled || cleared.hidChecked || cleared.vcomEnabled || cleared.vcomChecked);
    const auto terminal = sim.nextAppearance(3s);
    ASSERT_TRUE(terminal && UsbReaderProcess::isTerminal(*terminal));

    // The kernel's view of the restarted reader: a cdc_acm tty of pair A.
    testbed.addVirtualComPort(*terminal);
    ASSERT_TRUE(testbed.virtualComPortAdded());
    EXPECT_TRUE(model.refresh(app::kDeviceArrival));
    EXPECT_TRUE(lists(model, kVirtualComText));
    EXPECT_FALSE(lists(model, kHidText));
    const auto port = std::find(model.texts().begin(), model.texts().end(), kVirtualComText);
    model.select(std::size_t(port - model.texts().begin()));
    const app::UsbModeRadios vcom = model.usbRadios();
    EXPECT_TRUE(vcom.hidEnabled && !vcom.hidChecked && vcom.vcomEnabled && vcom.vcomChecked);

    ASSERT_TRUE(model.switchToHidMode());
    EXPECT_EQ(pauses, (std::vector<int>{1000, 1000}));
    EXPECT_EQ(model.settings().name, "");
    const auto socket = sim.nextAppearance(3s);
    ASSERT_TRUE(socket && !UsbReaderProcess::isTerminal(*socket));
    testbed.removeVirtualComPort();
    EXPECT_TRUE(model.refresh(app::kDeviceNodesChanged));
    EXPECT_TRUE(lists(model, kHidText));
    EXPECT_FALSE(lists(model, kVirtualComText));
}

// Listed ports with nothing behind them: the switch cannot reach a reader.
TEST_F(UsbModeSwitch, AReaderThatCannotBeReachedKeepsItsNameAndTheUserIsTold) {
    testbed.setCdcAcmLoaded(true);
    app::DeviceListProviders devices;
    devices.usbDevices = [] { return std::vector<std::string>{"6401-9999 HID"}; };
    devices.comPorts = [] { return std::vector<std::string>{"/dev/ttyACM7 [Qel Virtual COM]"}; };
    store.set(app::settings::PortName, "USB: 6401-9999 HID");
    app::InterfaceSelection model(store, devices, prompts, {[this](int ms) { pauses.push_back(ms); }, {}});
    const std::string noConnection = app::StringTable::instance().text(522);

    EXPECT_FALSE(model.switchToVirtualCom());
    EXPECT_EQ(model.settings().name, "USB: 6401-9999 HID");
    EXPECT_TRUE(model.usbRadios().hidChecked);
    model.select(0);
    EXPECT_FALSE(model.switchToHidMode());
    EXPECT_EQ(model.settings().name, "/dev/ttyACM7 [Qel Virtual COM]");
    EXPECT_EQ(prompts.messages, (std::vector<std::string>{noConnection, noConnection}));
    EXPECT_TRUE(pauses.empty());
    EXPECT_FALSE(sim.nextAppearance(200ms));
}

}  // namespace
}  // namespace orvex::test
