#include "lan/discovery.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "lan/address_text.h"

namespace orvex::lan {
namespace {

using EntrySet = std::set<std::string>;  // std::string orders bytes as unsigned: byte order

std::unique_ptr<DatagramSocket> openOn(const NetworkAdapter &adapter) {
    auto local = parseIpv4(adapter.address);
    return local ? DatagramSocket::open(*local) : nullptr;
}

// A record-0 answer of the search: type 0xF9 with at least 120 bytes.
std::optional<NetworkRecord> networkRecordOf(const Datagram &datagram) {
    auto answer = parseAnswer(datagram.bytes);
    if (!answer || answer->type != readRecordAnswerType(0)) return std::nullopt;
    return NetworkRecord::fromPayload(answer->payload);
}

// The verification answer: record 2 from the reader with at least 120 bytes.
std::optional<ByteView> record2Of(const Datagram &datagram, const Ipv4 &reader) {
    auto answer = parseAnswer(datagram.bytes);
    if (!answer || datagram.sender != reader || answer->type != readRecordAnswerType(2) ||
        answer->payload.size() < kRecordSize)
        return std::nullopt;
    return answer->payload;
}

// The entry as it stands in the result once verification passed.
std::string verifiedForm(const std::string &entry) {
    std::string_view prefix = bracketPrefix(entry);
    return prefix.empty() ? entry : std::string(prefix);
}

// One adapter's part of the concurrent search.
struct AdapterSearch {
    std::unique_ptr<DatagramSocket> socket;
    bool collecting = true;
    Clock::time_point collectUntil;
    EntrySet entries;
    struct Verification {
        Clock::time_point until;
        std::optional<bool> maker;
    };
    std::map<Ipv4, Verification> verifications;  // by reader address

