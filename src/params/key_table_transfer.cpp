#include "params/key_table_transfer.h"

#include "orvex/orvex.h"
#include "params/reader_option_models.h"

namespace orvex::app {
namespace {

constexpr std::uint8_t kQueryKey = 0x11;
constexpr std::uint8_t kSetKey = 0x12;
constexpr int kQueryAnswerSize = 10;
constexpr int kCharCount = kLastKeyChar - kFirstKeyChar + 1;

// Asks for the key of ch until an answer for ch comes (byte 1 echoes the
// character): a late answer to an earlier query is not taken for it.
bool queryKey(int port, std::uint8_t ch, KeyTable &table, KeyTableWriteStats &stats) {
    const std::uint8_t query[] = {kQueryKey, ch};
    std::uint8_t answer[kQueryAnswerSize];
    for (int attempt = 0; attempt < kKeyTableAttempts; ++attempt) {
        ++stats.queries;
        const int n = Orvex_HidTransceive(port, query, sizeof query, answer, sizeof answer);
        if (n >= 4 && answer[1] == ch) {
            applyKeyQueryAnswer(table, ch, {answer, static_cast<std::size_t>(n)});
            return true;
        }
    }
    return false;
}

// A table with a character left out would be taken for the reader's table
// (saved, compared, restored from a backup): one missing answer fails it.
std::optional<KeyTable> readTable(int port, KeyTableStep step, const KeyTableProgress &progress,
                                  KeyTableWriteStats &stats) {
    KeyTable table;
    for (unsigned ch = kFirstKeyChar; ch <= kLastKeyChar; ++ch) {
        if (!queryKey(port, static_cast<std::uint8_t>(ch), table, stats)) return std::nullopt;
        if (progress) progress(step, static_cast<int>(ch - kFirstKeyChar) + 1, kCharCount);
    }
    return table;
}

bool sendKey(int port, const std::array<std::uint8_t, 3> &data, KeyTableWriteStats &stats) {
    const std::uint8_t request[] = {kSetKey, data[0], data[1], data[2]};
    for (int attempt = 0; attempt < kKeyTableAttempts; ++attempt) {
        ++stats.keyWrites;
        if (Orvex_HidWrite(port, request, sizeof request) == ORVEX_OK) return true;
    }
    return false;
}

}  // namespace

std::optional<KeyTable> readReaderKeyTable(int port, const KeyTableProgress &progress,
                                           KeyTableWriteStats *stats) {
    KeyTableWriteStats local;
    return readTable(port, KeyTableStep::Reading, progress, stats ? *stats : local);
}

bool writeReaderKeyTable(int port, const KeyTable &table, const KeyTableProgress &progress,
                         KeyTableWriteStats *stats) {
    KeyTableWriteStats local;
    KeyTableWriteStats &s = stats ? *stats : local;
    const std::optional<KeyTable> reader = readTable(port, KeyTableStep::Reading, progress, s);
    if (!reader) return false;
    return writeKeyTableChanges(port, *reader, table, progress, &s);
}

bool writeKeyTableChanges(int port, const KeyTable &reader, const KeyTable &table,
                          const KeyTableProgress &progress, KeyTableWriteStats *stats) {
    KeyTableWriteStats local;
    KeyTableWriteStats &s = stats ? *stats : local;
    // The set commands, closed by the Escape key for ESC; each key the reader
    // took counts, so a failure halfway still tells what changed.
    const auto writes = keyTableWrites(reader, table);
    const int total = static_cast<int>(writes.size());
    for (int i = 0; i < total; ++i) {
        if (!sendKey(port, writes[static_cast<std::size_t>(i)], s)) return false;
        if (i + 1 < total) ++s.changed;
        if (progress) progress(KeyTableStep::Writing, i + 1, total);
    }
    if (s.changed == 0) return true;

    // The reader stores the table and answers again only when done.
    for (int poll = 0; poll < kPowerOnPolls; ++poll) {
        ++s.powerOnPolls;
        if (readPowerOnMode(port) >= 0) break;
    }
    for (int attempt = 0; attempt < kKeyTableAttempts; ++attempt) {
        ++s.readBacks;
        const std::optional<KeyTable> back = readTable(port, KeyTableStep::Verifying, progress, s);
        if (back && countLayoutDifferences(*back, table) == 0) return true;
    }
    return false;
}

}  // namespace orvex::app
