#include "app/lan_config.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "app/string_table.h"
#include "orvex/orvex.h"

namespace orvex::app {
namespace {

constexpr int kTextEnterValidAddress = 10128;
constexpr int kTextConfigureFailed = 10130;
constexpr int kTextIntegerBetween = 61714;
constexpr int kDefaultPort = 10001;
constexpr int kMaxPort = 65535;
constexpr std::chrono::milliseconds kProgressStep{100};

// The number at the start of text (atoi rules: digits until the first other
// character), or fallback when there is none.
int leadingNumber(std::string_view text, int fallback) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() ? value : fallback;
}

bool isUsableAddress(const std::string &text) {
    int parts[4];
    char tail;
    if (std::sscanf(text.c_str(), "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4)
        return false;
    bool zero = true;
    for (int part : parts) {
        if (part < 0 || part > 255) return false;
        zero = zero && part == 0;
    }
    return !zero;
}

}  // namespace

void LanConfigModel::load() {
    LanSettingsText settings;
    if (!lan_.readSettings || lan_.readSettings(address_, settings) != ORVEX_OK) return;

    LanConfigFields f = fields_;
    int port = kDefaultPort;
    if (!settings.address.empty()) {
        f.mode = LanMode::FixedAddress;
        auto dash = settings.address.find('-');
        f.ipAddress = settings.address.substr(0, dash);
        if (dash != std::string::npos)
            port = leadingNumber(std::string_view(settings.address).substr(dash + 1), 0);
    } else {
        f.mode = LanMode::Dhcp;
        f.ipAddress.clear();
    }
    const std::string &name = settings.name;
    auto close = name.find(']');
    if (!name.empty() && name.front() == '[' && close != std::string::npos) {
        f.dhcpName = name.substr(1, close - 1);
        if (close + 1 < name.size() && name[close + 1] == '-' && f.mode == LanMode::Dhcp)
            port = leadingNumber(std::string_view(name).substr(close + 2), 0);
    } else {
        f.dhcpName = name;
    }
    if (f.dhcpName.size() > kMaxDhcpName) f.dhcpName.resize(kMaxDhcpName);
    f.dhcpPort = f.fixedPort = port;
    f.mask = settings.mask;
    f.gateway = settings.gateway;
    fields_ = f;
}

LanConfigView LanConfigModel::view() const {
    bool dhcp = fields_.mode == LanMode::Dhcp;
    bool fixed = fields_.mode == LanMode::FixedAddress;
    return {dhcp, dhcp, fixed, fixed};
}

std::string LanConfigModel::newAddressText() const {
    const bool dhcp = fields_.mode == LanMode::Dhcp;
    const int port = dhcp ? fields_.dhcpPort : fields_.fixedPort;
    if (port < 0 || port > kMaxPort) return {};
    if (dhcp) return "[" + fields_.dhcpName.substr(0, kMaxDhcpName) + "]-" + std::to_string(port);
    if (!isUsableAddress(fields_.ipAddress)) return {};
    return fields_.ipAddress + "-" + std::to_string(port);
}

LanConfigOutcome LanConfigModel::ok(const std::function<void(int elapsedMs)> &progress) {
    const auto &table = StringTable::instance();
    const bool dhcp = fields_.mode == LanMode::Dhcp;
    const int port = dhcp ? fields_.dhcpPort : fields_.fixedPort;
    if (port < 0 || port > kMaxPort) {
        prompts_.showMessage(table.format(kTextIntegerBetween, 0, kMaxPort), MessageIcon::Warning);
        return {LanConfigOutcome::StayOpen, dhcp ? LanConfigControl::DhcpPort : LanConfigControl::FixedPort};
    }
    const std::string newAddress = newAddressText();
    if (newAddress.empty()) {
        prompts_.showMessage(table.text(kTextEnterValidAddress), MessageIcon::Warning);
        return {LanConfigOutcome::StayOpen, LanConfigControl::IpAddress};
    }

    BusyScope busy(prompts_);
    if (progress) progress(0);
    int result = lan_.configure ? lan_.configure(address_, newAddress, fields_.mask, fields_.gateway)
                                : ORVEX_LAN_FAILED;
    if (result != ORVEX_OK) {
        prompts_.showMessage(table.text(kTextConfigureFailed), MessageIcon::Error);
        load();
        return {LanConfigOutcome::StayOpen, LanConfigControl::None};
    }
    address_ = newAddress;
    const auto start = lan_.now();
    for (;;) {
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(lan_.now() - start).count();
        if (progress) progress(static_cast<int>(std::min<long long>(elapsed, kProgressRangeMs)));
        if (elapsed >= kProgressRangeMs || (lan_.check && lan_.check(newAddress))) break;
        if (lan_.sleep) lan_.sleep(kProgressStep);
    }
    return {LanConfigOutcome::Done, LanConfigControl::None};
}

}  // namespace orvex::app
