// Round trip of the version command through the simulated reader, against a bare
// pseudo-terminal echo (the cost of the simulator itself) and against the wire time the
// paced reader must take (how close --wire-speed comes to a real line).
#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "sim/pty_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

const Bytes kVersionRequest = {0x02, 0x01, 0xF0, 0x00, 0xF1};
constexpr std::size_t kVersionAnswerLength = 9;

int openHost(const std::string &path, speed_t speed) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("open " + path);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

// One request out, `answer` bytes back; seconds taken.
double roundTrip(int fd, const Bytes &request, std::size_t answer) {
    auto t0 = SteadyClock::now();
    if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
        throw std::runtime_error("write");
    std::size_t got = 0;
    std::uint8_t buf[256];
    while (got < answer) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0) throw std::runtime_error("no answer");
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) throw std::runtime_error("read");
        got += static_cast<std::size_t>(n);
    }
    return std::chrono::duration<double>(SteadyClock::now() - t0).count();
}

// A pseudo-terminal whose far end answers every 5-byte request with 9 bytes at once.
void BM_BarePtyEcho(benchmark::State &state) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(master);
    ::unlockpt(master);
    int host = openHost(::ptsname(master), B115200);
    std::thread echo([master] {
        std::uint8_t buf[64];
        Bytes answer(kVersionAnswerLength, 0x31);
        std::size_t pending = 0;
        for (;;) {
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) return;
            for (pending += static_cast<std::size_t>(n); pending >= kVersionRequest.size();
                 pending -= kVersionRequest.size())
                if (::write(master, answer.data(), answer.size()) < 0) return;
        }
    });
    for (auto _ : state) roundTrip(host, kVersionRequest, kVersionAnswerLength);
    ::close(host);  // with the slave closed the echo thread reads EIO and ends
    echo.join();
    ::close(master);
}
BENCHMARK(BM_BarePtyEcho)->UseRealTime();

void BM_SimulatedReader(benchmark::State &state) {
    orvex::sim::Options options;
    options.baud = 115200;
    orvex::sim::PtyReader reader(options);
    int host = openHost(reader.slavePath(), B115200);
    for (auto _ : state) roundTrip(host, kVersionRequest, kVersionAnswerLength);
    ::close(host);
}
BENCHMARK(BM_SimulatedReader)->UseRealTime();

// Measured time over the wire time of request and answer (10 bits a byte at 8N1).
void BM_WireSpeed(benchmark::State &state) {
    int rate = static_cast<int>(state.range(0));
    orvex::sim::Options options;
    options.baud = rate;
    options.wireSpeed = true;
    orvex::sim::PtyReader reader(options);
    int host = openHost(reader.slavePath(), rate == 9600 ? B9600 : B115200);
    double wire = (kVersionRequest.size() + kVersionAnswerLength) * 10.0 / rate, total = 0;
    for (auto _ : state) total += roundTrip(host, kVersionRequest, kVersionAnswerLength);
    state.counters["wire_ratio"] = total / static_cast<double>(state.iterations()) / wire;
    ::close(host);
}
BENCHMARK(BM_WireSpeed)->Arg(9600)->Arg(115200)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
