#include "lan/network_config.h"

#include <charconv>
#include <optional>
#include <thread>

#include "lan/address_text.h"
#include "lan/discovery.h"

namespace orvex::lan {
namespace {

constexpr int kWriteRetries = 5;
constexpr milliseconds kWriteRetryPause{500};
constexpr milliseconds kReappearPoll{100};
constexpr milliseconds kReappearLimit{5000};
constexpr int kReopenAttempts = 21;

std::unique_ptr<ConfigHandle> openHandle(std::string_view address) {
    return check(withoutBusAddress(address), adapterSource().adapters());
}

std::optional<int> parsePort(std::string_view digits) {
    unsigned port = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || port > 65535)
        return std::nullopt;
    return static_cast<int>(port);
}

// The target of a configuration: "[name][-port]" (DHCP) or "a.b.c.d[-port]".
struct NewSettings {
    Ipv4 address{};
    std::string name;
    int port = 0;  // 0 = keep
    std::optional<Ipv4> mask;
    Ipv4 gateway{};
};

std::optional<NewSettings> parseNewSettings(std::string_view text, std::string_view mask,
                                            std::string_view gateway) {
    NewSettings out;
    std::string_view portPart;
    if (!text.empty() && text.front() == '[') {
        auto close = text.find(']');
        out.name =
            std::string(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        if (out.name.size() > kNameSize) out.name.resize(kNameSize);
        if (close != std::string_view::npos) {
            auto dash = text.find('-', close);
            if (dash != std::string_view::npos) portPart = text.substr(dash + 1);
        }
    } else {
        auto dash = text.find('-');
        auto address = parseIpv4(text.substr(0, dash));
        if (!address) return std::nullopt;
        out.address = *address;
        if (dash != std::string_view::npos) portPart = text.substr(dash + 1);
    }
    if (!portPart.empty()) {
        auto port = parsePort(portPart);
        if (!port) return std::nullopt;
        out.port = *port;
    }
    if (!mask.empty()) {
        out.mask = parseIpv4(mask);
        if (!out.mask) return std::nullopt;
    }
    if (!gateway.empty()) {
        auto parsed = parseIpv4(gateway);
        if (!parsed) return std::nullopt;
        out.gateway = *parsed;
    }
    return out;
}

bool writeWithRetries(ConfigHandle &handle, const Bytes &record) {
    for (int attempt = 0; attempt <= kWriteRetries; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kWriteRetryPause);
        if (handle.writeRecord(0, record)) return true;
    }
    return false;
}

// The module applies new settings when it restarts, and answers at its new
// address some time later.
void waitUntilReachable(std::string_view address) {
    auto until = Clock::now() + kReappearLimit;
    while (!isReachable(address) && Clock::now() < until) std::this_thread::sleep_for(kReappearPoll);
}

std::unique_ptr<ConfigHandle> reopen(std::string_view address) {
    for (int attempt = 0; attempt < kReopenAttempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kReappearPoll);
        if (auto handle = openHandle(address)) return handle;
    }
    return nullptr;
}

}  // namespace

bool isReachable(std::string_view address) { return openHandle(address) != nullptr; }

int readSettings(std::string_view address, NetworkSettingsText &settings) {
    auto handle = openHandle(address);
    if (!handle) return ORVEX_LAN_FAILED;
    auto record = handle->readNetworkRecord();
    if (!record) return ORVEX_LAN_FAILED;
    std::string port = "-" + std::to_string(record->port());
    settings.address = isZero(record->address()) ? std::string() : formatIpv4(record->address()) + port;
    settings.name = "[" + record->name() + "]" + port;
    settings.mask = formatIpv4(maskFromHostBits(record->hostBits()));
    settings.gateway = formatIpv4(record->gateway());
    return ORVEX_OK;
}

int configure(std::string_view address, std::string_view newAddress, std::string_view mask,
              std::string_view gateway) {
    auto wanted = parseNewSettings(newAddress, mask, gateway);
    if (!wanted) return ORVEX_LAN_FAILED;
    auto handle = openHandle(address);
    if (!handle) return ORVEX_LAN_FAILED;

    auto record = handle->readNetworkRecord();
    if (!record) {
        handle->restart();
        return ORVEX_LAN_FAILED;
    }
    int hostBits = wanted->mask ? maskHostBits(*wanted->mask) : record->hostBits();
    bool ipChanged = wanted->address != record->address();
    bool otherChanged = (wanted->port != 0 && wanted->port != record->port()) ||
                        (wanted->mask && hostBits != record->hostBits()) ||
                        wanted->gateway != record->gateway() ||
                        (!wanted->name.empty() && wanted->name != record->name());
    if (!ipChanged && !otherChanged) {
        handle->restart();
        return ORVEX_OK;
    }

    if (auto identify = handle->identify()) {
        Mac mac = *identifyMac(*identify);
        if (hasQelTag(*identify) && otherChanged) {
            ExtendedSetup setup;
            setup.mac = mac;
            setup.address = wanted->address;
            setup.port = wanted->port != 0 ? wanted->port : record->port();
            setup.mask = maskFromHostBits(hostBits);
            setup.gateway = wanted->gateway;
            setup.name = wanted->name.empty() ? record->name() : wanted->name;
            handle->extendedAddressSetup(setup);
            otherChanged = false;
        } else {
            handle->addressSetup(mac, wanted->address);
        }
        handle.reset();
        std::string newText(newAddress);
        waitUntilReachable(newText);
        if (!otherChanged) return ORVEX_OK;
        handle = reopen(newText);
        if (!handle) return ORVEX_LAN_FAILED;
    } else {
        // Without the identify answer no setup datagram can be addressed; the
        // record write then carries the new address as well.
        otherChanged = true;
    }

    record->setAddress(wanted->address);
    if (wanted->mask) record->setHostBits(hostBits);
    record->setGateway(wanted->gateway);
    if (wanted->port != 0) record->setPort(wanted->port);
    if (!wanted->name.empty()) {
        record->setName(wanted->name);
        if (auto record3 = handle->readRecord(3))
            if (auto named = record3WithName(*record3, wanted->name)) handle->writeRecord(3, *named);
    }
    int result = writeWithRetries(*handle, record->bytes()) ? ORVEX_OK : ORVEX_LAN_FAILED;
    handle->restart();
    return result;
}

int readClientTarget(std::string_view address, ClientTarget &target) {
    auto handle = openHandle(address);
    if (!handle) return ORVEX_LAN_FAILED;
    auto record = handle->readNetworkRecord();
    if (!record) return ORVEX_LAN_FAILED;
    target.address = formatIpv4(record->targetAddress());
    target.port = record->targetPort();
    return ORVEX_OK;
}

int setClientTarget(std::string_view address, std::string_view target, int port) {
    std::optional<Ipv4> targetAddress = target.empty() ? Ipv4{} : parseIpv4(target);
    if (!targetAddress || port < 0 || port > 65535) return ORVEX_LAN_FAILED;
    auto handle = openHandle(address);
    if (!handle) return ORVEX_LAN_FAILED;
    auto record = handle->readNetworkRecord();
    if (!record) return ORVEX_LAN_FAILED;
    if (record->targetAddress() == *targetAddress && record->targetPort() == port) return ORVEX_OK;
    record->setTargetAddress(*targetAddress);
    record->setTargetPort(port);
    if (!writeWithRetries(*handle, record->bytes())) return ORVEX_LAN_FAILED;
    handle->restart();
    return ORVEX_OK;
}

}  // namespace orvex::lan
