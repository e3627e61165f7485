// One version file fetched once per run by a worker thread of its own.
// Results reach other threads only through listeners (which a window turns
// into queued calls) and through result(), which waits a bounded time.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "update/http_fetch.h"

namespace orvex::update {

class UpdateSource {
public:
    using Listener = std::function<void()>;
    using Fetcher = std::function<FetchResult(const std::string &url, const std::atomic<bool> &stop)>;

    UpdateSource(std::string url, FetchOptions options);
    // For tests: fetcher replaces the HTTP transfer.
    UpdateSource(std::string url, Fetcher fetcher);
    // Stops a running transfer and waits for the worker.
    ~UpdateSource();
    UpdateSource(const UpdateSource &) = delete;
    UpdateSource &operator=(const UpdateSource &) = delete;

    // Starts the worker unless one exists. listener (optional) is called once
    // when the fetch has ended: from the worker, or at once from this call
    // when it already has. Returns an id for removeListener (0 when the
    // listener was called at once or none was given).
    int start(Listener listener = {});
    // After this returns the listener is never called.
    void removeListener(int id);

    bool started() const;
    bool done() const;
    // The fetch's result once it has ended; nullopt when it has not ended
    // within wait (or was never started).
    std::optional<FetchResult> result(std::chrono::milliseconds wait) const;

    const std::string &url() const { return url_; }
    const FetchOptions &options() const { return options_; }

private:
    void work();

    const std::string url_;
    const FetchOptions options_;
    Fetcher fetcher_;

    mutable std::mutex mutex_;
    mutable std::condition_variable doneChanged_;
    bool started_ = false;
    bool done_ = false;
    FetchResult result_;
    std::map<int, Listener> listeners_;
    int nextId_ = 1;
    // Held while listeners run, so removeListener waits for a running one.
    std::mutex notifying_;

    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace orvex::update
