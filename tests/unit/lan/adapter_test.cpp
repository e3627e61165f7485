// Which host adapter a LAN connection leaves from, with a described host.
#include <gtest/gtest.h>

#include "lan/tcp_socket.h"

namespace orvex::lan {
namespace {

class FakeHost : public AdapterSource {
public:
    std::vector<NetworkAdapter> list;
    std::optional<int> best;
    std::vector<NetworkAdapter> adapters() override { return list; }
    std::optional<int> bestInterfaceIndex(const Ipv4 &) override { return best; }
};

TEST(LanAdapters, ChoosesTheBestInterfaceOnTheReadersNetwork) {
    FakeHost host;
    host.list = {{"10.0.0.5", "255.0.0.0", 2}, {"192.168.1.5", "255.255.255.0", 3}};
    struct Case {
        std::optional<int> best;
        const char *reader;
        const char *chosen;
    } cases[] = {
        {3, "192.168.1.20", "192.168.1.5"},
        {2, "10.1.2.3", "10.0.0.5"},
        {3, "172.16.0.1", "10.0.0.5"},  // best interface, but not the reader's network: the first
        {std::nullopt, "192.168.1.20", "10.0.0.5"},  // no route known: the first
    };
    for (const Case &c : cases) {
        host.best = c.best;
        TcpSocket socket(host);
        socket.chooseAdapterFor(c.reader);
        EXPECT_EQ(socket.localAddress(), c.chosen) << c.reader;
    }
}

TEST(LanAdapters, SecondAddressOfOneInterface) {
    FakeHost host;
    host.list = {{"10.0.0.5", "255.0.0.0", 2}, {"192.168.7.5", "255.255.255.0", 2}};
    host.best = 2;
    TcpSocket socket(host);
    socket.chooseAdapterFor("192.168.7.9");
    EXPECT_EQ(socket.localAddress(), "192.168.7.5");
}

TEST(LanAdapters, FirstAndNextWalkTheList) {
    FakeHost host;
    host.list = {{"10.0.0.5", "255.0.0.0", 2}, {"192.168.1.5", "255.255.255.0", 3}};
    TcpSocket socket(host);
    EXPECT_FALSE(socket.firstAdapter());  // not loaded yet
    ASSERT_TRUE(socket.loadAdapters());
    EXPECT_TRUE(socket.nextAdapter());  // empty local address: the first
    EXPECT_EQ(socket.localAddress(), "10.0.0.5");
    EXPECT_TRUE(socket.nextAdapter());
    EXPECT_EQ(socket.localAddress(), "192.168.1.5");
    EXPECT_FALSE(socket.nextAdapter());  // the last one
}

TEST(LanAdapters, SystemListHasNoLoopbackAndNoZeroAddress) {
    // Reads the interface table only; nothing is sent.
    for (const NetworkAdapter &adapter : systemAdapters().adapters()) {
        EXPECT_NE(adapter.address, "0.0.0.0");
        EXPECT_NE(adapter.address.rfind("127.", 0), 0u) << adapter.address;
        EXPECT_GT(adapter.index, 0);
    }
}

}  // namespace
}  // namespace orvex::lan
