// FTDI-based readers, known by their USB serial number, through one of two
// back ends:
// - the kernel's ftdi_sio driver (the default): each reader is a tty whose
//   USB interface runs ftdi_sio; opening one opens that tty, with the chip's
//   latency timer at 2 ms where sysfs lets us set it;
// - FTDI's D2XX library, when it is installed: loading it normally unbinds
//   ftdi_sio from the device, so a reader with no tty is reached through it.
// The listing asks both and names each serial number once, leaving out
// readers that some program holds open; the open takes the
// tty when there is one, so an installed library changes nothing for readers
// the kernel serves.
#include "transport/ftdi_transport.h"

#include <libudev.h>

#include <algorithm>
#include <optional>

#include "transport/ftd2xx_library.h"
#include "transport/ftd2xx_transport.h"
#include "transport/open_devices.h"
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
class FtdiTtyTransport final : public Transport {
public:
    explicit FtdiTtyTransport(std::unique_ptr<TtyTransport> tty) : tty_(std::move(tty)) {}
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
    auto add = [&serials](const std::string &serial) {
        if (std::find(serials.begin(), serials.end(), serial) == serials.end()) serials.push_back(serial);
    };
    // A tty some program holds open (this one included) is taken. The look
    // through /proc is made only when there is a tty to ask about.
    const std::vector<UsbSerialTty> ttys = ftdiTtys();
    if (!ttys.empty()) {
        const OpenDevices inUse = OpenDevices::scan();
        for (const UsbSerialTty &tty : ttys)
            if (!inUse.holds(tty.node)) add(tty.serial);
    }
    // One load attempt per listing; the reference goes with it.
    Ftd2xxLibrary library;
    for (const std::string &serial : listD2xxDevices(library)) add(serial);
    return serials;
}

std::unique_ptr<Transport> openFtdiTransport(const std::string &serialNumber, const LineSettings &settings,
                                             ByteSink &sink) {
    for (const UsbSerialTty &tty : ftdiTtys()) {
        if (tty.serial != serialNumber) continue;
        shortenLatency(tty.portSyspath);
        auto opened = TtyTransport::open(tty.node, settings, sink);
        if (!opened) return nullptr;
        return std::make_unique<FtdiTtyTransport>(std::move(opened));
    }
    return Ftd2xxTransport::open(serialNumber, settings, sink);
}

}  // namespace orvex
