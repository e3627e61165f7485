// The settings store: file location, every key's default, persistence and
// one-run overrides.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/settings_store.h"

using namespace orvex::app;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orvex-settings-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string fileText() const {
        std::ifstream in(dir_ / "Qel Applikationen" / "OrvexReaderSetup.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path dir_;
};

}  // namespace

TEST_F(SettingsStoreTest, PathFollowsXdgConfigHome) {
    EXPECT_EQ(SettingsStore::defaultPath(), (dir_ / "Qel Applikationen" / "OrvexReaderSetup.ini").string());
}

TEST_F(SettingsStoreTest, EmptyStoreGivesEveryDefault) {
    SettingsStore store;
    struct IntCase {
        IntSetting s;
        int expected;
    } ints[] = {
        {settings::PortBaudrate, 19200},    {settings::PortTimeoutConnect, 500},
        {settings::PortTimeoutDialog, 300}, {settings::PortAddress, 1},
        {settings::PortEthernet, 0},        {settings::Language, 0},
        {settings::ShowLayoutError, 1},     {settings::WindowLeft, 0},
        {settings::WindowTop, 0},           {settings::VersionUpdate, 1},
    };
    for (const auto &c : ints) EXPECT_EQ(store.get(c.s), c.expected) << c.s.section << "/" << c.s.key;
    for (const auto &s : {settings::PortName, settings::LastPath, settings::MkrFilePath,
                          settings::BluetoothLastAddress, settings::BluetoothLastName})
        EXPECT_EQ(store.get(s), "") << s.section << "/" << s.key;
    EXPECT_FALSE(std::filesystem::exists(store.path()));  // reading creates nothing
}

TEST_F(SettingsStoreTest, WritesPersistPerSection) {
    {
        SettingsStore store;
        EXPECT_EQ(store.portNameOrDefault(), "COM1");  // stored on first use
        ASSERT_TRUE(store.set(settings::PortBaudrate, 2400));
        ASSERT_TRUE(store.set(settings::BluetoothLastName, "Reader 7"));
        ASSERT_TRUE(store.set(settings::PortBaudrate, 9602));
    }
    SettingsStore again;
    EXPECT_EQ(again.get(settings::PortName), "COM1");
    EXPECT_EQ(again.get(settings::PortBaudrate), 9602);
    EXPECT_EQ(again.get(settings::BluetoothLastName), "Reader 7");
    EXPECT_EQ(fileText(), "[Port]\r\nName=COM1\r\nBaudrate=9602\r\n[Bluetooth]\r\nLastDevName=Reader 7\r\n");
}

TEST_F(SettingsStoreTest, OverridesHoldForOneObjectOnly) {
    SettingsStore store;
    store.set(settings::PortName, "/dev/ttyUSB0");
    store.override("Port", "Name", "/dev/pts/9");
    store.override("Port", "Baudrate", "4800");
    EXPECT_EQ(store.get(settings::PortName), "/dev/pts/9");
    EXPECT_EQ(store.get(settings::PortBaudrate), 4800);
    store.set(settings::PortBaudrate, 2400);  // e.g. the baud hunt
    EXPECT_EQ(store.get(settings::PortBaudrate), 2400);

    SettingsStore other;
    EXPECT_EQ(other.get(settings::PortName), "/dev/ttyUSB0");
    EXPECT_EQ(other.get(settings::PortBaudrate), 19200);
}
