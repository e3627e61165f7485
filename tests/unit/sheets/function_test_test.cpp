// Records of the function test, split by pauses in the reader's output.
#include <gtest/gtest.h>

#include "sheets/function_test.h"

using namespace orvex::app;

namespace {

struct FakeClock {
    std::int64_t now = 1000;
    OutputRecorder::Clock clock() {
        return [this] { return now; };
    }
};

void add(OutputRecorder &r, std::string_view bytes) {
    r.add(reinterpret_cast<const unsigned char *>(bytes.data()), static_cast<int>(bytes.size()));
}

}  // namespace

TEST(OutputRecorder, OneBurstIsOneRecord) {
    FakeClock t;
    OutputRecorder r(t.clock());
    t.now += 500;
    add(r, "1234\r");
    EXPECT_EQ(r.ascii(), "1   2   3   4   \r   ");
    EXPECT_EQ(r.hex(), "31 32 33 34 0D ");
    EXPECT_EQ(r.counter(), 1);
}

TEST(OutputRecorder, PausesSplitRecords) {
    struct Case {
        std::int64_t gapMs;
        int records;
        const char *hex;
    } cases[] = {{50, 1, "31 32 "}, {70, 1, "31 32 "}, {71, 2, "32 "}, {100, 2, "32 "}};
    for (const auto &c : cases) {
        FakeClock t;
        OutputRecorder r(t.clock());
        t.now += 500;
        add(r, "1");
        t.now += c.gapMs;
        r.add(nullptr, 0);  // a poll without data changes nothing
        add(r, "2");
        EXPECT_EQ(r.counter(), c.records) << c.gapMs;
        EXPECT_EQ(r.hex(), c.hex) << c.gapMs;
    }
}

TEST(OutputRecorder, FirstDataRightAfterStartIsCounted) {
    FakeClock t;
    OutputRecorder r(t.clock());
    t.now += 10;
    add(r, "A");
    EXPECT_EQ(r.counter(), 1);
}

TEST(OutputRecorder, SettledRecordReportedOnce) {
    FakeClock t;
    OutputRecorder r(t.clock());
    t.now += 200;
    add(r, "\x80");
    EXPECT_EQ(r.ascii(), "\xE2\x82\xAC   ");  // Windows-1252 euro sign
    EXPECT_FALSE(r.takeSettledRecord());
    t.now += 70;
    EXPECT_FALSE(r.takeSettledRecord());
    t.now += 1;
    EXPECT_TRUE(r.takeSettledRecord());
    EXPECT_FALSE(r.takeSettledRecord());
    EXPECT_FALSE(r.hasUnreportedRecord());
}
