// Caller buffers of the list functions: NUL-terminated entries and one more
// NUL. An entry goes in only when it, its NUL and the closing NUL fit.
#pragma once

#include <cstring>
#include <string>
#include <vector>

namespace orvex {

// Bytes used including the closing NUL (1 for an empty list); 0 when the
// buffer is missing or has no room at all.
inline int fillListBuffer(char *buffer, int size, const std::vector<std::string> &entries) {
    if (!buffer || size < 1) return 0;
    int used = 0;
    for (const auto &entry : entries) {
        const int need = static_cast<int>(entry.size()) + 1;
        if (used + need + 1 > size) continue;
        std::memcpy(buffer + used, entry.c_str(), static_cast<std::size_t>(need));
        used += need;
    }
    buffer[used] = '\0';
    return used + 1;
}

}  // namespace orvex
