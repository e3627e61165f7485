// The prefix, suffix, separator and removal sequences a reader sends around
// transponder data: character sequences for readers with a character
// interface, key-stroke sequences (PC scan codes) for keyboard-wedge readers,
// and the 0xFF-terminated blocks they are stored in on the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvex::app {

// One entry of a character sequence: the byte the reader emits and its text.
struct SequenceChar {
    uint8_t code = 0;
    std::string text;  // Windows-1252 bytes, see key_names.h

    bool operator==(const SequenceChar &) const = default;
};

// What a block decoder did with its input, so odd blocks can be reported.
struct BlockDecodeReport {
    bool terminated = true;       // the block ended with (character) / held (key) 0xFF
    size_t ignoredBytes = 0;      // bytes after the terminator that were not decoded
    size_t unknownCodes = 0;      // set-2 codes missing from the translation table
    bool danglingPrefix = false;  // the block ended after 0xE0 or 0xF0 with no code
};

class CharSequence {
public:
    // The sequence pages and the file loader keep at most this many entries.
    static constexpr int kMaxEntries = 15;

    int count() const { return static_cast<int>(entries_.size()); }
    const SequenceChar &at(int i) const { return entries_.at(static_cast<size_t>(i)); }
    // Inserts before position i; i equal to count() appends. Out of range: ignored.
    void insert(int i, SequenceChar entry);
    void remove(int i);  // out of range: ignored
    void clear() { entries_.clear(); }
    void assign(const CharSequence &other) { entries_ = other.entries_; }

    // The codes in order and one 0xFF.
    std::vector<uint8_t> toBlock() const;
    // Every byte but the last becomes an entry named by codeName. The last
    // byte is the terminator; the report says whether it was 0xFF.
    BlockDecodeReport fromBlock(std::span<const uint8_t> block);

    bool operator==(const CharSequence &) const = default;

private:
    std::vector<SequenceChar> entries_;
};

// One key press or release. vk: Windows virtual-key code (0x89 = Alt Gr);
// scan: set-1 make code 0x00-0x59 (0xFF after decoding an unknown code).
struct KeyEvent {
    uint8_t vk = 0;
    uint8_t scan = 0;
    uint8_t down = 0;  // 1 press, 0 release

    bool operator==(const KeyEvent &) const = default;
};

class KeySequence {
public:
    // The byte size a sequence may reach; the block adds its 0xFF.
    static constexpr int kMaxBytes = 31;

    int count() const { return static_cast<int>(entries_.size()); }
    const KeyEvent &at(int i) const { return entries_.at(static_cast<size_t>(i)); }
    void append(KeyEvent entry) { entries_.push_back(entry); }
    void remove(int i);  // out of range: ignored
    void clear() { entries_.clear(); }
    void assign(const KeySequence &other) { entries_ = other.entries_; }

    // Bytes a press costs with its release: 5 for an extended key, 3 else;
    // a release costs nothing (it is counted with its press).
    static int cost(const KeyEvent &entry);
    // Sum of cost over all entries.
    int byteSize() const;
    // True when entry may be appended without passing kMaxBytes.
    bool fits(const KeyEvent &entry) const { return byteSize() + cost(entry) <= kMaxBytes; }

    static bool isExtended(uint8_t vk);

    // The set-2 scan codes the reader sends (0xE0 prefix for extended keys,
    // 0xF0 for releases), then 0xFF. An entry whose scan code has no set-2
    // code (only a decoded unknown code has one) is left out.
    std::vector<uint8_t> toBlock() const;
    // Decodes up to the first 0xFF (or the end); virtual keys come from the
    // host layout, normalised by the extended prefix.
    BlockDecodeReport fromBlock(std::span<const uint8_t> block);

    bool operator==(const KeySequence &) const = default;

private:
    std::vector<KeyEvent> entries_;
};

}  // namespace orvex::app