    bool pending() const {
        return collecting || std::any_of(verifications.begin(), verifications.end(),
                                         [](const auto &v) { return !v.second.maker; });
    }
};

}  // namespace

std::vector<std::string> search(const std::vector<NetworkAdapter> &adapters, milliseconds timeout, bool verify) {
    std::vector<AdapterSearch> runs;
    for (const NetworkAdapter &adapter : adapters) {
        AdapterSearch run;
        run.socket = openOn(adapter);
        if (!run.socket) continue;
        run.collectUntil = Clock::now() + timeout;
        run.collecting = run.socket->broadcast(readRecordRequest(0));
        runs.push_back(std::move(run));
    }

    auto startVerification = [&](AdapterSearch &run, const Ipv4 &reader) {
        if (run.verifications.count(reader)) return;
        bool sent = run.socket->send(reader, readRecordRequest(2));
        run.verifications[reader] = {Clock::now() + timeout,
                                     sent ? std::nullopt : std::optional<bool>(false)};
    };

    auto handle = [&](AdapterSearch &run, const Datagram &datagram) {
        auto now = Clock::now();
        auto pending = run.verifications.find(datagram.sender);
        if (pending != run.verifications.end() && !pending->second.maker) {
            if (auto record2 = record2Of(datagram, datagram.sender)) {
                pending->second.maker = isMakerDevice(*record2);
                return;
            }
        }
        if (run.collecting) {
            if (auto record = networkRecordOf(datagram)) {
                run.entries.insert(searchEntry(*record, datagram.sender));
                run.collectUntil = now + timeout;
                if (verify) startVerification(run, datagram.sender);
                return;
            }
        }
        // Any other datagram restarts the silence the verifications wait for.
        for (auto &[reader, verification] : run.verifications)
            if (!verification.maker) verification.until = now + timeout;
    };

    std::vector<int> fds;
    for (const AdapterSearch &run : runs) fds.push_back(run.socket->fd());
    for (;;) {
        auto now = Clock::now();
        std::optional<Clock::time_point> next;
        for (AdapterSearch &run : runs) {
            if (run.collecting && now >= run.collectUntil) run.collecting = false;
            for (auto &[reader, verification] : run.verifications) {
                if (verification.maker) continue;
                if (now >= verification.until)
                    verification.maker = false;
                else if (!next || verification.until < *next)
                    next = verification.until;
            }
            if (run.collecting && (!next || run.collectUntil < *next)) next = run.collectUntil;
        }
        if (!next) break;
        waitReadable(fds.data(), fds.size(), *next);
        for (AdapterSearch &run : runs)
            while (auto datagram = run.socket->take()) handle(run, *datagram);
    }

    EntrySet result;
    for (AdapterSearch &run : runs) {
        for (const std::string &entry : run.entries) {
            if (!verify) {
                result.insert(entry);
                continue;
            }
            auto reader = parseIpv4(entryAddress(entry));
            auto verification = reader ? run.verifications.find(*reader) : run.verifications.end();
            if (verification != run.verifications.end() && verification->second.maker.value_or(false))
                result.insert(verifiedForm(entry));
        }
    }
    return {result.begin(), result.end()};
}

std::vector<std::string> searchSequential(const std::vector<NetworkAdapter> &adapters, milliseconds timeout,
                                          bool verify) {
    EntrySet result;
    for (const NetworkAdapter &adapter : adapters) {
        auto socket = openOn(adapter);
        if (!socket) continue;
        EntrySet entries;
        if (socket->broadcast(readRecordRequest(0))) {
            auto until = Clock::now() + timeout;
            while (auto datagram = socket->receiveUntil(until)) {
                if (auto record = networkRecordOf(*datagram)) {
                    entries.insert(searchEntry(*record, datagram->sender));
                    until = Clock::now() + timeout;
                }
            }
        }
        for (const std::string &entry : entries) {
            if (!verify) {
                result.insert(entry);
                continue;
            }
            auto reader = parseIpv4(entryAddress(entry));
            if (!reader || !socket->send(*reader, readRecordRequest(2))) continue;
            auto answer = waitForAnswer(
                *socket, [&](const Datagram &d) { return record2Of(d, *reader).has_value(); }, timeout);
            if (answer && isMakerDevice(*record2Of(*answer, *reader))) result.insert(verifiedForm(entry));
        }
    }
    return {result.begin(), result.end()};
}

std::string resolve(std::string_view bracketedName, const std::vector<NetworkAdapter> &adapters,
                    milliseconds timeout) {
    for (const NetworkAdapter &adapter : adapters) {
        auto socket = openOn(adapter);
        if (!socket || !socket->broadcast(readRecordRequest(0))) continue;
        std::string found;
        waitForAnswer(
            *socket,
            [&](const Datagram &d) {
                auto record = networkRecordOf(d);
                if (!record || record->address() == d.sender || "[" + record->name() + "]" != bracketedName)
                    return false;
                found = formatIpv4(d.sender) + "-" + std::to_string(record->port());
                return true;
            },
            timeout, WaitRule::FixedDeadline);
        if (!found.empty()) return found;
    }
    return {};
}

std::unique_ptr<ConfigHandle> check(std::string_view address, const std::vector<NetworkAdapter> &adapters) {
    std::string text(address);
    if (text.find('[') != std::string::npos) text = resolve(bracketPrefix(text), adapters, kResolveTimeout);
    auto reader = parseIpv4(withoutPort(text));
    if (!reader) return nullptr;
    for (const NetworkAdapter &adapter : adapters) {
        auto socket = openOn(adapter);
        if (!socket || !socket->broadcast(readRecordRequest(0))) continue;
        auto answer = waitForAnswer(
            *socket, [&](const Datagram &d) { return d.sender == *reader && networkRecordOf(d).has_value(); },
            kAnswerTimeout);
        if (answer) return std::make_unique<ConfigHandle>(std::move(socket), *reader);
    }
    return nullptr;
}

}  // namespace orvex::lan
