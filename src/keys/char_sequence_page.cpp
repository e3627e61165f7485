#include "keys/char_sequence_page.h"

#include <cctype>
#include <cstdio>

#include "base/cp1252.h"
#include "keys/key_names.h"

namespace orvex::app {

namespace {

bool hexValue(char c, int &v) {
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else
        return false;
    return true;
}

bool sameIgnoringCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::string charListText(const SequenceChar &entry) {
    char head[16];
    std::snprintf(head, sizeof head, "%02X H     ", entry.code);
    return head + cp1252ToUtf8(entry.text);
}

void CharSequencePage::setInput(const std::string &text, int listPosition) {
    inputText_ = text;
    inputListPos_ = listPosition;
    inputSelected_ = false;
}

void CharSequencePage::selectItem(int item) { selected_ = item >= 0 && item < seq_.count() ? item : -1; }

std::optional<PageMessage> CharSequencePage::insertCharacter() {
    const int p = selected_;
    SequenceChar entry;
    if (inputListPos_ >= 0 && inputListPos_ < kInputListSize) {
        entry.code = static_cast<uint8_t>(inputListPos_);
        entry.text = utf8ToCp1252(inputText_);
    } else {
        // Typed text, as Windows-1252 bytes.
        const std::string t = utf8ToCp1252(inputText_);
        int hi = 0, lo = 0;
        if (t.size() == 1) {
            entry.code = static_cast<uint8_t>(t[0]);
            entry.text = entry.code == 0x20 ? std::string("SP") : t;
            scrollPos_ = entry.code;
        } else if (t.size() == 2 && hexValue(t[0], hi) && hexValue(t[1], lo)) {
            entry.code = static_cast<uint8_t>(hi * 16 + lo);
            entry.text = codeName(entry.code);
        } else {
            int found = -1;
            for (int code = 0; code < kInputListSize && found < 0; ++code)
                if (sameIgnoringCase(t, inputListText(static_cast<uint8_t>(code)))) found = code;
            if (found < 0) return PageMessage{529};
            entry.code = static_cast<uint8_t>(found);
            entry.text = inputListText(entry.code);
            scrollPos_ = found;
        }
    }
    inputSelected_ = true;
    if (seq_.count() >= kMaxEntries) return PageMessage{530};
    seq_.insert(p >= 0 ? p : seq_.count(), entry);
    modified_ = true;
    selected_ = p;
    return std::nullopt;
}

std::optional<PageMessage> CharSequencePage::deleteCharacter() {
    if (selected_ < 0) return PageMessage{528};
    seq_.remove(selected_);
    selectItem(selected_);
    inputText_.clear();
    inputListPos_ = -1;
    modified_ = true;
    return std::nullopt;
}

void CharSequencePage::clearPage() {
    seq_.clear();
    selected_ = -1;
    modified_ = true;
}

void CharSequencePage::moveUp() {
    const int p = selected_;
    if (p <= 0) return;
    SequenceChar e = seq_.at(p);
    seq_.remove(p);
    seq_.insert(p - 1, e);
    selected_ = p - 1;
    modified_ = true;
}

void CharSequencePage::moveDown() {
    const int p = selected_;
    if (p < 0 || p >= seq_.count() - 1) return;
    SequenceChar e = seq_.at(p);
    seq_.remove(p);
    seq_.insert(p + 1, e);
    selected_ = p + 1;
    modified_ = true;
}

void CharSequencePage::setSequence(const CharSequence &sequence) {
    seq_.assign(sequence);
    selected_ = -1;
}

std::vector<std::string> CharSequencePage::rebuildList() const {
    std::vector<std::string> items;
    for (int i = 0; i < seq_.count(); ++i) items.push_back(charListText(seq_.at(i)));
    return items;
}

}  // namespace orvex::app
