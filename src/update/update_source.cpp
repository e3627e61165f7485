#include "update/update_source.h"

#include <vector>

namespace orvex::update {

UpdateSource::UpdateSource(std::string url, FetchOptions options)
    : url_(std::move(url)), options_(std::move(options)) {
    fetcher_ = [this](const std::string &url, const std::atomic<bool> &stop) {
        return fetchText(url, options_, &stop);
    };
}

UpdateSource::UpdateSource(std::string url, Fetcher fetcher)
    : url_(std::move(url)), fetcher_(std::move(fetcher)) {}

UpdateSource::~UpdateSource() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

int UpdateSource::start(Listener listener) {
    std::unique_lock lock(mutex_);
    if (done_) {
        lock.unlock();
        if (listener) listener();
        return 0;
    }
    int id = 0;
    if (listener) {
        id = nextId_++;
        listeners_.emplace(id, std::move(listener));
    }
    if (!started_) {
        started_ = true;
        worker_ = std::thread(&UpdateSource::work, this);
    }
    return id;
}

void UpdateSource::removeListener(int id) {
    if (id == 0) return;
    std::scoped_lock lock(notifying_, mutex_);
    listeners_.erase(id);
}

bool UpdateSource::started() const {
    std::lock_guard lock(mutex_);
    return started_;
}

bool UpdateSource::done() const {
    std::lock_guard lock(mutex_);
    return done_;
}

std::optional<FetchResult> UpdateSource::result(std::chrono::milliseconds wait) const {
    std::unique_lock lock(mutex_);
    if (!started_) return std::nullopt;
    if (!doneChanged_.wait_for(lock, wait, [this] { return done_; })) return std::nullopt;
    return result_;
}

void UpdateSource::work() {
    FetchResult result = fetcher_(url_, stop_);
    std::lock_guard notifyLock(notifying_);
    std::map<int, Listener> listeners;
    {
        std::lock_guard lock(mutex_);
        result_ = std::move(result);
        done_ = true;
        listeners.swap(listeners_);
    }
    doneChanged_.notify_all();
    if (stop_) return;
    for (auto &[id, listener] : listeners) listener();
}

}  // namespace orvex::update
