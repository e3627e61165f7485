#include "update/http_fetch.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>

#include "update/update_url.h"

namespace orvex::update {

namespace {

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using Clock = std::chrono::steady_clock;

struct Transfer {
    const std::atomic<bool> *stop = nullptr;
    std::size_t limit = 0;
    std::size_t received = 0;
    bool tooLarge = false;
    bool writeFailed = false;
    std::function<bool(const char *, std::size_t)> sink;
    // The time limit: base, plus the announced (or received) size at
    // bytesPerSecond when that is not 0.
    Clock::time_point started;
    std::chrono::milliseconds base{0};
    std::size_t bytesPerSecond = 0;
    curl_off_t announced = 0;  // Content-Length, 0 while unknown
    bool tooSlow = false;

    std::chrono::milliseconds allowed() const {
        if (bytesPerSecond == 0) return base;
        const std::size_t size =
            std::max(received, static_cast<std::size_t>(std::max<curl_off_t>(announced, 0)));
        return base + std::chrono::milliseconds(size * 1000 / bytesPerSecond);
    }
};

size_t onData(char *data, size_t size, size_t count, void *user) {
    auto *t = static_cast<Transfer *>(user);
    const std::size_t n = size * count;
    if (t->received + n > t->limit) {
        t->tooLarge = true;
        return 0;  // ends the transfer with a write error
    }
    t->received += n;
    if (!t->sink(data, n)) {
        t->writeFailed = true;
        return 0;
    }
    return n;
}

// libcurl calls this at least once a second, also while no byte arrives.
int onProgress(void *user, curl_off_t announced, curl_off_t, curl_off_t, curl_off_t) {
    auto *t = static_cast<Transfer *>(user);
    if (t->stop && t->stop->load()) return 1;
    t->announced = announced;
    if (Clock::now() - t->started > t->allowed()) {
        t->tooSlow = true;
        return 1;
    }
    return 0;
}

FetchResult run(const std::string &url, const FetchOptions &options, Transfer &transfer) {
    FetchResult result;
    if (std::string refusal = fetchRefusal(url); !refusal.empty()) {
        result.error = refusal + ": " + url;
        return result;
    }
    if (const auto parts = splitUrl(url); parts && isReservedHost(parts->host)) {
        result.error = "Could not resolve host: " + parts->host;
        return result;
    }
    globalInit();
    CURL *curl = curl_easy_init();
    if (!curl) {
        result.error = "out of memory";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.stallSeconds);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(kChunkSize));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(transfer.limit));
    // Always the current file, never a cached copy.
    curl_slist *headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);

    transfer.base = options.totalTime;
    transfer.started = Clock::now();
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);

    if (rc == CURLE_OK) {
        // Only the file itself counts: no other 2xx, and redirects are not followed.
        result.outcome =
            result.httpStatus == 200 ? FetchResult::Outcome::Ok : FetchResult::Outcome::HttpError;
        if (result.outcome == FetchResult::Outcome::HttpError)
            result.error = "HTTP status " + std::to_string(result.httpStatus);
    } else if (transfer.tooSlow) {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(transfer.allowed()).count();
        result.error = "not complete within " + std::to_string(seconds) + " s";
    } else if (transfer.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        result.error = "larger than " + std::to_string(transfer.limit / 1024) + " KiB";
    } else if (transfer.writeFailed) {
        result.error = "cannot write the file";
    } else {
        result.error = errorText[0] ? errorText : curl_easy_strerror(rc);
    }
    return result;
}

}  // namespace

std::chrono::milliseconds totalTimeLimit() {
    const char *text = std::getenv("ORVEX_UPDATE_TIME_LIMIT_MS");
    if (!text || !*text) return kTotalTime;
    char *end = nullptr;
    const long long ms = std::strtoll(text, &end, 10);
    if (*end != '\0' || ms <= 0) return kTotalTime;
    return std::min(kTotalTime, std::chrono::milliseconds(ms));
}

FetchResult fetchText(const std::string &url, const FetchOptions &options, const std::atomic<bool> *stop,
                      std::size_t limit) {
    std::string body;
    Transfer transfer;
    transfer.stop = stop;
    transfer.limit = limit;
    transfer.sink = [&body](const char *data, std::size_t n) {
        body.append(data, n);
        return true;
    };
    FetchResult result = run(url, options, transfer);
    if (result.outcome == FetchResult::Outcome::Ok) result.body = std::move(body);
    return result;
}

FetchResult downloadFile(const std::string &url, const std::string &path, const FetchOptions &options,
                         const std::atomic<bool> *stop, std::size_t limit) {
    const std::string partial = path + ".part";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        FetchResult failed;
        failed.error = "cannot create " + partial;
        return failed;
    }
    Transfer transfer;
    transfer.stop = stop;
    transfer.limit = limit;
    transfer.bytesPerSecond = kInstallerBytesPerSecond;
    transfer.sink = [fd](const char *data, std::size_t n) {
        while (n > 0) {
            const ssize_t written = ::write(fd, data, n);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            data += written;
            n -= static_cast<std::size_t>(written);
        }
        return true;
    };
    FetchResult result = run(url, options, transfer);
    const bool closed = ::close(fd) == 0;
    if (result.outcome == FetchResult::Outcome::Ok && closed &&
        std::rename(partial.c_str(), path.c_str()) == 0)
        return result;
    std::remove(partial.c_str());
    if (result.outcome == FetchResult::Outcome::Ok) {
        result.outcome = FetchResult::Outcome::Failed;
        result.error = "cannot write " + path;
    } else if (result.outcome == FetchResult::Outcome::HttpError) {
        result.outcome = FetchResult::Outcome::Failed;  // an error page is no installer
    }
    return result;
}

}  // namespace orvex::update
