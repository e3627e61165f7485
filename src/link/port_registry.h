// The module object: owns every open port, hands out handles, runs the open
// sequence that identifies a reader.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "link/port.h"
#include "link/port_name.h"

namespace orvex {

// Handles of one transport family: the smallest free integer from a base.
class IdSet {
public:
    explicit IdSet(int base) : base_(base) {}
    int take();
    void give(int id) { used_.erase(id); }

private:
    int base_;
    std::set<int> used_;
};

class SdkApp {
public:
    static SdkApp &instance();
    ~SdkApp();

    int openPort(const char *name, int baud, int timeoutMs);
    bool closePort(int handle);

    // The open port with that handle. Ports whose transport went away are
    // dropped on the way (their handles become invalid).
    std::shared_ptr<Port> find(int handle);

    static constexpr int kIdentifyTimeoutCapMs = 300;

private:
    SdkApp() = default;

    struct Entry {
        int handle;
        IdSet *ids;
        std::shared_ptr<Port> port;
    };

    int openOnce(const PortName &name, int baud, int timeoutMs, bool firstAttempt);
    std::shared_ptr<Port> createPort(const PortName &name, int baud, int &result, IdSet *&ids);
    void add(Entry entry);
    void remove(int handle);
    void release(Entry &entry);
    // Opens take turns, except that LAN readers, each with its own TCP link,
    // open side by side (a fleet of them is worked on at once); "" is the
    // turn of every other port.
    std::shared_ptr<std::mutex> openLockFor(const std::string &name);

    std::mutex listMutex_;
    std::map<std::string, std::shared_ptr<std::mutex>> openLocks_;
    std::vector<Entry> ports_;
    IdSet serialIds_{1};
    IdSet hidIds_{10001};
    IdSet lanIds_{20001};
    IdSet dongleIds_{30001};
};

}  // namespace orvex
