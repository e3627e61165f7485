#include "keys/key_sequence.h"

#include "keys/key_names.h"
#include "base/keyboard_layout.h"

namespace orvex::app {

namespace {

constexpr uint8_t kTerminator = 0xFF;
constexpr uint8_t kExtendedPrefix = 0xE0;
constexpr uint8_t kBreakPrefix = 0xF0;

}  // namespace

void CharSequence::insert(int i, SequenceChar entry) {
    if (i < 0 || i > count()) return;
    entries_.insert(entries_.begin() + i, std::move(entry));
}

void CharSequence::remove(int i) {
    if (i < 0 || i >= count()) return;
    entries_.erase(entries_.begin() + i);
}

std::vector<uint8_t> CharSequence::toBlock() const {
    std::vector<uint8_t> block;
    block.reserve(entries_.size() + 1);
    for (const SequenceChar &e : entries_) block.push_back(e.code);
    block.push_back(kTerminator);
    return block;
}

BlockDecodeReport CharSequence::fromBlock(std::span<const uint8_t> block) {
    BlockDecodeReport report;
    entries_.clear();
    if (block.empty()) {
        report.terminated = false;
        return report;
    }
    report.terminated = block.back() == kTerminator;
    for (uint8_t code : block.first(block.size() - 1)) entries_.push_back(SequenceChar{code, codeName(code)});
    return report;
}

void KeySequence::remove(int i) {
    if (i < 0 || i >= count()) return;
    entries_.erase(entries_.begin() + i);
}

bool KeySequence::isExtended(uint8_t vk) { return orvex::app::isExtended(vk); }

int KeySequence::cost(const KeyEvent &entry) {
    if (!entry.down) return 0;
    return isExtended(entry.vk) ? 5 : 3;
}

int KeySequence::byteSize() const {
    int size = 0;
    for (const KeyEvent &e : entries_) size += cost(e);
    return size;
}

std::vector<uint8_t> KeySequence::toBlock() const {
    std::vector<uint8_t> block;
    for (const KeyEvent &e : entries_) {
        std::optional<uint8_t> s2 = toSet2(e.scan);
        if (!s2) continue;
        if (isExtended(e.vk)) block.push_back(kExtendedPrefix);
        if (!e.down) block.push_back(kBreakPrefix);
        block.push_back(*s2);
    }
    block.push_back(kTerminator);
    return block;
}

BlockDecodeReport KeySequence::fromBlock(std::span<const uint8_t> block) {
    BlockDecodeReport report;
    report.terminated = false;
    entries_.clear();
    bool isBreak = false, extended = false;
    size_t i = 0;
    for (; i < block.size(); ++i) {
        uint8_t byte = block[i];
        if (byte == kTerminator) {
            report.terminated = true;
            report.ignoredBytes = block.size() - i - 1;
            break;
        }
        if (byte == kBreakPrefix) {
            isBreak = true;
            continue;
        }
        if (byte == kExtendedPrefix) {
            extended = true;
            continue;
        }
        uint8_t scan = fromSet2(byte);
        if (scan == 0xFF) ++report.unknownCodes;
        uint8_t vk = normaliseVk(hostKeyboardLayout().scanToVk(scan), extended);
        entries_.push_back(KeyEvent{vk, scan, static_cast<uint8_t>(isBreak ? 0 : 1)});
        isBreak = extended = false;
    }
    report.danglingPrefix = isBreak || extended;
    return report;
}

}  // namespace orvex::app
