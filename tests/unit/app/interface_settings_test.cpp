// The interface settings loader, list texts, selection and line combos.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/interface_settings.h"
#include "app/settings_store.h"

using namespace orvex::app;

namespace {

class InterfaceSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orvex-iface-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        store_ = std::make_unique<SettingsStore>((dir_ / "settings.ini").string());
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    static DeviceListProviders lists(std::vector<std::string> usb, std::vector<std::string> lan,
                                     std::vector<std::string> bt, bool lanReachable = false) {
        DeviceListProviders p;
        p.comPorts = [] { return std::vector<std::string>{"/dev/ttyS0"}; };
        p.usbDevices = [usb] { return usb; };
        p.lanDevices = [lan] { return lan; };
        p.bluetoothDongles = [bt] { return bt; };
        p.lanCheck = [lanReachable](const std::string &) { return lanReachable; };
        return p;
    }

    std::filesystem::path dir_;
    std::unique_ptr<SettingsStore> store_;
};

}  // namespace

TEST_F(InterfaceSettingsTest, LoaderResolvesStoredNameAgainstPresentDevices) {
    struct Case {
        const char *stored;
        int ethernet;
        DeviceListProviders devices;
        const char *expectedName;
        PortKind expectedKind;
    } cases[] = {
        {"", 0, lists({}, {}, {}), "COM1", PortKind::Serial},
        {"/dev/ttyUSB0", 0, lists({}, {}, {}), "/dev/ttyUSB0", PortKind::Serial},
        {"USB: 6401-1 HID", 0, lists({"6401-2 HID", "6402-9"}, {}, {}), "USB: 6401-2 HID", PortKind::Usb},
        {"USB: 6402-9", 0, lists({"6401-2 HID", "6402-9"}, {}, {}), "USB: 6402-9", PortKind::Usb},
        {"USB: 6402-9", 0, lists({}, {}, {}), "", PortKind::Serial},
        {"LAN: 10.0.0.5", 0, lists({}, {"10.0.0.6"}, {}), "LAN: 10.0.0.5", PortKind::Serial},
        {"LAN: 10.0.0.5", 1, lists({}, {}, {}, true), "LAN: 10.0.0.5", PortKind::Lan},
        {"LAN: 10.0.0.5", 1, lists({}, {"10.0.0.6"}, {}), "LAN: 10.0.0.6", PortKind::Lan},
        {"LAN: 10.0.0.5", 1, lists({}, {}, {}), "", PortKind::Serial},
        {"Bluetooth: A", 0, lists({}, {}, {"B", "A"}), "Bluetooth: A", PortKind::Bluetooth},
        {"Bluetooth: A", 0, lists({}, {}, {"B"}), "Bluetooth: B", PortKind::Bluetooth},
    };
    for (auto &c : cases) {
        store_->set(settings::PortName, c.stored);
        store_->set(settings::PortEthernet, c.ethernet);
        const PortSettings ps = loadPortSettings(*store_, c.devices);
        EXPECT_EQ(ps.name, c.expectedName) << c.stored;
        EXPECT_EQ(store_->get(settings::PortName), c.expectedName) << c.stored;
        EXPECT_EQ(ps.kind, c.expectedKind) << c.stored;
    }
}

TEST_F(InterfaceSettingsTest, LoaderReadsDialogDefaults) {
    const PortSettings ps = loadPortSettings(*store_, lists({}, {}, {}));
    EXPECT_EQ(ps.baudValue, 19200);
    EXPECT_EQ(ps.timeoutMs, 300);
    EXPECT_EQ(ps.address, 1);
    EXPECT_FALSE(ps.ethernet);
}

