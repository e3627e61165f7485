#include "link/trace.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "transport/diagnostics.h"

namespace orvex {

namespace {

constexpr int kTracePort = 1030;
constexpr std::size_t kTraceBuffer = 512;

std::atomic<bool> echo{false};

// Created on first use; -1 when no socket could be made (traces are dropped).
int traceSocket() {
    static const int fd = [] {
        int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (s < 0) return -1;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kTracePort);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(s, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
            ::close(s);
            return -1;
        }
        return s;
    }();
    return fd;
}

}  // namespace

void trace(const char *format, ...) {
    char text[kTraceBuffer];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) return;
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(n), sizeof text - 1);
    if (int s = traceSocket(); s >= 0) (void)send(s, text, length, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (echo.load(std::memory_order_relaxed)) {
        static std::mutex stderrMutex;
        std::lock_guard lock(stderrMutex);
        std::fwrite(text, 1, length, stderr);
    }
}

void setTraceEcho(bool on) { echo = on; }

void routeTransportDiagnostics() {
    setDiagnosticSink([](const char *text) { trace("%s\n", text); });
}

}  // namespace orvex
