// The Bluetooth connect dialog's decisions against the simulated dongle: the
// remembered reader, the search with its name markers, the status log.
#include <gtest/gtest.h>

#include "app/bluetooth_connect_model.h"
#include "app/connect.h"
#include "app/string_table.h"
#include "orvex/orvex.h"
#include "sim/dongle/dongle_options.h"
#include "sim/dongle/pty_dongle.h"
#include "sim_fixture.h"

namespace orvex::app::testing {
namespace {

class BluetoothConnect : public SimReaderTest {
protected:
    void startDongle(std::vector<std::string> readers) {
        sim::dongle::DongleCommandLine line;
        line.radioReaders = std::move(readers);
        ASSERT_EQ(sim::dongle::resolveRadioReaders(line), "");
        dongle_ = std::make_unique<sim::dongle::PtyDongle>(line.options, sim::Options{});
        store_->set(settings::PortName, "Bluetooth: " + dongle_->portName());
        handle_ = Orvex_OpenPort(dongle_->portName().c_str(), 19200, 500);
        ASSERT_GT(handle_, 0);
    }
    void TearDown() override {
        if (handle_ > 0) Orvex_ClosePort(handle_);
        dongle_.reset();
        SimReaderTest::TearDown();
    }
    std::string addressOf(int reader) {
        return std::to_string(btAddressNumber(dongle_->core().options().readers.at(reader).address));
    }

    std::unique_ptr<sim::dongle::PtyDongle> dongle_;
    int handle_ = 0;
};

TEST_F(BluetoothConnect, WithoutRememberedReaderSearchesAndListsOnlyTheMakersReaders) {
    startDongle({"Orvex RT2851#0001", "Orvex RT2851#RT2850#2", "Orvex RT2850#3", "Pixel 7,class=5A020C",
                 "Orvex RT2851#0005"});
    BluetoothConnectModel dialog(*store_, handle_);
    EXPECT_EQ(dialog.buttonCaption(), 550);
    int shown = 0;
    EXPECT_FALSE(dialog.press([&] { ++shown; }));
    EXPECT_GE(shown, 2);  // once before the search blocks, once with its result
    EXPECT_EQ(dialog.listEntries(), (std::vector<std::string>{"Orvex RT2851#0001", "Orvex RT2851#0005"}));
    EXPECT_EQ(dialog.selected(), 0);
    EXPECT_EQ(dialog.buttonCaption(), 563);
    EXPECT_EQ(dialog.statusLog(), "Suche Bluetooth Geräte ... fertig\r\n");

    dialog.select(1);
    EXPECT_TRUE(dialog.press([] {}));
    EXPECT_EQ(store_->get(settings::BluetoothLastAddress), addressOf(4));
    EXPECT_EQ(store_->get(settings::BluetoothLastName), "Orvex RT2851#0005");
}

TEST_F(BluetoothConnect, RememberedReaderIsConnectedWithoutAnyChoice) {
    startDongle({"Orvex RT2851#0001", "Orvex RT2851#0002"});
    store_->set(settings::BluetoothLastAddress, addressOf(1));
    store_->set(settings::BluetoothLastName, "Orvex RT2851#0002");
    BluetoothConnectModel dialog(*store_, handle_);
    EXPECT_EQ(dialog.buttonCaption(), 563);
    EXPECT_EQ(dialog.listEntries(), (std::vector<std::string>{"Orvex RT2851#0002"}));
    EXPECT_TRUE(dialog.press([] {}));
    EXPECT_EQ(dialog.statusLog(), "Verbindung mit Orvex RT2851#0002 aufbauen ... fertig\r\n");
    EXPECT_EQ(dongle_->core().linkedReader(), 1u);
}

TEST_F(BluetoothConnect, UnreachableRememberedReaderFallsBackToASearch) {
    startDongle({"Orvex RT2851#0001"});
    store_->set(settings::BluetoothLastAddress, "1234567");
    store_->set(settings::BluetoothLastName, "Alter Leser");
    BluetoothConnectModel dialog(*store_, handle_);
    EXPECT_FALSE(dialog.press([] {}));
    EXPECT_EQ(dialog.statusLog(),
              "Verbindung mit Alter Leser aufbauen ... \nFehler 4 bei Connect \r\nSuche Bluetooth Geräte ... "
              "fertig\r\n");
    EXPECT_EQ(dialog.listEntries(), (std::vector<std::string>{"Orvex RT2851#0001"}));
    // The settings keep the old reader until a connect succeeds.
    EXPECT_EQ(store_->get(settings::BluetoothLastAddress), "1234567");
}

TEST_F(BluetoothConnect, TwoDevicesOfOneNameConnectTheLaterOne) {
    startDongle({"Orvex RT2851#TWIN", "Orvex RT2851#TWIN"});
    BluetoothConnectModel dialog(*store_, handle_);
    dialog.press([] {});
    ASSERT_EQ(dialog.listEntries().size(), 2u);
    EXPECT_TRUE(dialog.press([] {}));
    EXPECT_EQ(dongle_->core().linkedReader(), 1u);
}

TEST_F(BluetoothConnect, ConnectRoutineShowsTheDialogAndIdentifiesTheReader) {
    startDongle({"Orvex RT2851#0001"});
    Orvex_ClosePort(handle_);
    handle_ = 0;
    store_->set(settings::BluetoothLastAddress, addressOf(0));
    int dialogs = 0;
    ctx_->bluetoothDeviceDialog = [&](int handle) {
        ++dialogs;
        return BluetoothConnectModel(*store_, handle).press([] {});
    };
    CapabilityFlags flags = 0;
    int handle = connectAndIdentify(*ctx_, flags);
    ASSERT_GT(handle, 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(flags & CAP_BLUETOOTH);
    closeReader(handle);
    EXPECT_FALSE(dongle_->core().linkedReader());

    // Cancelled: the port is closed again and the result is 1.
    ctx_->bluetoothDeviceDialog = [](int) { return false; };
    EXPECT_EQ(connectAndIdentify(*ctx_, flags), 1);
}

}  // namespace
}  // namespace orvex::app::testing
