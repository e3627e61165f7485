// FTDI-based readers through the kernel's ftdi_sio driver: each reader is a
// tty whose USB interface runs ftdi_sio, known by its USB serial number.
// Opening one opens that tty (with the chip's latency timer at 2 ms where
// sysfs lets us set it) and reports the port as an FTDI port.
#include "transport/ftdi_transport.h"

#include <libudev.h>

#include <algorithm>
#include <optional>

#include "transport/tty_transport.h"
#include "transport/udev_ptr.h"
#include "transport/usb_serial_ttys.h"

namespace orvex {
namespace {

constexpr const char *kFtdiDriver = "ftdi_sio";
constexpr const char *kLatencyMs = "2";

std::vector<UsbSerialTty> ftdiTtys() { return usbSerialTtys(kFtdiDriver); }

// Answers arrive in 2 ms instead of the chip's default 16.
void shortenLatency(const std::string &portSyspath) {
    if (portSyspath.empty()) return;
    UdevPtr<udev> context(udev_new());
    UdevPtr<udev_device> port(udev_device_new_from_syspath(context.get(), portSyspath.c_str()));
    if (port) udev_device_set_sysattr_value(port.get(), "latency_timer", const_cast<char *>(kLatencyMs));
}

// The tty, reporting itself as an FTDI port.
class FtdiTransport final : public Transport {
public:
    explicit FtdiTransport(std::unique_ptr<TtyTransport> tty) : tty_(std::move(tty)) {}
    TransportKind kind() const override { return TransportKind::Ftdi; }
    bool send(const std::uint8_t *data, std::size_t length) override { return tty_->send(data, length); }
    void poll(std::size_t maxBytes) override { tty_->poll(maxBytes); }
    int pollIntervalMs() const override { return tty_->pollIntervalMs(); }
    bool beginDirectRead() override { return tty_->beginDirectRead(); }
    void readDirect(std::chrono::steady_clock::time_point until) override { tty_->readDirect(until); }
    void endDirectRead() override { tty_->endDirectRead(); }
    bool alive() const override { return tty_->alive(); }
    bool setLine(const LineSettings &settings) override { return tty_->setLine(settings); }
    void close() override { tty_->close(); }

private:
    std::unique_ptr<TtyTransport> tty_;
};

}  // namespace

std::vector<std::string> listFtdiReaders() {
    std::vector<std::string> serials;
    for (const UsbSerialTty &tty : ftdiTtys())
        if (std::find(serials.begin(), serials.end(), tty.serial) == serials.end())
            serials.push_back(tty.serial);
    return serials;
}

std::unique_ptr<Transport> openFtdiTransport(const std::string &serialNumber, const LineSettings &settings,
                                             ByteSink &sink) {
    for (const UsbSerialTty &tty : ftdiTtys()) {
        if (tty.serial != serialNumber) continue;
        shortenLatency(tty.portSyspath);
        auto opened = TtyTransport::open(tty.node, settings, sink);
        if (!opened) return nullptr;
        return std::make_unique<FtdiTransport>(std::move(opened));
    }
    return nullptr;
}

}  // namespace orvex