TEST(InterfaceList, TextsAndSelection) {
    DeviceLists lists;
    lists.com = {"\\\\.\\COM3 [Qel Virtual COM]", "/dev/ttyUSB0"};
    lists.usb = {"6401-1 HID"};
    lists.lan = {"10.0.0.6"};
    lists.bluetooth = {"QEL-RT2856#4"};
    const auto texts = interfaceListTexts(lists);
    EXPECT_EQ(texts, (std::vector<std::string>{"COM3 [Qel Virtual COM]", "/dev/ttyUSB0", "USB: 6401-1 HID",
                                               "LAN: 10.0.0.6", "Bluetooth: QEL-RT2856#4"}));

    std::string name = "com3";
    EXPECT_EQ(initialSelection(texts, name), 0u);
    EXPECT_EQ(name, "com3");
    name = "/dev/ttyS7";
    EXPECT_FALSE(initialSelection(texts, name));
    EXPECT_EQ(name, "");
    const std::vector<std::string> one = {"/dev/ttyACM0"};
    name = "/dev/ttyS7";
    EXPECT_EQ(initialSelection(one, name), 0u);
    EXPECT_EQ(name, "/dev/ttyACM0");
}

TEST(InterfaceList, SplitsListBuffers) {
    const char buffer[] = "a\0bc\0\0junk";
    EXPECT_EQ(splitListBuffer(buffer, 6), (std::vector<std::string>{"a", "bc"}));
    EXPECT_TRUE(splitListBuffer(buffer + 5, 1).empty());
}

TEST(LineCombos, BaudValueRoundTrip) {
    struct Case {
        int stored;
        LineCombos shown;
    } cases[] = {
        {9602, {9600, 2, 0}}, {19203, {19200, 0, 1}}, {115250, {115200, 0, 0}}, {9601, {9600, 1, 0}}};
    for (const auto &c : cases) {
        const auto shown = lineCombosFromBaudValue(c.stored);
        EXPECT_EQ(shown.rate, c.shown.rate) << c.stored;
        EXPECT_EQ(shown.parity, c.shown.parity) << c.stored;
        EXPECT_EQ(shown.stopBits, c.shown.stopBits) << c.stored;
    }
    EXPECT_EQ(baudValueFromLineCombos({9600, 1, 1}), 9601);  // parity wins over two stop bits
    EXPECT_EQ(baudValueFromLineCombos({9600, 0, 1}), 9603);
    EXPECT_EQ(baudValueFromLineCombos({57600, 2, 0}), 57602);
}

TEST(InterfaceDialog, UsbModeRadios) {
    const auto hid = usbModeRadiosFor("USB: 6405-0001 HID");
    EXPECT_TRUE(hid.hidEnabled && hid.hidChecked && hid.vcomEnabled && !hid.vcomChecked);
    const auto vcom = usbModeRadiosFor("/dev/ttyACM0 [Qel Virtual COM]");
    EXPECT_TRUE(vcom.hidEnabled && !vcom.hidChecked && vcom.vcomEnabled && vcom.vcomChecked);
    for (const char *other :
         {"USB: 6416-0001 HID", "USB: 6405-0001", "/dev/ttyACM0 [Brix Virtual COM]", ""}) {
        const auto r = usbModeRadiosFor(other);
        EXPECT_FALSE(r.hidEnabled || r.hidChecked || r.vcomEnabled || r.vcomChecked) << other;
    }
}

TEST_F(InterfaceSettingsTest, OkStoresValidatedSettings) {
    PortSettings ps;
    ps.name = "/dev/ttyUSB1";
    ps.baudValue = 38401;
    ps.timeoutMs = 9;
    EXPECT_FALSE(storePortSettings(*store_, ps));
    EXPECT_EQ(store_->get(settings::PortName), "");
    ps.timeoutMs = 1000;
    ps.address = 256;
    EXPECT_FALSE(storePortSettings(*store_, ps));
    ps.address = 12;
    ps.ethernet = true;
    EXPECT_TRUE(storePortSettings(*store_, ps));
    EXPECT_EQ(store_->get(settings::PortName), "/dev/ttyUSB1");
    EXPECT_EQ(store_->get(settings::PortBaudrate), 38401);
    EXPECT_EQ(store_->get(settings::PortTimeoutDialog), 1000);
    EXPECT_EQ(store_->get(settings::PortAddress), 12);
    EXPECT_EQ(store_->get(settings::PortEthernet), 1);
}
