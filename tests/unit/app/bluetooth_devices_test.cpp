// Device addresses, inquiry records, name markers and the remembered reader.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/bluetooth_devices.h"
#include "app/settings_store.h"
#include "common/temp_folder.h"

namespace orvex::app {
namespace {

TEST(BluetoothDevices, AddressFormsRoundTrip) {
    const BtAddress a = {0x01, 0x5B, 0x12, 0x25, 0x80, 0x00};
    EXPECT_EQ(btAddressText(a), "015B12258000");
    EXPECT_EQ(parseBtAddressText("015b12258000"), a);
    EXPECT_EQ(btAddressNumber(a), 0x008025125B01u);  // the first byte least significant
    EXPECT_EQ(btAddressFromNumber(0x008025125B01u), a);
    for (const char *bad : {"", "015B1225800", "015B122580000", "015B1225800G"})
        EXPECT_FALSE(parseBtAddressText(bad)) << bad;
}

TEST(BluetoothDevices, WholeRecordsOnly) {
    unsigned char records[40] = {1, 2, 3, 4, 5, 6, 'R', 'T', '1'};
    const auto devices = parseInquiryRecords(records, 40);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].name, "RT1");
    // A name that fills all 32 bytes has no NUL and is still cut there.
    unsigned char full[38];
    std::fill(std::begin(full), std::end(full), 'x');
    EXPECT_EQ(parseInquiryRecords(full, 38)[0].name, std::string(32, 'x'));
}

TEST(BluetoothDevices, NameMarkers) {
    const std::pair<const char *, bool> cases[] = {
        {"Orvex RT2851#0001", true}, {"RT2851#", true},         {"Orvex RT2850#0001", false},
        {"RT2851#RT2850#", false},   {"Orvex rt2851#1", false}, {"Pixel 7", false},
    };
    for (auto [name, listed] : cases) EXPECT_EQ(isListedReaderName(name), listed) << name;
}

TEST(BluetoothDevices, RememberedReaderNeedsANonZeroNumber) {
    TempFolder dir;
    SettingsStore store(dir.file("settings.ini"));
    const std::pair<const char *, bool> cases[] = {
        {"", false},
        {"0", false},
        {"abc", false},
        {"12x", false},
        {"281474976710656", false},
        {"550377773825", true},
    };
    for (auto [text, known] : cases) {
        store.set(settings::BluetoothLastAddress, text);
        EXPECT_EQ(rememberedReader(store).has_value(), known) << text;
    }
    rememberReader(store, {{1, 2, 3, 4, 5, 6}, "Orvex RT2851#9"});
    EXPECT_EQ(store.get(settings::BluetoothLastAddress), "6618611909121");
    EXPECT_EQ(rememberedReader(store)->name, "Orvex RT2851#9");
}

TEST(BluetoothDevices, DonglePortNamesGetTheirKindPrefix) {
    const std::pair<const char *, const char *> cases[] = {
        {"/dev/pts/7 BT", "Bluetooth: /dev/pts/7 BT"},
        {"QEL-RT2856#0042 BT", "Bluetooth: QEL-RT2856#0042 BT"},
        {"Bluetooth: /dev/pts/7 BT", "Bluetooth: /dev/pts/7 BT"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"USB: 6401-1 HID", "USB: 6401-1 HID"},
    };
    for (auto [given, stored] : cases) EXPECT_EQ(withBluetoothPrefix(given), stored) << given;
}

}  // namespace
}  // namespace orvex::app
