// The SDK's LAN functions as the LAN dialogs use them, behind function
// objects so tests can stand in for the network.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace orvex::app {

struct LanSettingsText {
    std::string name;     // "[name]-port"
    std::string address;  // "a.b.c.d-port"; empty for a reader on DHCP
    std::string mask;
    std::string gateway;
};

struct LanFunctions {
    std::function<std::vector<std::string>()> searchMaker;  // Orvex_LanSearch
    std::function<std::vector<std::string>()> searchAll;    // Orvex_LanSearchAll
    std::function<bool(const std::string &address)> check;  // Orvex_LanCheck
    // Orvex_LanReadSettings: 0 or a negative result.
    std::function<int(const std::string &address, LanSettingsText &settings)> readSettings;
    // Orvex_LanConfigure: 0 or a negative result.
    std::function<int(const std::string &address, const std::string &newAddress, const std::string &mask,
                      const std::string &gateway)>
        configure;
    // Time, so a test can run the 25 s wait in no time.
    std::function<std::chrono::steady_clock::time_point()> now = std::chrono::steady_clock::now;
    std::function<void(std::chrono::milliseconds)> sleep;
};

// The functions of liborvex, on the real clock.
LanFunctions systemLanFunctions();

}  // namespace orvex::app
