// Transfers of the update check over libcurl: a version file into memory and
// an installer into a file, each with a size cap, certificate verification
// on and a stop flag that ends a transfer at once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

namespace orvex::update {

inline constexpr std::size_t kVersionFileLimit = 64 * 1024;
inline constexpr std::size_t kInstallerLimit = std::size_t{512} * 1024 * 1024;
inline constexpr std::size_t kChunkSize = 64 * 1024;
// A file gets kTotalTime plus its size at this rate; a server that trickles
// bytes keeps nothing waiting for longer.
inline constexpr std::chrono::milliseconds kTotalTime{30000};
inline constexpr std::size_t kInstallerBytesPerSecond = 50 * 1024;

// kTotalTime, or less when $ORVEX_UPDATE_TIME_LIMIT_MS asks for less (tests
// shorten it; nothing can lengthen it).
std::chrono::milliseconds totalTimeLimit();

struct FetchOptions {
    // A certificate bundle to trust instead of the system's (tests).
    std::string caFile;
    long connectTimeoutMs = 10000;
    // A transfer that moves no byte for this long is abandoned.
    long stallSeconds = 30;
    // The whole transfer of a version file or signature; an installer gets
    // this plus its size at kInstallerBytesPerSecond.
    std::chrono::milliseconds totalTime = totalTimeLimit();
};

struct FetchResult {
    enum class Outcome {
        Ok,         // status 200, body holds the whole file
        HttpError,  // the server answered, but not with the file (another status, a redirect)
        Failed,     // no connection, refused address, cut off, too large, too slow
    };
    Outcome outcome = Outcome::Failed;
    long httpStatus = 0;
    std::string body;
    std::string error;

    // The server was reached (the file may still be missing).
    bool reached() const { return outcome != Outcome::Failed; }
};

// Fetches a version file. A partial body is never returned.
FetchResult fetchText(const std::string &url, const FetchOptions &options,
                      const std::atomic<bool> *stop = nullptr, std::size_t limit = kVersionFileLimit);

// Downloads url into path (written through "<path>.part", renamed when
// complete), with the time an installer of its size gets. On any failure
// nothing is left at either name.
FetchResult downloadFile(const std::string &url, const std::string &path, const FetchOptions &options,
                         const std::atomic<bool> *stop = nullptr, std::size_t limit = kInstallerLimit);

}  // namespace orvex::update
