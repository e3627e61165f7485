#include "sheets/function_test.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "base/capabilities.h"
#include "base/cp1252.h"
#include "orvex/orvex.h"
#include "params/reader_option_models.h"

namespace orvex::app {

namespace {

constexpr int kRawBufferSize = 1024;
constexpr unsigned char kRelayOn = 0x11, kRelayOff = 0x13, kBuzzer = 0x07;

}  // namespace

OutputRecorder::OutputRecorder(Clock nowMs) : now_(std::move(nowMs)), lastData_(now_()) {}

OutputRecorder::Clock OutputRecorder::steadyMilliseconds() {
    return [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
}

bool OutputRecorder::add(const unsigned char *data, int n) {
    const std::int64_t now = now_();
    if (n <= 0) return false;
    // A pause starts a new record; so does the first data of the session,
    // which would otherwise be shown under counter 0.
    if (now - lastData_ > RecordGapMs || counter_ == 0) startRecord();
    lastData_ = now;
    for (int i = 0; i < n; ++i) {
        const unsigned char byte = data[i];
        if (lineEnded_ || (afterCr_ && byte != '\n')) {
            if (afterCr_) finishRecord();
            startRecord();
        }
        unsettled_ = true;
        ascii_ += cp1252CharToUtf8(byte);
        ascii_ += "   ";
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", byte);
        hex_ += hex;
        afterCr_ = byte == '\r';
        if (byte == '\n') {
            finishRecord();
            lineEnded_ = true;
        }
    }
    return true;
}

void OutputRecorder::startRecord() {
    ascii_.clear();
    hex_.clear();
    ++counter_;
    lineEnded_ = afterCr_ = false;
}

void OutputRecorder::finishRecord() {
    // Only a printer of whole records takes these; the dialog shows the texts.
    finished_.push_back({counter_, ascii_, hex_});
    unsettled_ = false;
    afterCr_ = false;
}

std::vector<OutputRecord> OutputRecorder::takeFinishedRecords() { return std::exchange(finished_, {}); }

bool OutputRecorder::takeSettledRecord() {
    if (!unsettled_ || now_() - lastData_ <= RecordGapMs) return false;
    unsettled_ = false;
    return true;
}

void OutputRecorder::clear() {
    ascii_.clear();
    hex_.clear();
}

FunctionTest::FunctionTest(OutputRecorder::Clock nowMs) : recorder_(std::move(nowMs)) {}

FunctionTest::~FunctionTest() { close(); }

bool FunctionTest::start(ConnectContext &ctx) {
    int baud = 19200;
    {
        BusyScope busy(ctx.prompts);
        handle_ = connectReader(ctx, baud, flags_, true);
    }
    if (handle_ == 0) return false;

    unsigned char block[4] = {};
    if (Orvex_ReadParameterBlock(handle_, block, sizeof block) < 0) {
        close();
        return false;
    }
    const int powerOn = readPowerOnMode(handle_);
    if (Orvex_SetOutputMode(handle_, powerOn <= 0 ? 1 : (powerOn & 0x3)) != 0) {
        close();
        return false;
    }
    mode_ = block[0] & 0x0F;
    request_ = block[2] < 0x20 ? '?' : block[2];
    recorder_ = OutputRecorder(recorder_.clock());
    return true;
}

bool FunctionTest::pollOutput() {
    const bool changed = readOutput();
    recorder_.takeFinishedRecords();  // the window shows the texts only
    return changed;
}

bool FunctionTest::readOutput() {
    if (inPoll_ || handle_ == 0) return false;
    inPoll_ = true;
    unsigned char buffer[kRawBufferSize];
    const int n = Orvex_ReadRaw(handle_, buffer, kRawBufferSize);
    const bool changed = recorder_.add(buffer, n);
    inPoll_ = false;
    return changed;
}

void FunctionTest::sendRequest() {
    Orvex_WriteRaw(handle_, &request_, 1);
    recorder_.clear();
}

void FunctionTest::setRelay(bool on) {
    const unsigned char code = on ? kRelayOn : kRelayOff;
    Orvex_WriteRaw(handle_, &code, 1);
}

void FunctionTest::soundBuzzer() { Orvex_WriteRaw(handle_, &kBuzzer, 1); }

void FunctionTest::close() { closeReader(handle_); }

bool FunctionTest::relayShown() const { return hasCapability(flags_, CAP_SENSOR_OUTPUT); }

std::vector<OutputRecord> FunctionTest::pollSettledRecords() {
    std::vector<OutputRecord> settled;
    auto take = [&] {
        if (recorder_.takeSettledRecord())
            settled.push_back({recorder_.counter(), recorder_.ascii(), recorder_.hex()});
    };
    take();
    readOutput();
    for (OutputRecord &r : recorder_.takeFinishedRecords()) settled.push_back(std::move(r));
    take();
    return settled;
}

std::optional<OutputRecord> FunctionTest::takeUnsettledRecord() {
    if (!recorder_.hasUnreportedRecord()) return std::nullopt;
    recorder_.takeSettledRecord();
    return OutputRecord{recorder_.counter(), recorder_.ascii(), recorder_.hex()};
}

}  // namespace orvex::app
