#include "lan/lan_link.h"

#include "lan/tcp_socket_thread.h"

namespace orvex::lan {
namespace {

// A LAN reader's data link as a byte transport of the reader port.
class TcpTransport final : public Transport {
public:
    explicit TcpTransport(ByteSink &sink) { thread_.setReceiver(&sink); }
    ~TcpTransport() override { thread_.stop(); }

    bool start(const std::string &address) { return thread_.start(address); }

    TransportKind kind() const override { return TransportKind::Lan; }
    bool send(const std::uint8_t *data, std::size_t length) override { return thread_.send(data, length); }
    bool sendRequest(const std::uint8_t *data, std::size_t length,
                     std::chrono::steady_clock::time_point until) override {
        return thread_.sendRequest(data, length, until);
    }
    // The reader closing the link is not the end of the port: the next
    // request connects again.
    bool alive() const override { return thread_.running(); }
    void close() override { thread_.stop(); }

private:
    TcpSocketThread thread_;
};

}  // namespace

std::unique_ptr<Transport> openDataLink(const std::string &address, ByteSink &sink) {
    auto transport = std::make_unique<TcpTransport>(sink);
    if (!transport->start(address)) return nullptr;
    return transport;
}

}  // namespace orvex::lan
