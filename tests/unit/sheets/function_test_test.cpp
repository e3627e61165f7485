// Records of the function test, split by pauses in the reader's output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// A reader that sends without pauses: each line end closes a record, however
// the bytes are cut into polls, so records are neither merged nor split.
TEST(OutputRecorder, LineEndsCloseRecordsWithoutPauses) {
    struct Case {
        const char *name;
        std::vector<std::string_view> polls;  // 20 ms apart
        std::vector<std::string> finished;    // hex of the records a line end closed
        int counter;
        const char *currentHex;
    } cases[] = {
        {"CR LF in one poll", {"A\r\nB\r\n"}, {"41 0D 0A ", "42 0D 0A "}, 2, "42 0D 0A "},
        {"CR LF cut between polls", {"A\r", "\nB\r", "\n"}, {"41 0D 0A ", "42 0D 0A "}, 2, "42 0D 0A "},
        {"CR alone ends at the next byte", {"A\rB\r", "C"}, {"41 0D ", "42 0D "}, 3, "43 "},
        {"LF alone", {"A\nB\n"}, {"41 0A ", "42 0A "}, 2, "42 0A "},
        {"no line end: one record", {"AB", "CD"}, {}, 1, "41 42 43 44 "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock t;
        OutputRecorder r(t.clock());
        std::vector<std::string> finished;
        for (std::string_view poll : c.polls) {
            t.now += 20;
            add(r, poll);
            for (const OutputRecord &record : r.takeFinishedRecords()) finished.push_back(record.hex);
        }
        EXPECT_EQ(finished, c.finished);
        EXPECT_EQ(r.counter(), c.counter);
        EXPECT_EQ(r.hex(), c.currentHex);
        // A record a line end closed is not reported again when the line goes quiet.
        t.now += 100;
        EXPECT_EQ(r.takeSettledRecord(),
                  c.finished.empty() || std::string(c.currentHex) != c.finished.back());
    }
}
