// Transfers of the update check over libcurl: a version file into memory and
// an installer into a file, each with a size cap, certificate verification
// on and a stop flag that ends a transfer at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace orvex::update {

inline constexpr std::size_t kVersionFileLimit = 64 * 1024;
inline constexpr std::size_t kInstallerLimit = std::size_t{512} * 1024 * 1024;
inline constexpr std::size_t kChunkSize = 64 * 1024;

struct FetchOptions {
    // A certificate bundle to trust instead of the system's (tests).
    std::string caFile;
    long connectTimeoutMs = 10000;
    // A transfer that moves no byte for this long is abandoned.
    long stallSeconds = 30;
};

struct FetchResult {
    enum class Outcome {
        Ok,         // body holds the whole file
        HttpError,  // the server answered, but not with the file
        Failed,     // no connection, refused address, cut off, too large
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
// complete). On any failure nothing is left at either name.
FetchResult downloadFile(const std::string &url, const std::string &path, const FetchOptions &options,
                         const std::atomic<bool> *stop = nullptr, std::size_t limit = kInstallerLimit);

}  // namespace orvex::update
