#include "base/ini_file.h"

#include "base/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvex::app {

namespace {

constexpr size_t kMaxErrorText = 200;

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A written name or value must stay on its line: a line break inside it would
// split one entry into several on the next read.
std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n') out.push_back(c);
    return out;
}

std::string folded(std::string_view name) {
    std::string out(name);
    for (char &c : out) c = foldAscii(c);
    return out;
}

}  // namespace

void IniSection::append(std::string key, std::string value, bool isVerbatim) {
    if (indexed) lastEntry[folded(key)] = keys.size();
    keys.push_back(std::move(key));
    values.push_back(std::move(value));
    verbatim.push_back(isVerbatim);
}

void IniSection::clear() {
    keys.clear();
    values.clear();
    verbatim.clear();
    lastEntry.clear();
    indexed = false;
}

int IniSection::lastIndexOf(const std::string &foldedKey) const {
    if (!indexed) {
        lastEntry.reserve(keys.size());
        for (size_t i = 0; i < keys.size(); ++i) lastEntry[folded(keys[i])] = i;
        indexed = true;
    }
    auto it = lastEntry.find(foldedKey);
    return it == lastEntry.end() ? -1 : static_cast<int>(it->second);
}

int parseDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() &&
           (isBlank(text[i]) || text[i] == '\n' || text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

IniFile::~IniFile() { close(); }

IniFile::IniFile(IniFile &&other) noexcept { *this = std::move(other); }

IniFile &IniFile::operator=(IniFile &&other) noexcept {
    if (this == &other) return *this;
    close();
    sections_ = std::move(other.sections_);
    currentSection_ = other.currentSection_;
    path_ = std::move(other.path_);
    ignoreCase_ = other.ignoreCase_;
    writeBack_ = other.writeBack_;
    modified_ = other.modified_;
    endsMidLine_ = other.endsMidLine_;
    sizeLimit_ = other.sizeLimit_;
    errorText_ = std::move(other.errorText_);
    other.reset();
    other.path_.clear();
    other.writeBack_ = false;
    return *this;
}

void IniFile::reset() {
    sections_.assign(1, IniSection{});
    currentSection_ = 0;
    modified_ = false;
    endsMidLine_ = false;
}

void IniFile::setError(std::string text) {
    if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
    errorText_ = std::move(text);
}

bool IniFile::open(const std::string &path, bool writable, bool create, bool ignoreCase) {
    close();
    errorText_.clear();
    ignoreCase_ = ignoreCase;

    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT || !create) {
            setError(path + ": " + std::strerror(errno));
            return false;
        }
        // Created on the first rewrite; until then the content is empty.
        path_ = path;
        writeBack_ = writable;
        return true;
    }
    struct stat st {};
    errno = 0;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Directories, FIFOs and devices are no configuration files (a FIFO
        // would block the reading forever).
        int err = S_ISDIR(st.st_mode) ? EISDIR : (errno ? errno : EINVAL);
        ::close(fd);
        setError(path + ": " + std::strerror(err));
        return false;
    }
    if (sizeLimit_ != 0 && static_cast<std::size_t>(st.st_size) > sizeLimit_) {
        ::close(fd);
        setError(path + ": " + std::strerror(EFBIG) + " (" + std::to_string(st.st_size) + " bytes, at most " +
                 std::to_string(sizeLimit_) + ")");
        return false;
    }
    if (writable && access(path.c_str(), W_OK) != 0) {
        int err = errno;
        ::close(fd);
        setError(path + ": " + std::strerror(err));
        return false;
    }

    std::string text;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            setError(path + ": " + std::strerror(errno));
            break;
        }
        if (n == 0) break;
        text.append(buf, static_cast<size_t>(n));
        if (sizeLimit_ != 0 && text.size() > sizeLimit_) {  // grew after the check
            ::close(fd);
            setError(path + ": " + std::strerror(EFBIG));
            return false;
        }
    }
    ::close(fd);

    parseText(text);
    path_ = path;
    writeBack_ = writable;
    return true;
}

