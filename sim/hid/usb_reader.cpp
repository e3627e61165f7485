#include "sim/hid/usb_reader.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

#include "sim/key_table.h"

namespace orvex::sim::hid {

UsbReader::UsbReader(Options reader, HidOptions hid,
                     std::function<void(UsbMode, const std::string &)> appeared)
    : reader_(std::move(reader)), hid_(std::move(hid)), appeared_(std::move(appeared)) {
    core_ = std::make_unique<ReaderCore>(reader_);
    core_->modifyState([&](ReaderState &s) {
        s.usbMode = static_cast<int>(UsbMode::Hid);
        if (hid_.layout == "us" && s.keyTable == factoryKeyTable()) s.keyTable = usKeyTable();
    });
    hidReader_ = std::make_unique<HidReader>(*core_, hid_, [this] { restarted(); });
    if (appeared_) appeared_(UsbMode::Hid, hidReader_->socketPath());
    thread_ = std::thread([this] { run(); });
}

UsbReader::~UsbReader() { stop(); }

void UsbReader::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    std::unique_ptr<HidReader> hidReader;
    std::unique_ptr<PtyReader> ptyReader;
    {
        std::lock_guard lock(mutex_);
        hidReader.swap(hidReader_);
        ptyReader.swap(ptyReader_);
    }
}

void UsbReader::restarted() {
    {
        std::lock_guard lock(mutex_);
        restartPending_ = true;
    }
    changed_.notify_all();
}

UsbMode UsbReader::mode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

std::string UsbReader::path() const {
    std::lock_guard lock(mutex_);
    if (hidReader_) return hidReader_->socketPath();
    return ptyReader_ ? ptyReader_->slavePath() : std::string();
}

bool UsbReader::waitForMode(UsbMode mode, std::chrono::milliseconds patience) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, patience, [&] {
        return mode_ == mode && (mode == UsbMode::Hid ? hidReader_ != nullptr : ptyReader_ != nullptr);
    });
}

ReaderState UsbReader::state() const {
    std::lock_guard lock(mutex_);
    if (core_) return core_->state();
    return ptyReader_ ? ptyReader_->state() : switchingState_;
}

void UsbReader::modifyState(const std::function<void(ReaderState &)> &change) {
    std::lock_guard lock(mutex_);
    if (core_) core_->modifyState(change);
    if (ptyReader_) ptyReader_->modifyState(change);
}

void UsbReader::run() {
    for (;;) {
        ReaderState state;
        std::unique_ptr<HidReader> oldHid;
        std::unique_ptr<ReaderCore> oldCore;
        std::unique_ptr<PtyReader> oldPty;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return restartPending_ || stopping_; });
            if (stopping_) return;
            restartPending_ = false;
            state = core_ ? core_->state() : ptyReader_->state();
            if (state.usbMode == static_cast<int>(mode_) ||
                (state.usbMode != static_cast<int>(UsbMode::Hid) &&
                 state.usbMode != static_cast<int>(UsbMode::VirtualCom)))
                continue;
            // The front end goes away outside the lock: its thread may be
            // about to report another restart.
            switchingState_ = state;
            oldHid.swap(hidReader_);
            oldCore.swap(core_);
            oldPty.swap(ptyReader_);
        }
        oldHid.reset();
        oldCore.reset();
        oldPty.reset();

        // Re-enumerated in the other mode, with the same state.
        const auto mode = static_cast<UsbMode>(state.usbMode);
        std::string path;
        {
            std::lock_guard lock(mutex_);
            if (mode == UsbMode::VirtualCom) {
                ptyReader_ = std::make_unique<PtyReader>(reader_, [this] { restarted(); });
                ptyReader_->setState(state);
                path = ptyReader_->slavePath();
            } else {
                core_ = std::make_unique<ReaderCore>(reader_);
                core_->setState(state);
                hidReader_ = std::make_unique<HidReader>(*core_, hid_, [this] { restarted(); });
                path = hidReader_->socketPath();
            }
            mode_ = mode;
        }
        changed_.notify_all();
        if (appeared_) appeared_(mode, path);
    }
}

int runUsbReader(const Options &reader, const HidOptions &hid) {
    // Block the stop signals before any thread starts, so only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    try {
        UsbReader usbReader(reader, hid, [](UsbMode, const std::string &path) {
            std::printf("%s\n", path.c_str());
            std::fflush(stdout);
        });
        int signal = 0;
        sigwait(&stopSignals, &signal);
        usbReader.stop();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "orvex-readersim: %s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace orvex::sim::hid
