// What a reader does with each command: stores what is written, answers what is read.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/frame_codec.h"
#include "sim/reader_line.h"
#include "sim/reader_state.h"

namespace orvex::sim {

enum class Outcome {
    Ok,
    UnknownCommand,
    BadData,  // wrong length or value
};

struct CommandResult {
    Outcome outcome = Outcome::Ok;
    Bytes data;                           // answer data
    bool blockRead = false;               // answer is a configuration block (chained on request)
    std::optional<ReaderLine> lineAfter;  // the reader's new line, in effect after the answer
};

// Runs one request (host command code and data) against the state.
CommandResult execute(ReaderState &state, const Request &request);

// Variant 2 readers answer the plain version request with this marker when the full version
// is to be fetched with the data "FV".
inline const Bytes kVersionMarker = {0x04, 0x05, 0x31, 0x35};

// The version answer as this variant's reader sends it (data "FV" asks for the full text).
Bytes versionAnswer(const std::string &version, int variant, const Bytes &requestData);

// Output modes: 0 programming, 1 reading, 2 as the power-on mode says, 3 reading without
// output. The mode in effect after resolving 2.
int effectiveOutputMode(const ReaderState &state);
// Reading: raw bytes from the host are requests, relay and buzzer codes.
bool isReading(const ReaderState &state);
// Reading with output: the reader sends transponder data on its own.
bool isEmitting(const ReaderState &state);

}  // namespace orvex::sim
