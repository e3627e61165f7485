// Helpers shared by the files that implement the C API.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "link/commands.h"
#include "link/port_registry.h"
#include "orvex/orvex.h"

namespace orvex::api {

inline std::shared_ptr<Port> portOf(int handle) { return SdkApp::instance().find(handle); }

inline std::span<const std::uint8_t> bytes(const unsigned char *data, int length) {
    if (!data || length <= 0) return {};
    return {data, static_cast<std::size_t>(length)};
}

// Length result: the answer's size, or ORVEX_FAILED with last error
// ORVEX_ERR_BUFFER_TOO_SMALL when it does not fit into the caller's buffer.
inline int copyAnswer(Port &port, const std::vector<std::uint8_t> &answer, void *buffer, int size) {
    if (answer.size() > static_cast<std::size_t>(size < 0 ? 0 : size) || (!buffer && !answer.empty())) {
        port.setLastError(ORVEX_ERR_BUFFER_TOO_SMALL);
        return ORVEX_FAILED;
    }
    if (!answer.empty()) std::memcpy(buffer, answer.data(), answer.size());
    return static_cast<int>(answer.size());
}

inline int status(bool ok) { return ok ? ORVEX_OK : ORVEX_FAILED; }

}  // namespace orvex::api
