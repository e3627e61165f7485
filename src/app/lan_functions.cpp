#include "app/lan_functions.h"

#include <thread>

#include "app/interface_settings.h"
#include "orvex/orvex.h"

namespace orvex::app {
namespace {

// The size of the list buffer the LAN dialogs hand to the searches.
constexpr int kListBufferSize = 2500;

std::vector<std::string> searchWith(int (*search)(char *, int)) {
    std::vector<char> buffer(kListBufferSize);
    int used = search(buffer.data(), kListBufferSize);
    return splitListBuffer(buffer.data(), used);
}

}  // namespace

LanFunctions systemLanFunctions() {
    LanFunctions f;
    f.searchMaker = [] { return searchWith(Orvex_LanSearch); };
    f.searchAll = [] { return searchWith(Orvex_LanSearchAll); };
    f.check = [](const std::string &address) { return Orvex_LanCheck(address.c_str()) == 1; };
    f.readSettings = [](const std::string &address, LanSettingsText &out) {
        char name[ORVEX_LAN_TEXT_SIZE] = {}, ip[ORVEX_LAN_TEXT_SIZE] = {}, mask[ORVEX_LAN_TEXT_SIZE] = {},
             gateway[ORVEX_LAN_TEXT_SIZE] = {};
        int result = Orvex_LanReadSettings(address.c_str(), name, ip, mask, gateway);
        if (result == ORVEX_OK) out = {name, ip, mask, gateway};
        return result;
    };
    f.configure = [](const std::string &address, const std::string &newAddress, const std::string &mask,
                     const std::string &gateway) {
        return Orvex_LanConfigure(address.c_str(), newAddress.c_str(), mask.c_str(), gateway.c_str());
    };
    f.sleep = [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); };
    return f;
}

}  // namespace orvex::app
