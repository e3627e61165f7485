#include "link/port_registry.h"

#include <algorithm>
#include <cerrno>

#include "lan/lan_link.h"
#include "link/commands.h"
#include "link/trace.h"
#include "orvex/orvex.h"
#include "transport/dongle_transport.h"
#include "transport/ftdi_transport.h"
#include "transport/hid_transport.h"
#include "transport/tty_line.h"
#include "transport/tty_transport.h"

namespace orvex {

namespace {
// Why the last open of this thread could not open its transport (errno).
thread_local int openError = 0;

constexpr int kLinkBaud = 19200;
// Dongle links carry this type until the reader behind them is asked.
constexpr std::uint32_t kDongleType = 0x125;

constexpr FrameVariant kSearchOrder[] = {FrameVariant::AddrCrc16, FrameVariant::CompactA,
                                         FrameVariant::CompactB};
}  // namespace

int IdSet::take() {
    int id = base_;
    while (used_.count(id)) ++id;
    used_.insert(id);
    return id;
}

SdkApp &SdkApp::instance() {
    static const bool diagnosticsRouted = (routeTransportDiagnostics(), true);
    (void)diagnosticsRouted;
    static SdkApp app;
    return app;
}

SdkApp::~SdkApp() {
    std::vector<Entry> all;
    {
        std::lock_guard lock(listMutex_);
        all.swap(ports_);
    }
    for (auto &e : all) release(e);
}

void SdkApp::add(Entry entry) {
    std::lock_guard lock(listMutex_);
    ports_.push_back(std::move(entry));
}

void SdkApp::release(Entry &entry) {
    entry.port->close();
    std::lock_guard lock(listMutex_);
    entry.ids->give(entry.handle);
}

void SdkApp::remove(int handle) {
    std::vector<Entry> gone;
    {
        std::lock_guard lock(listMutex_);
        auto it =
            std::find_if(ports_.begin(), ports_.end(), [&](const Entry &e) { return e.handle == handle; });
        if (it == ports_.end()) return;
        gone.push_back(std::move(*it));
        ports_.erase(it);
    }
    release(gone.front());
}

std::shared_ptr<Port> SdkApp::find(int handle) {
    std::vector<Entry> dead;
    std::shared_ptr<Port> found;
    {
        std::lock_guard lock(listMutex_);
        for (auto it = ports_.begin(); it != ports_.end();) {
            if (!it->port->alive()) {
                dead.push_back(std::move(*it));
                it = ports_.erase(it);
                continue;
            }
            if (it->handle == handle) {
                found = it->port;
                break;
            }
            ++it;
        }
    }
    for (auto &e : dead) release(e);
    return found;
}

bool SdkApp::closePort(int handle) {
    trace("Orvex_ClosePort(%d)\r\n", handle);
    if (!find(handle)) return false;
    remove(handle);
    return true;
}

std::shared_ptr<Port> SdkApp::createPort(const PortName &name, int baud, int &result, IdSet *&ids) {
    auto port = std::make_shared<Port>(name.name, name.busAddress);
    result = ORVEX_OPEN_FAILED;
    switch (name.portClass) {
        case PortClass::Lan:
            port->attach(lan::openDataLink(name.name, *port));
            ids = &lanIds_;
            break;
        case PortClass::Hid: {
            bool refused = false;
            port->attach(openHidTransport(name.name, *port, refused));
            if (refused) result = ORVEX_OPEN_HID_REFUSED;
            ids = &hidIds_;
            break;
        }
        case PortClass::RejectedDongle:
            return nullptr;
        case PortClass::Dongle:
            port->attach(openDongleTransport(name.name, *port));
            ids = &dongleIds_;
            break;
        case PortClass::SystemSerial:
        case PortClass::Ftdi: {
            trace("Init and Create... ");
            const LineSettings line = lineSettingsFromBaudArgument(baud);
            if (name.portClass == PortClass::SystemSerial)
                port->attach(TtyTransport::open(name.device, line, *port));
            else
                port->attach(openFtdiTransport(name.device, line, *port));
            const int openErrno = errno;
            trace(port->transport() ? "done\n" : "Error\n");
            errno = openErrno;
            ids = &serialIds_;
            break;
        }
    }
    if (!port->transport()) {
        openError = errno;
        return nullptr;
    }
    return port;
}

int SdkApp::openOnce(const PortName &name, int baud, int timeoutMs, bool firstAttempt) {
    if (timeoutMs < 0) return ORVEX_OPEN_NEGATIVE_TIMEOUT;
    int result = ORVEX_OPEN_FAILED;
    IdSet *ids = nullptr;
    std::shared_ptr<Port> port = createPort(name, baud, result, ids);
    if (!port) return result;
    port->setTimeoutMs(timeoutMs);

    int handle;
    {
        std::lock_guard lock(listMutex_);
        handle = ids->take();
    }
    trace("Add Object... ");
    add({handle, ids, port});
    trace("done\n");

    if (name.portClass == PortClass::Dongle) {
        port->setIdentity(kDongleType, 0);
        return handle;
    }

    port->setTimeoutMs(std::min(timeoutMs, kIdentifyTimeoutCapMs));
    trace("Read Version ... ");
    std::vector<std::uint8_t> version;
    bool read = readVersion(*port, version);
    if (!read && firstAttempt) {
        remove(handle);
        trace("repeat\n");
        return 0;  // the caller tries once more with a fresh port
    }
    for (std::size_t i = 0; !read && i < std::size(kSearchOrder); ++i) {
        port->setVariant(kSearchOrder[i]);
        read = readVersion(*port, version);
    }
    if (!read) port->setVariant(FrameVariant::StxBcc);
    trace("done\n");

    const auto identity = read ? parseVersionAnswer(version) : std::nullopt;
    if (!identity) {
        port->setIdentity(0, 0);
        remove(handle);
        return ORVEX_OPEN_NO_VERSION;
    }
    port->setIdentity(identity->typeCode, identity->subVersion);
    port->setTimeoutMs(timeoutMs);
    return handle;
}

std::shared_ptr<std::mutex> SdkApp::openLockFor(const std::string &name) {
    std::lock_guard lock(listMutex_);
    std::shared_ptr<std::mutex> &turn = openLocks_[name];
    if (!turn) turn = std::make_shared<std::mutex>();
    return turn;
}

int SdkApp::openPort(const char *name, int baud, int timeoutMs) {
    trace("Orvex_OpenPort(%s,%d,%d)", name ? name : "(null)", baud, timeoutMs);
    if (!name) return ORVEX_OPEN_FAILED;
    if (!keepsBaudArgument(name)) baud = kLinkBaud;
    const PortName parsed = parsePortName(name);

    int result;
    {
        const std::shared_ptr<std::mutex> turn =
            openLockFor(parsed.portClass == PortClass::Lan ? parsed.name : std::string());
        std::lock_guard lock(*turn);
        openError = 0;
        result = openOnce(parsed, baud, timeoutMs, true);
        if (result == 0) result = openOnce(parsed, baud, timeoutMs, false);
    }
    trace(" = %d\r\n", result);
    // A caller tells a busy port (EBUSY) from a missing one by errno.
    if (result == ORVEX_OPEN_FAILED && openError != 0) errno = openError;
    return result;
}

}  // namespace orvex
