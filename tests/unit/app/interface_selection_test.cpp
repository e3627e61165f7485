// The interface dialog's model: the stored port, refresh pacing, the driver
// check and OK.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/interface_selection.h"
#include "app/settings_store.h"
#include "common/scripted_prompts_app.h"
#include "common/temp_folder.h"

using namespace orvex::app;

namespace {

class InterfaceSelectionTest : public ::testing::Test {
protected:
    InterfaceSelection make(std::vector<std::string> &ports) {
        DeviceListProviders devices;
        devices.comPorts = [this, &ports] {
            ++enumerations;
            return ports;
        };
        return InterfaceSelection(store, devices, prompts, {[this](int ms) { pauses.push_back(ms); }, {}});
    }

    TempFolder dir;
    SettingsStore store{dir.file("settings.ini")};
    test::ScriptedPrompts prompts;
    std::vector<int> pauses;
    int enumerations = 0;
};

TEST_F(InterfaceSelectionTest, StoredPseudoTerminalStaysListedSelectedAndStored) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string pty = ptsname(master);
    store.set(settings::PortName, pty);
    std::vector<std::string> ports{"/dev/ttyS0"};

    InterfaceSelection model = make(ports);
    EXPECT_EQ(model.texts(), (std::vector<std::string>{"/dev/ttyS0", pty}));
    ASSERT_TRUE(model.selection());
    EXPECT_EQ(model.texts()[*model.selection()], pty);

    ports.push_back("/dev/ttyACM0");  // a list change keeps it too
    EXPECT_TRUE(model.refresh(kDeviceArrival));
    EXPECT_EQ(model.texts().back(), pty);
    EXPECT_TRUE(model.accept(LineCombos{}, 300, 1));
    EXPECT_EQ(store.get(settings::PortName), pty);
    close(master);

    // A device that is gone is not listed: the only port is chosen instead.
    InterfaceSelection later = make(ports = {"/dev/ttyS0"});
    EXPECT_EQ(later.texts(), (std::vector<std::string>{"/dev/ttyS0"}));
}

TEST_F(InterfaceSelectionTest, ArrivalIsFollowedByFiveRefreshes) {
    std::vector<std::string> ports{"/dev/ttyS0"};
    InterfaceSelection model = make(ports);
    EXPECT_FALSE(model.refresh(kOwnRefreshRequest));  // the dialog's first request
    EXPECT_FALSE(model.scheduleRefresh());

    int refreshes = 1;
    model.refresh(kDeviceArrival);
    while (model.scheduleRefresh()) {
        model.refresh(kOwnRefreshRequest);
        ++refreshes;
    }
    EXPECT_EQ(refreshes, 6);
    EXPECT_EQ(model.refreshCounter(), 0);
}

TEST_F(InterfaceSelectionTest, SelectionDecidesLineSettingsAndLanChoiceIsCut) {
    std::vector<std::string> ports{"/dev/ttyS0", "/dev/ttyS1"};
    InterfaceSelection model = make(ports);
    EXPECT_FALSE(model.selection());  // "COM1" matches neither: nothing chosen
    model.select(1);
    EXPECT_EQ(model.settings().name, "/dev/ttyS1");
    EXPECT_TRUE(model.lineSettingsEnabled());
    model.select(7);  // out of range: no selection, the name stays
    EXPECT_FALSE(model.selection());

    model.setEthernet(true);
    EXPECT_TRUE(model.ipSearchShown());
    model.chooseLanAddress("192.168.1.30-10001 [ORVEXLAN] extra");
    EXPECT_EQ(model.settings().name, "LAN: 192.168.1.30-10001 [ORVEXLAN]");

    EXPECT_FALSE(model.accept(LineCombos{}, 5, 1));  // timeout below 10: nothing stored
    EXPECT_TRUE(model.accept(LineCombos{9600, 1, 0}, 400, 2));
    EXPECT_EQ(store.get(settings::PortBaudrate), 9601);
    EXPECT_EQ(store.get(settings::PortEthernet), 1);
}

}  // namespace
