// The TCP client of a LAN reader's data link: picks the host adapter towards
// the reader, connects from its address, sends whole frames and hands every
// received byte to the port's sink. A link the reader closed is connected
// again by the next send.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "lan/adapters.h"
#include "transport/transport.h"

namespace orvex::lan {

class TcpSocket {
public:
    explicit TcpSocket(AdapterSource &adapters = adapterSource()) : source_(adapters) {}
    ~TcpSocket() { close(); }
    TcpSocket(const TcpSocket &) = delete;
    TcpSocket &operator=(const TcpSocket &) = delete;

    // The adapter list; true when at least one adapter was found.
    bool loadAdapters();
    const std::vector<NetworkAdapter> &adapters() const { return adapters_; }
    bool firstAdapter();
    bool nextAdapter();
    // Sets the local address for a destination (IPv4 text); loads the list
    // first when it is empty.
    void chooseAdapterFor(const std::string &destination);
    const std::string &localAddress() const { return localAddress_; }

    // Resolves "[name]" texts, takes the port after the last "-" (10001
    // without one), binds to the chosen adapter and connects.
    bool connectTcp(const std::string &address);
    // Connected, or connected again to the last host. A link the reader has
    // closed counts as closed even before its end has been read, so nothing
    // is written into it.
    bool ensureConnected();
    // Every byte or false; a failed send closes the link.
    bool sendAll(const std::uint8_t *data, std::size_t length);
    // Reads what arrived (up to 513 bytes) into the receiver; the reader
    // closing the link or an error closes the socket.
    enum class Received { Nothing, Bytes, Closed };
    Received receiveReady();
    void close();

    void setReceiver(ByteSink *receiver) { receiver_ = receiver; }
    int fd() const { return fd_; }
    bool connected() const { return connected_; }
    const std::string &host() const { return host_; }
    int port() const { return port_; }

    // How long a connect may take before it counts as failed.
    static constexpr std::chrono::milliseconds kConnectTimeout{5000};

private:
    bool connectToHost();
    // True when the reader has closed its end or reset the link; what it sent
    // before that has gone to the receiver.
    bool peerClosed();

    AdapterSource &source_;
    std::vector<NetworkAdapter> adapters_;
    std::string localAddress_;
    std::string host_;
    int port_ = 10001;
    int fd_ = -1;
    bool connected_ = false;
    ByteSink *receiver_ = nullptr;
};

}  // namespace orvex::lan