bool IniFile::parseText(std::string_view text) {
    reset();
    // Editors that save UTF-8 may put a byte order mark first; it would
    // otherwise hide the first section header.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    endsMidLine_ = !text.empty() && text.back() != '\n' && text.back() != '\r';
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;

        while (!line.empty() && (line.back() == '\t' || line.back() == '\r' || line.back() == '\n'))
            line.remove_suffix(1);
        if (line.empty()) continue;

        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.emplace_back().name = line.substr(1, line.size() - 2);
            currentSection_ = static_cast<int>(sections_.size()) - 1;
            continue;
        }

        IniSection &section = sections_.back();
        size_t eq = line.find('=');
        if (line.front() == ';' || eq == std::string_view::npos) {
            section.append(std::string(line), {}, true);
            continue;
        }
        std::string_view key = line.substr(0, eq);
        while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
        std::string_view value = line.substr(eq + 1);
        while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
        section.append(std::string(key), std::string(value), false);
    }
    return true;
}

bool IniFile::sameName(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    if (!ignoreCase_) return a == b;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

int IniFile::findSection(std::string_view name) const {
    for (size_t i = 0; i < sections_.size(); ++i)
        if (sameName(sections_[i].name, name)) return static_cast<int>(i);
    return -1;
}

int IniFile::findKey(const IniSection &section, std::string_view key) const {
    if (ignoreCase_) return section.lastIndexOf(folded(key));
    for (size_t i = section.keys.size(); i-- > 0;)
        if (sameName(section.keys[i], key)) return static_cast<int>(i);
    return -1;
}

bool IniFile::hasSection(std::string_view section) const { return findSection(section) >= 0; }

void IniFile::clearSection(std::string_view section) {
    for (IniSection &sec : sections_) {
        if (sec.name.empty() || !sameName(sec.name, section) || sec.keys.empty()) continue;
        sec.clear();
        modified_ = true;
    }
}

void IniFile::removeSection(std::string_view section) {
    const auto before = sections_.size();
    for (size_t i = sections_.size(); i-- > 1;)
        if (sameName(sections_[i].name, section)) sections_.erase(sections_.begin() + static_cast<long>(i));
    if (sections_.size() == before) return;
    currentSection_ = static_cast<int>(sections_.size()) - 1;
    modified_ = true;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    int s = findSection(section);
    return s >= 0 && findKey(sections_[s], key) >= 0;
}

std::string IniFile::getString(std::string_view section, std::string_view key, std::string_view def) const {
    int s = findSection(section);
    if (s < 0) return std::string(def);
    int k = findKey(sections_[s], key);
    if (k < 0) return std::string(def);
    return sections_[s].values[k];
}

int IniFile::getInt(std::string_view section, std::string_view key, int def) const {
    std::string text = getString(section, key, {});
    return text.empty() ? def : parseDecimal(text);
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string name = oneLine(section);
    const std::string keyText = oneLine(key);
    std::string valueText = oneLine(value);

    int s = findSection(name);
    if (s < 0) {
        sections_.emplace_back().name = name;
        s = currentSection_ = static_cast<int>(sections_.size()) - 1;
        modified_ = true;
    }
    IniSection &sec = sections_[s];
    int k = findKey(sec, keyText);
    if (k < 0) {
        sec.append(keyText, std::move(valueText), false);
        modified_ = true;
        return;
    }
    // Values are compared exactly: a change of letter case is a change that
    // must reach the file.
    if (sec.verbatim[k] || sec.values[k] != valueText) {
        sec.values[k] = std::move(valueText);
        sec.verbatim[k] = false;
        modified_ = true;
    }
}

void IniFile::writeInt(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

std::string IniFile::serialize() const {
    std::string out;
    for (size_t i = 0; i < sections_.size(); ++i) {
        const IniSection &sec = sections_[i];
        // Every section after the first gets its header, even with an empty
        // name: without it its keys would join the section before on reading.
        if (i > 0) out += "[" + sec.name + "]\r\n";
        for (size_t k = 0; k < sec.keys.size(); ++k) {
            out += sec.keys[k];
            if (!sec.verbatim[k]) {
                out += '=';
                out += sec.values[k];
            }
            out += "\r\n";
        }
    }
    // A first line that starts with the byte order mark's bytes would be
    // taken for a mark when read again; an empty line before it keeps it.
    if (out.starts_with("\xEF\xBB\xBF")) out.insert(0, "\r\n");
    return out;
}

bool IniFile::flush() {
    if (!writeBack_ || !modified_ || path_.empty()) return true;
    std::string error;
    if (!writeFileAtomically(path_, serialize(), error)) {
        setError(error);
        return false;
    }
    modified_ = false;
    return true;
}

bool IniFile::close() {
    bool ok = flush();
    reset();
    path_.clear();
    writeBack_ = false;
    return ok;
}

ProfileFile::ProfileFile(const std::string &path) { ok_ = open(path, true, true, true); }

}  // namespace orvex::app
