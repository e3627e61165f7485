// The function test of readers with a character interface: opens its own
// link, puts the reader into its reading mode, and shows the raw output as
// records (a pause of more than 70 ms starts a new record; so does a line
// end, so a reader that sends without pauses still gives one record per
// line instead of one that grows for ever).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/connect.h"

namespace orvex::app {

// One finished record of the reader's output, as a printer shows it.
struct OutputRecord {
    int counter = 0;
    std::string ascii, hex;
};

// Turns raw reader output into the dialog's texts. The clock is injectable
// so that record splitting is tested without waiting.
class OutputRecorder {
public:
    using Clock = std::function<std::int64_t()>;  // milliseconds, monotonic

    explicit OutputRecorder(Clock nowMs = steadyMilliseconds());

    static Clock steadyMilliseconds();

    // Takes the bytes of one poll (n may be 0). Returns true when the texts
    // changed. More than RecordGapMs since the last data starts a new record;
    // a record also ends after LF, or after CR when the next byte is no LF.
    bool add(const unsigned char *data, int n);
    // The records a line end finished since the last call, in order.
    std::vector<OutputRecord> takeFinishedRecords();

    // True once when the current record has been quiet for more than
    // RecordGapMs (for printers that show whole records).
    bool takeSettledRecord();
    // Data arrived since the last settled record was taken.
    bool hasUnreportedRecord() const { return unsettled_; }

    void clear();  // "Sende" empties both texts

    const Clock &clock() const { return now_; }

    const std::string &ascii() const { return ascii_; }  // "%c   " per byte, UTF-8
    const std::string &hex() const { return hex_; }      // "%02X " per byte
    int counter() const { return counter_; }

    static constexpr std::int64_t RecordGapMs = 70;

private:
    void startRecord();
    void finishRecord();

    Clock now_;
    std::int64_t lastData_;
    std::string ascii_, hex_;
    int counter_ = 0;
    bool unsettled_ = false;
    bool lineEnded_ = false;  // the record ended with LF: the next byte starts one
    bool afterCr_ = false;    // the record ends with CR: LF would still belong to it
    std::vector<OutputRecord> finished_;
};

// The function test without its window.
class FunctionTest {
public:
    explicit FunctionTest(OutputRecorder::Clock nowMs = OutputRecorder::steadyMilliseconds());
    ~FunctionTest();  // closeReader
    FunctionTest(const FunctionTest &) = delete;
    FunctionTest &operator=(const FunctionTest &) = delete;

    // Connects (messages on), reads the parameter block and the power-on
    // mode and sets the output mode (1 for "Programmiermodus", else the
    // mode's low two bits). False (link closed) when any of it fails.
    bool start(ConnectContext &ctx);

    // Timer tick every PollIntervalMs: takes raw output. Returns true when the
    // texts changed. A tick arriving inside another is dropped.
    bool pollOutput();

    // Timer tick for printers that show whole records (orvexctl monitor):
    // takes raw output and returns the records that settled. A record that
    // settled while the caller was not scheduled comes out before the output
    // that starts the next record over it.
    std::vector<OutputRecord> pollSettledRecords();
    // The record still arriving, if any (when a run ends).
    std::optional<OutputRecord> takeUnsettledRecord();

    void sendRequest();      // "Sende": the request character; texts emptied
    void setRelay(bool on);  // 0x11 on, 0x13 off
    void soundBuzzer();      // 0x07
    void close();            // closeReader (output mode 2)

    int handle() const { return handle_; }
    CapabilityFlags flags() const { return flags_; }
    int mode() const { return mode_; }                      // parameter byte 0, low 4 bits
    unsigned char requestChar() const { return request_; }  // below 0x20 replaced by '?'
    bool relayShown() const;                                // CAP_SENSOR_OUTPUT
    OutputRecorder &recorder() { return recorder_; }

    static constexpr int PollIntervalMs = 50;

private:
    bool readOutput();

    int handle_ = 0;
    CapabilityFlags flags_ = 0;
    int mode_ = 0;
    unsigned char request_ = '?';
    bool inPoll_ = false;
    OutputRecorder recorder_;
};

}  // namespace orvex::app
