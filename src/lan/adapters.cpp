#include "lan/adapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace orvex::lan {
namespace {

Ipv4 toIpv4(const sockaddr *address) {
    return ipv4FromValue(ntohl(reinterpret_cast<const sockaddr_in *>(address)->sin_addr.s_addr));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Ethernet and IEEE 802.11 interfaces both carry ARPHRD_ETHER hardware
// addresses; loopback, tunnels and the like do not count as adapters.
bool isEthernetLike(int probe, const char *name) {
    ifreq request{};
    std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
    if (ioctl(probe, SIOCGIFHWADDR, &request) != 0) return false;
    return request.ifr_hwaddr.sa_family == ARPHRD_ETHER;
}

int interfaceIndex(int probe, const char *name) {
    ifreq request{};
    std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
    if (ioctl(probe, SIOCGIFINDEX, &request) != 0) return 0;
    return request.ifr_ifindex;
}

class SystemAdapterSource final : public AdapterSource {
public:
    std::vector<NetworkAdapter> adapters() override {
        std::vector<NetworkAdapter> list;
        ifaddrs *all = nullptr;
        if (getifaddrs(&all) != 0) return list;
        FileDescriptor probe(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        for (ifaddrs *entry = all; entry; entry = entry->ifa_next) {
            if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !entry->ifa_netmask) continue;
            Ipv4 address = toIpv4(entry->ifa_addr);
            if (isZero(address) || !isEthernetLike(probe.get(), entry->ifa_name)) continue;
            list.push_back({formatIpv4(address), formatIpv4(toIpv4(entry->ifa_netmask)),
                            interfaceIndex(probe.get(), entry->ifa_name)});
        }
        freeifaddrs(all);
        return list;
    }

    std::optional<int> bestInterfaceIndex(const Ipv4 &destination) override {
        FileDescriptor probe(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        if (probe.get() < 0) return std::nullopt;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(9);
        to.sin_addr.s_addr = htonl(ipv4Value(destination));
        if (connect(probe.get(), reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) return std::nullopt;
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (getsockname(probe.get(), reinterpret_cast<sockaddr *>(&local), &length) != 0) return std::nullopt;
        Ipv4 localAddress = toIpv4(reinterpret_cast<sockaddr *>(&local));

        std::optional<int> index;
        ifaddrs *all = nullptr;
        if (getifaddrs(&all) != 0) return std::nullopt;
        for (ifaddrs *entry = all; entry && !index; entry = entry->ifa_next) {
            if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET &&
                toIpv4(entry->ifa_addr) == localAddress)
                index = static_cast<int>(if_nametoindex(entry->ifa_name));
        }
        freeifaddrs(all);
        return index;
    }
};

std::atomic<AdapterSource *> installed{nullptr};

}  // namespace

AdapterSource &systemAdapters() {
    static SystemAdapterSource source;
    return source;
}

AdapterSource &adapterSource() {
    AdapterSource *source = installed.load();
    return source ? *source : systemAdapters();
}

void setAdapterSource(AdapterSource *source) { installed.store(source); }

std::optional<NetworkAdapter> chooseAdapter(const std::vector<NetworkAdapter> &adapters, std::optional<int> bestIndex,
                                      const Ipv4 &destination) {
    if (adapters.empty()) return std::nullopt;
    if (bestIndex) {
        for (const NetworkAdapter &adapter : adapters) {
            auto address = parseIpv4(adapter.address);
            auto mask = parseIpv4(adapter.mask);
            if (adapter.index != *bestIndex || !address || !mask) continue;
            std::uint32_t m = ipv4Value(*mask);
            if ((ipv4Value(*address) & m) == (ipv4Value(destination) & m)) return adapter;
        }
    }
    return adapters.front();
}

}  // namespace orvex::lan
