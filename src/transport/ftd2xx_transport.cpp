#include "transport/ftd2xx_transport.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

namespace orvex {

using namespace ftd2xx;

namespace {

constexpr std::uint8_t kLatencyMs = 2;
constexpr Dword kWriteWaitMs = 1000;
constexpr std::size_t kReadChunk = 4096;
constexpr Dword kForever = std::numeric_limits<Dword>::max();

void applyLine(Dcb &dcb, const LineSettings &settings) {
    dcb.baudRate = static_cast<Dword>(settings.rate);
    dcb.byteSize = 8;
    dcb.parity = settings.parity == Parity::None  ? kNoParity
                 : settings.parity == Parity::Odd ? kOddParity
                                                  : kEvenParity;
    dcb.parityCheck = settings.parity != Parity::None;
    dcb.stopBits = settings.stopBits == StopBits::Two ? kTwoStopBits : kOneStopBit;
}

}  // namespace

std::unique_ptr<Ftd2xxTransport> Ftd2xxTransport::open(const std::string &serialNumber,
                                                       const LineSettings &settings, ByteSink &sink) {
    if (settings.rate <= 0 || serialNumber.empty()) return nullptr;
    auto library = std::make_unique<Ftd2xxLibrary>();
    const Handle handle = library->createFileBySerialNumber(serialNumber);
    if (handle == kInvalidHandle || !handle) return nullptr;
    std::unique_ptr<Ftd2xxTransport> t(new Ftd2xxTransport(std::move(library), handle, sink));
    t->configure(settings);
    t->thread_ = std::thread(&Ftd2xxTransport::run, t.get());
    return t;
}

Ftd2xxTransport::Ftd2xxTransport(std::unique_ptr<Ftd2xxLibrary> library, Handle handle, ByteSink &sink)
    : library_(std::move(library)), handle_(handle), sink_(sink) {}

Ftd2xxTransport::~Ftd2xxTransport() { close(); }

// As a serial port is set up: failures leave the device with what it
// accepted; a wrong line shows up as a reader that does not answer.
void Ftd2xxTransport::configure(const LineSettings &settings) {
    (void)library_->setLatencyTimer(handle_, kLatencyMs);
    // A read returns what is queued at once, or waits up to kReadWaitMs for
    // the first byte when nothing is.
    Timeouts timeouts{kForever, kForever, kReadWaitMs, 0, kWriteWaitMs};
    (void)library_->setCommTimeouts(handle_, timeouts);
    (void)library_->setCommMask(handle_, kEventRxChar | kEventCts);
    Dcb dcb{};
    dcb.length = sizeof dcb;
    (void)library_->getCommState(handle_, dcb);
    dcb.binary = 1;
    dcb.dsrSensitivity = 0;
    dcb.txContinueOnXoff = 1;
    dcb.abortOnError = 0;
    dcb.nullStrip = 0;
    dcb.outxCtsFlow = dcb.outxDsrFlow = dcb.outX = dcb.inX = 0;
    dcb.dtrControl = kDtrControlEnable;
    dcb.rtsControl = kRtsControlEnable;
    applyLine(dcb, settings);
    (void)library_->setCommState(handle_, dcb);
    (void)library_->purgeComm(handle_, kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear);
}

bool Ftd2xxTransport::setLine(const LineSettings &settings) {
    if (settings.rate <= 0) return false;
    std::lock_guard lock(lineMutex_);
    Dcb dcb{};
    dcb.length = sizeof dcb;
    if (!library_->getCommState(handle_, dcb)) return false;
    applyLine(dcb, settings);
    return library_->setCommState(handle_, dcb);
}

bool Ftd2xxTransport::send(const std::uint8_t *data, std::size_t length) {
    if (length > kTransmitCapacity || !alive_) return false;
    std::lock_guard lock(lineMutex_);
    Dword written = 0;
    if (!library_->writeFile(handle_, data, static_cast<Dword>(length), written)) return false;
    return written == length;
}

void Ftd2xxTransport::run() {
    std::vector<std::uint8_t> buffer(kReadChunk);
    while (!stopping_) {
        // Blocks up to kReadWaitMs for the first byte; the rest of a burst is
        // queued by then and read at once.
        Dword got = 0;
        const auto began = std::chrono::steady_clock::now();
        if (!library_->readFile(handle_, buffer.data(), 1, got)) break;
        if (got == 0) {
            // A library that returns at once without waiting would make this
            // loop spin: the thread then sleeps out the wait itself.
            std::this_thread::sleep_until(began + std::chrono::milliseconds(kReadWaitMs));
            continue;
        }
        Dword errors = 0;
        ComStat status{};
        if (library_->clearCommError(handle_, errors, status) && status.inQueue > 0) {
            Dword more = 0;
            const Dword want = std::min<Dword>(status.inQueue, static_cast<Dword>(buffer.size() - 1));
            if (library_->readFile(handle_, buffer.data() + 1, want, more)) got += more;
        }
        sink_.receiveBytes(buffer.data(), got);
    }
    if (!stopping_) {
        // The device went away (unplugged) or the library gave up on it.
        alive_ = false;
        sink_.linkLost();
    }
}

void Ftd2xxTransport::close() {
    std::call_once(closed_, [this] {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        (void)library_->closeHandle(handle_);
        alive_ = false;
    });
}

}  // namespace orvex
