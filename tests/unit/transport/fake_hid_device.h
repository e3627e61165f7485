// A simulated HID device of the ORVEX_HID_SIM_DIR contract, played by the
// test: NAME.ini plus a listening SOCK_SEQPACKET socket NAME.sock. A thread
// accepts one host at a time, records every output report and sends the
// reports the test's responder returns.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace orvex::test {

using Report = std::vector<std::uint8_t>;

class FakeHidDevice {
public:
    using Responder = std::function<std::vector<Report>(const Report &outputReport)>;

    FakeHidDevice(const std::filesystem::path &folder, const std::string &name, const std::string &iniText,
                  Responder responder = {})
        : responder_(std::move(responder)) {
        std::ofstream(folder / (name + ".ini")) << iniText;
        const std::string path = (folder / (name + ".sock")).string();
        listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        if (::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(listener_, 4) != 0)
            throw std::runtime_error("cannot listen on " + path);
        thread_ = std::thread([this] { run(); });
    }
    ~FakeHidDevice() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }

    std::vector<Report> received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    // Sends a report to the connected host now (device -> host, without report ID).
    void send(const Report &report) {
        std::lock_guard lock(mutex_);
        if (connection_ >= 0) ::send(connection_, report.data(), report.size(), MSG_NOSIGNAL);
    }
    // Unplug: closes the host's connection.
    void unplug() {
        std::lock_guard lock(mutex_);
        if (connection_ >= 0) ::close(connection_);
        connection_ = -1;
    }

private:
    void run() {
        while (!stop_) {
            int connection;
            {
                std::lock_guard lock(mutex_);
                connection = connection_;
            }
            pollfd p{connection >= 0 ? connection : listener_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            if (connection < 0) {
                const int accepted = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                std::lock_guard lock(mutex_);
                connection_ = accepted;
                continue;
            }
            Report report(256);
            const ssize_t n = ::recv(connection, report.data(), report.size(), 0);
            if (n <= 0) {
                unplug();
                continue;
            }
            report.resize(static_cast<std::size_t>(n));
            {
                std::lock_guard lock(mutex_);
                received_.push_back(report);
            }
            if (responder_)
                for (const Report &answer : responder_(report)) send(answer);
        }
        unplug();
    }

    Responder responder_;
    int listener_ = -1;
    int connection_ = -1;
    mutable std::mutex mutex_;
    std::vector<Report> received_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace orvex::test
