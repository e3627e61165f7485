// Moving the key table between the program and a reader in USB keyboard
// mode over its HID channel: one query (0x11) per character, one set command
// (0x12) per character whose key differs, then, when anything changed, a
// wait for the reader to come back and a read-back until the tables agree.
#pragma once

#include <functional>
#include <optional>

#include "params/key_table.h"

namespace orvex::app {

enum class KeyTableStep { Reading, Writing, Verifying };

// Called after each character of a step: (step, done, total).
using KeyTableProgress = std::function<void(KeyTableStep step, int done, int total)>;

// What a write sent, for the progress line and the benchmark.
struct KeyTableWriteStats {
    int queries = 0;       // 0x11 requests, attempts included
    int keyWrites = 0;     // 0x12 requests, attempts included
    int changed = 0;       // characters whose key the reader took, also before a failure
    int readBacks = 0;     // tables read back after writing
    int powerOnPolls = 0;  // power-on mode requests while waiting for the reader
};

inline constexpr int kKeyTableAttempts = 5;
inline constexpr int kPowerOnPolls = 102;  // the first one and up to 101 more

// The reader's table, complete or not at all: nullopt when a character gets
// no answer for that character in five attempts (the reader went away, or
// answers too late to be told from an earlier query's).
std::optional<KeyTable> readReaderKeyTable(int port, const KeyTableProgress &progress = {},
                                           KeyTableWriteStats *stats = nullptr);

// Makes the reader type what `table` holds. False when a set command fails
// five times, the reader's table cannot be read, or it still differs after
// five read-backs.
bool writeReaderKeyTable(int port, const KeyTable &table, const KeyTableProgress &progress = {},
                         KeyTableWriteStats *stats = nullptr);

// The same when the reader's table was just read (`reader`): the set
// commands, the wait and the read-back.
bool writeKeyTableChanges(int port, const KeyTable &reader, const KeyTable &table,
                          const KeyTableProgress &progress = {}, KeyTableWriteStats *stats = nullptr);

}  // namespace orvex::app
