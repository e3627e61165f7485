// Reading and writing the key table of a simulated USB keyboard reader: the
// requests it takes, the read-back after a change, and a reader that goes
// away halfway.
#include <gtest/gtest.h>

#include "common/hid_sim_reader.h"
#include "orvex/orvex.h"
#include "params/key_table_transfer.h"
#include "sim/key_table.h"

namespace orvex::app {
namespace {

using test::OpenHid;

TEST(KeyTableTransfer, ReadsTheReadersLayout) {
    test::HidSimReader sim("us");
    OpenHid port;
    ASSERT_GT(port.handle, 0);
    int steps = 0;
    const auto table = readReaderKeyTable(port.handle, [&](KeyTableStep step, int done, int total) {
        EXPECT_EQ(step, KeyTableStep::Reading);
        EXPECT_EQ(total, 94);
        EXPECT_EQ(done, ++steps);
    });
    ASSERT_TRUE(table);
    EXPECT_EQ(steps, 94);
    // US: 2 and @ on one key, y on the key of usage 0x1C (scan code 0x15).
    EXPECT_EQ(table->keys[0x03], (KeyEntry{'2', '@', 0}));
    EXPECT_EQ(table->keys[0x15], (KeyEntry{'y', 'Y', 0}));
    // Backslash sits on usage 0x31, which has no key in the map: left out.
    EXPECT_EQ(keyCodeForChar(*table, '\\'), 0);
}

TEST(KeyTableTransfer, WritesOnlyTheDifferencesAndChecksThemBack) {
    test::HidSimReader sim("us");
    OpenHid port;
    ASSERT_GT(port.handle, 0);
    sim.reader().modifyState([](sim::ReaderState &s) { s.keyTable = sim::factoryKeyTable(); });
    const auto de = readReaderKeyTable(port.handle);
    sim.reader().modifyState([](sim::ReaderState &s) { s.keyTable = sim::usKeyTable(); });

    KeyTableWriteStats stats;
    ASSERT_TRUE(writeReaderKeyTable(port.handle, *de, {}, &stats));
    EXPECT_EQ(stats.keyWrites, stats.changed + 1);  // one each, then the Escape key
    EXPECT_GT(stats.changed, 20);
    EXPECT_EQ(stats.readBacks, 1);
    EXPECT_EQ(stats.queries, 2 * 94);
    const auto after = readReaderKeyTable(port.handle);
    ASSERT_TRUE(after);
    EXPECT_EQ(countLayoutDifferences(*after, *de), 0);

    // The same table again: the queries and the Escape key, nothing read back.
    KeyTableWriteStats again;
    ASSERT_TRUE(writeReaderKeyTable(port.handle, *de, {}, &again));
    EXPECT_EQ(again.keyWrites, 1);
    EXPECT_EQ(again.changed, 0);
    EXPECT_EQ(again.readBacks, 0);
}

TEST(KeyTableTransfer, ReaderGoneHalfwayFailsWithoutHanging) {
    test::HidSimReader sim("us");
    OpenHid port;
    ASSERT_GT(port.handle, 0);
    sim.reader().modifyState([](sim::ReaderState &s) { s.keyTable = sim::factoryKeyTable(); });
    const auto de = readReaderKeyTable(port.handle);
    ASSERT_TRUE(de);
    sim.reader().modifyState([](sim::ReaderState &s) { s.keyTable = sim::usKeyTable(); });

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(writeReaderKeyTable(port.handle, *de, [&](KeyTableStep step, int done, int) {
        if (step == KeyTableStep::Writing && done == 5) sim.unplug();
    }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(readReaderKeyTable(port.handle));  // nothing answers: no table
}

}  // namespace
}  // namespace orvex::app
