#include "params/key_table_transfer.h"

#include "orvex/orvex.h"
#include "params/reader_option_models.h"

namespace orvex::app {
namespace {

constexpr std::uint8_t kQueryKey = 0x11;
constexpr std::uint8_t kSetKey = 0x12;
constexpr int kQueryAnswerSize = 10;
constexpr int kCharCount = kLastKeyChar - kFirstKeyChar + 1;

std::optional<KeyTable> readTable(int port, KeyTableStep step, const KeyTableProgress &progress,
                                  KeyTableWriteStats &stats) {
    KeyTable table;
    bool answered = false;
    for (unsigned ch = kFirstKeyChar; ch <= kLastKeyChar; ++ch) {
        const std::uint8_t query[] = {kQueryKey, static_cast<std::uint8_t>(ch)};
        std::uint8_t answer[kQueryAnswerSize];
        for (int attempt = 0; attempt < kKeyTableAttempts; ++attempt) {
            ++stats.queries;
            const int n = Orvex_HidTransceive(port, query, sizeof query, answer, sizeof answer);
            if (n >= 4) {
                answered = true;
                applyKeyQueryAnswer(table, static_cast<std::uint8_t>(ch),
                                    {answer, static_cast<std::size_t>(n)});
                break;
            }
        }
        if (progress) progress(step, static_cast<int>(ch - kFirstKeyChar) + 1, kCharCount);
    }
    if (!answered) return std::nullopt;
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

    // The set commands, closed by the Escape key for ESC.
    const auto writes = keyTableWrites(*reader, table);
    const int total = static_cast<int>(writes.size());
    for (int i = 0; i < total; ++i) {
        if (!sendKey(port, writes[static_cast<std::size_t>(i)], s)) return false;
        if (progress) progress(KeyTableStep::Writing, i + 1, total);
    }
    s.changed = total - 1;
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
