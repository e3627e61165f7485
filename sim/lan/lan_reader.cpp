#include "sim/lan/lan_reader.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <thread>

#include "sim/lan/network_module.h"
#include "netns/namespace_guard.h"
#include "sim/reader_core.h"

extern char **environ;

namespace orvex::sim::lan {
namespace {

std::string text(const Ipv4 &a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

Ipv4 fromInAddr(in_addr address) {
    std::uint32_t v = ntohl(address.s_addr);
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

struct InterfaceAddress {
    std::string interface;
    Ipv4 address{};
    int prefix = 24;
};

// The interface's IPv4 address (the first non-loopback one without a name).
std::optional<InterfaceAddress> currentAddress(const std::string &interface) {
    ifaddrs *all = nullptr;
    if (getifaddrs(&all) != 0) return std::nullopt;
    std::optional<InterfaceAddress> found;
    for (ifaddrs *e = all; e && !found; e = e->ifa_next) {
        if (!e->ifa_addr || e->ifa_addr->sa_family != AF_INET || (e->ifa_flags & IFF_LOOPBACK)) continue;
        if (!interface.empty() && interface != e->ifa_name) continue;
        InterfaceAddress out;
        out.interface = e->ifa_name;
        out.address = fromInAddr(reinterpret_cast<sockaddr_in *>(e->ifa_addr)->sin_addr);
        std::uint32_t mask = ntohl(reinterpret_cast<sockaddr_in *>(e->ifa_netmask)->sin_addr.s_addr);
        out.prefix = __builtin_popcount(mask);
        found = out;
    }
    freeifaddrs(all);
    return found;
}

bool runIp(std::vector<std::string> args) {
    args.insert(args.begin(), "ip");
    std::vector<char *> argv;
    for (auto &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, "ip", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int listenTcp(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 || listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int bindModule() {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(30718);
    if (bind(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class LanReader {
public:
    LanReader(const LanOptions &options, ReaderCore &core, const InterfaceAddress &address)
        : options_(options),
          core_(core),
          current_(address),
          module_(identity(options, address), settings(options, address)) {}

    int run() {
        udp_ = bindModule();
        listen_ = listenTcp(options_.port);
        listenPort_ = options_.port;
        if (udp_ < 0 || listen_ < 0) {
            std::cerr << "orvex-readersim: cannot listen on the LAN ports\n";
            return 1;
        }
        if (!options_.readyFile.empty()) std::ofstream(options_.readyFile) << "ready" << std::endl;
        for (;;) {
            std::vector<pollfd> polled{{udp_, POLLIN, 0}, {listen_, POLLIN, 0}};
            for (int client : clients_) polled.push_back({client, POLLIN, 0});
            if (poll(polled.data(), polled.size(), emitWait()) < 0) {
                if (errno == EINTR) continue;
                return 1;
            }
            if (polled[0].revents & POLLIN) datagram();
            if (polled[1].revents & POLLIN) accept();
            for (std::size_t i = 2; i < polled.size(); ++i)
                if (polled[i].revents & (POLLIN | POLLHUP | POLLERR)) dataLink(polled[i].fd);
            clients_.erase(std::remove(clients_.begin(), clients_.end(), -1), clients_.end());
        }
    }

private:
    // Transponder output on its own clock while the reader reads with output:
    // the time poll() may sleep, after sending what is due to every link.
    int emitWait() {
        auto output = core_.spontaneousOutput();
        if (!output || core_.emitPeriod().count() <= 0) {
            nextEmit_.reset();
            return -1;
        }
        auto now = Clock::now();
        if (!nextEmit_) nextEmit_ = now + core_.emitPeriod();
        if (now >= *nextEmit_) {
            for (int client : clients_) sendAll(client, output->bytes.data(), output->bytes.size());
            *nextEmit_ += core_.emitPeriod();
            if (*nextEmit_ <= now) nextEmit_ = now + core_.emitPeriod();  // fell behind: skip, do not burst
        }
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*nextEmit_ - now).count());
    }

    static ModuleIdentity identity(const LanOptions &o, const InterfaceAddress &a) {
        ModuleIdentity id;
        if (!o.name.empty()) id.name = o.name;
        if (o.foreign) id.deviceType = "XPort-03";
        id.qelTag = !o.noQel;
        id.mac = {0x00, 0x20, 0x4A, a.address[1], a.address[2], a.address[3]};
        return id;
    }

    static ModuleSettings settings(const LanOptions &o, const InterfaceAddress &a) {
        ModuleSettings s;
        s.address = o.configuredAddress.value_or(a.address);
        s.hostBits = 32 - a.prefix;
        s.port = o.port;
        s.name = o.name;
        return s;
    }

    void datagram() {
        std::uint8_t buffer[600];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ssize_t got = recvfrom(udp_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (got <= 0) return;
        auto outcome = module_.handle(buffer, static_cast<std::size_t>(got));
        if (!options_.requestLog.empty() && !outcome.request.empty())
            std::ofstream(options_.requestLog, std::ios::app) << outcome.request << std::endl;
        if (outcome.answer)
            sendto(udp_, outcome.answer->data(), outcome.answer->size(), 0,
                   reinterpret_cast<sockaddr *>(&from), length);
        if (outcome.apply) apply();
    }

    // The module restarts with record 0: a new fixed address or mask moves the
    // reader (a DHCP setting keeps the address the lab gave it), a new port
    // moves the data link, and open links end.
    void apply() {
        ModuleSettings s = module_.settings();
        Ipv4 address = s.address == Ipv4{} ? current_.address : s.address;
        int prefix = s.hostBits >= 32 ? 0 : 32 - s.hostBits;
        if (address != current_.address || prefix != current_.prefix) {
            runIp({"-4", "addr", "flush", "dev", current_.interface});
            runIp({"addr", "add", text(address) + "/" + std::to_string(prefix), "dev", current_.interface});
            // Hosts outside the new subnet are still on the same wire.
            runIp({"route", "replace", "default", "dev", current_.interface});
            current_.address = address;
            current_.prefix = prefix;
        }
        if (s.port != listenPort_ && s.port > 0) {
            int moved = listenTcp(s.port);
            if (moved >= 0) {
                ::close(listen_);
                listen_ = moved;
                listenPort_ = s.port;
            }
        }
        for (int &client : clients_) {
            ::close(client);
            client = -1;
        }
    }

    void accept() {
        int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        int on = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        clients_.push_back(client);
    }

    void dataLink(int fd) {
        std::uint8_t buffer[1024];
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            drop(fd);
            return;
        }
        bool hangup = false;
        // At wire speed the module's serial line to the reader carries the
        // request, then the answer, at the reader's rate.
        const auto byteTime =
            core_.options().wireSpeed ? core_.line().byteTime() : std::chrono::nanoseconds(0);
        std::chrono::nanoseconds requestTime = byteTime * got;
        for (const Transmission &t : core_.receive(buffer, static_cast<std::size_t>(got), Clock::now())) {
            std::size_t length = t.hangupAfter ? std::min(*t.hangupAfter, t.bytes.size()) : t.bytes.size();
            const auto lineTime = requestTime + byteTime * static_cast<long>(length);
            requestTime = std::chrono::nanoseconds(0);
            const auto wait = std::max<std::chrono::nanoseconds>(t.delay, lineTime);
            if (wait.count() > 0) std::this_thread::sleep_for(wait);
            sendAll(fd, t.bytes.data(), length);
            core_.transmitted(t);
            if (t.hangupAfter) hangup = true;
            if (!t.spontaneous && options_.dropAfter > 0 && ++answers_ % options_.dropAfter == 0)
                hangup = true;
        }
        if (hangup) drop(fd);
    }

    static void sendAll(int fd, const std::uint8_t *data, std::size_t length) {
        while (length > 0) {
            ssize_t sent = send(fd, data, length, MSG_NOSIGNAL);
            if (sent <= 0) return;
            data += sent;
            length -= static_cast<std::size_t>(sent);
        }
    }

    void drop(int fd) {
        ::close(fd);
        for (int &client : clients_)
            if (client == fd) client = -1;
    }

    const LanOptions &options_;
    ReaderCore &core_;
    InterfaceAddress current_;
    NetworkModule module_;
    int udp_ = -1;
    int listen_ = -1;
    int listenPort_ = 0;
    std::vector<int> clients_;
    long answers_ = 0;
    std::optional<Clock::time_point> nextEmit_;
};

}  // namespace

int runLanReader(const Options &reader, const LanOptions &lan) {
    // The module answers broadcasts and rewrites its interface's address: it
    // belongs in a network namespace of its own, never in the machine's.
    if (!orvex::netns::inSeparateNetworkNamespace()) {
        std::cerr << "orvex-readersim: --lan runs only inside a network namespace (see tools/netns-lab)\n";
        return 1;
    }
    auto address = currentAddress(lan.interface);
    if (!address) {
        std::cerr << "orvex-readersim: no IPv4 interface for the LAN reader\n";
        return 1;
    }
    try {
        ReaderCore core(reader);
        return LanReader(lan, core, *address).run();
    } catch (const std::exception &e) {
        std::cerr << "orvex-readersim: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace orvex::sim::lan
