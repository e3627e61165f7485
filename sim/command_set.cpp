#include "sim/command_set.h"

#include <algorithm>
#include <functional>
#include <string>

namespace orvex::sim {
namespace {

using Handler = std::function<CommandResult(ReaderState &, const Request &)>;

CommandResult ok(Bytes data = {}) { return {Outcome::Ok, std::move(data), false, std::nullopt}; }
CommandResult badData() { return {Outcome::BadData, {}, false, std::nullopt}; }

// Block writes accept up to `limit` bytes (the host's own limits).
Handler writeBlock(Bytes ReaderState::*member, std::size_t limit) {
    return [=](ReaderState &s, const Request &r) {
        if (r.data.empty() || r.data.size() > limit) return badData();
        s.*member = r.data;
        return ok();
    };
}

Handler readBlock(Bytes ReaderState::*member) {
    return [=](ReaderState &s, const Request &r) {
        if (!r.data.empty()) return badData();
        CommandResult result = ok(s.*member);
        result.blockRead = true;
        return result;
    };
}

CommandResult dataOption(ReaderState &s, const Request &r) {
    if (r.data.size() > 1) return badData();
    if (r.data.size() == 1) s.option = r.data[0];
    return ok({static_cast<std::uint8_t>(s.option)});
}

// Selector byte, then at least 6 key bytes (MIFARE 6, DESFire 16).
CommandResult writeKey(ReaderState &s, const Request &r) {
    if (r.data.size() < 7) return badData();
    s.keys[r.data[0]] = Bytes(r.data.begin() + 1, r.data.end());
    return ok();
}

CommandResult version(ReaderState &s, const Request &r) {
    return ok(versionAnswer(s.version, s.variant, r.data));
}

// The answer goes out at the old rate; the reader switches afterwards.
CommandResult setBaud(ReaderState &s, const Request &r) {
    if (r.data.size() != 1) return badData();
    auto line = lineFromRateByte(r.data[0]);
    if (!line) return badData();
    s.baud = line->baudValue();
    CommandResult result = ok();
    result.lineAfter = line;
    return result;
}

// No data: power-on mode with bit 7 as "valid". Data with bit 7: new power-on mode;
// without: new output mode.
CommandResult outputMode(ReaderState &s, const Request &r) {
    if (r.data.empty()) return ok({static_cast<std::uint8_t>(0x80 | s.powerOn)});
    if (r.data.size() != 1) return badData();
    int mode = r.data[0] & 0x7F;
    if (mode > 3) return badData();
    (r.data[0] & 0x80 ? s.powerOn : s.outputMode) = mode;
    return ok();
}

// A restart comes back in the power-on mode.
CommandResult restart(ReaderState &s, const Request &) {
    s.outputMode = 2;
    return ok();
}

CommandResult writeDeviceSettings(ReaderState &s, const Request &r) {
    if (r.data.empty()) return badData();
    s.deviceSettings = r.data;
    return ok();
}

CommandResult readDeviceSettings(ReaderState &s, const Request &r) {
    if (!r.data.empty()) return badData();
    return ok(s.deviceSettings);
}

CommandResult reset(ReaderState &s, const Request &r) {
    if (!r.data.empty()) return badData();
    factoryReset(s);
    return ok();
}

CommandResult dtrMode(ReaderState &s, const Request &r) {
    if (r.data.empty()) return ok({static_cast<std::uint8_t>(s.dtr)});
    if (r.data.size() != 1 || r.data[0] > 1) return badData();
    s.dtr = r.data[0];
    return ok();
}

CommandResult usbMode(ReaderState &s, const Request &r) {
    if (r.data.size() != 1 || r.data[0] < 1 || r.data[0] > 2) return badData();
    s.usbMode = r.data[0];
    return ok();
}

// Key-table query: the character, a spare byte, then modifier and usage (FF FF: no key).
CommandResult queryKey(ReaderState &s, const Request &r) {
    if (r.data.size() != 1) return badData();
    auto key = keyOf(s.keyTable, r.data[0]).value_or(std::make_pair(kNoKey, kNoKey));
    return ok({r.data[0], 0x00, key.first, key.second});
}

// Key-table write: character, modifier, usage. The Escape key for ESC closes a series of
// writes and changes nothing in the table.
CommandResult setKeyOfChar(ReaderState &s, const Request &r) {
    constexpr std::uint8_t kEscape = 0x1B;
    if (r.data.size() != 3) return badData();
    if (r.data[0] == kEscape) return ok();
    return setKey(s.keyTable, r.data[0], r.data[1], r.data[2]) ? ok() : badData();
}

struct CommandEntry {
    std::uint8_t code;
    Handler handler;
};

const std::vector<CommandEntry> &commandTable() {
    static const std::vector<CommandEntry> table = {
        {0x11, queryKey},
        {0x12, setKeyOfChar},
        {0x24, dataOption},
        {0x80, writeKey},
        {0x81, writeBlock(&ReaderState::data, 50)},
        {0x82, writeBlock(&ReaderState::prefix, 100)},
        {0x83, writeBlock(&ReaderState::suffix, 100)},
        {0x84, writeBlock(&ReaderState::separator, 100)},
        {0x85, writeBlock(&ReaderState::removal, 100)},
        {0x86, writeBlock(&ReaderState::parameter, 100)},
        {0x89, readBlock(&ReaderState::data)},
        {0x8A, readBlock(&ReaderState::prefix)},
        {0x8B, readBlock(&ReaderState::suffix)},
        {0x8C, readBlock(&ReaderState::separator)},
        {0x8D, readBlock(&ReaderState::removal)},
        {0x8E, readBlock(&ReaderState::parameter)},
        {0xF0, version},
        {0xF2, setBaud},
        {0xF4, outputMode},
        {0xF6, restart},
        {0xF9, writeDeviceSettings},
        {0xFA, readDeviceSettings},
        {0xFB, reset},
        {0xFE, dtrMode},
        {0xFF, usbMode},
    };
    return table;
}

}  // namespace

CommandResult execute(ReaderState &state, const Request &request) {
    for (const auto &entry : commandTable())
        if (entry.code == request.command) return entry.handler(state, request);
    return {Outcome::UnknownCommand, {}, false, std::nullopt};
}

Bytes versionAnswer(const std::string &version, int variant, const Bytes &requestData) {
    Bytes text(version.begin(), version.end());
    if (variant == 2) {
        if (requestData == Bytes{'F', 'V'}) return text;
        // Firmware "171x" answers its digit directly; any other version is fetched with "FV".
        if (text.size() == 4 && version.compare(0, 3, "171") == 0) return {0x04, 0x05, 0x31, text[3]};
        return kVersionMarker;
    }
    if (variant == 3 && text.size() == 4) {
        Bytes answer = {0x01, 0x00, 0x00, 0x00};  // firmware header, then the version, then a spare byte
        answer.insert(answer.end(), text.begin(), text.end());
        answer.push_back(0x00);
        return answer;
    }
    return text;
}

int effectiveOutputMode(const ReaderState &state) {
    if (state.outputMode != 2) return state.outputMode;
    switch (state.powerOn) {
        case 0:
            return 0;
        case 1:
            return 1;
        default:
            return 3;
    }
}

bool isReading(const ReaderState &state) {
    int mode = effectiveOutputMode(state);
    return mode == 1 || mode == 3;
}

bool isEmitting(const ReaderState &state) { return effectiveOutputMode(state) == 1; }

}  // namespace orvex::sim
