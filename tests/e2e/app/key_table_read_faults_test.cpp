// A key-table read is the reader's whole table or a failure: a reader that
// goes away halfway, or answers so late that an answer meets the query for
// the next character, must never give a table that is taken for the reader's.
#include <gtest/gtest.h>

#include "common/hid_sim_reader.h"
#include "orvex/orvex.h"
#include "params/key_table_transfer.h"
#include "sim/key_table.h"

namespace orvex::app {
namespace {

using test::OpenHid;

// The US table as a fault-free read gives it.
KeyTable usTable() {
    test::HidSimReader sim("us");
    OpenHid port;
    return readReaderKeyTable(port.handle).value_or(KeyTable{});
}

sim::hid::HidOptions us() {
    sim::hid::HidOptions o;
    o.layout = "us";
    return o;
}

TEST(KeyTableReadFaults, WholeTableOrNone) {
    const KeyTable truth = usTable();
    ASSERT_NE(truth, KeyTable{});
    struct Case {
        const char *what;
        int delayMs, delayAt, unplugAfter;
        bool complete;
    };
    const Case cases[] = {
        // One answer 150 ms late: the query is asked again and the answer of
        // the first ask is taken for its own character only.
        {"one late answer", 150, 40, 0, true},
        // Every answer 150 ms late: each one meets a later query; none is taken
        // for it, and the retries run out.
        {"every answer late", 150, 0, 0, false},
        {"unplugged after 25 queries", 0, 0, 25, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::hid::HidOptions o = us();
        o.keyAnswerDelayMs = c.delayMs;
        o.keyAnswerDelayAt = c.delayAt;
        o.unplugAfterKeyCommands = c.unplugAfter;
        test::HidSimReader sim(o);
        OpenHid port;
        ASSERT_GT(port.handle, 0);
        const std::optional<KeyTable> table = readReaderKeyTable(port.handle);
        if (c.complete) {
            ASSERT_TRUE(table);
            EXPECT_EQ(countLayoutDifferences(*table, truth), 0);
        } else {
            EXPECT_FALSE(table) << countLayoutDifferences(table.value_or(KeyTable{}), truth)
                                << " differences";
        }
    }
}

}  // namespace
}  // namespace orvex::app
