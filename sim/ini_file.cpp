#include "sim/ini_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace orvex::sim {
namespace {

std::string trim(const std::string &s) {
    const char *blanks = " \t\r\n";
    auto first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

}  // namespace

std::optional<IniFile> IniFile::parse(const std::string &text, std::string *error) {
    IniFile ini;
    std::istringstream in(text);
    std::string line;
    Section *current = nullptr;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[' && t.back() == ']') {
            std::string name = trim(t.substr(1, t.size() - 2));
            current = ini.find(name);
            if (!current) {
                ini.sections_.push_back({name, {}});
                current = &ini.sections_.back();
            }
            continue;
        }
        auto eq = t.find('=');
        if (eq == std::string::npos || !current) {
            if (error) *error = "line " + std::to_string(number) + ": " + t;
            return std::nullopt;
        }
        ini.set(current->name, trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
        current = ini.find(current->name);  // set() may have grown the vector
    }
    return ini;
}

std::optional<std::string> IniFile::get(const std::string &section, const std::string &key) const {
    if (const Section *s = find(section))
        for (const auto &[k, v] : s->entries)
            if (k == key) return v;
    return std::nullopt;
}

void IniFile::set(const std::string &section, const std::string &key, const std::string &value) {
    Section *s = find(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    for (auto &[k, v] : s->entries)
        if (k == key) {
            v = value;
            return;
        }
    s->entries.emplace_back(key, value);
}

std::vector<std::string> IniFile::keys(const std::string &section) const {
    std::vector<std::string> out;
    if (const Section *s = find(section))
        for (const auto &entry : s->entries) out.push_back(entry.first);
    return out;
}

std::string IniFile::toText() const {
    std::string out;
    for (const auto &s : sections_) {
        if (!out.empty()) out += "\n";
        out += "[" + s.name + "]\n";
        for (const auto &[k, v] : s.entries) out += k + "=" + v + "\n";
    }
    return out;
}

std::optional<IniFile> IniFile::load(const std::string &path, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string why;
    auto ini = parse(text.str(), &why);
    if (!ini && error) *error = path + ": " + why;
    return ini;
}

bool IniFile::saveAtomically(const std::string &path, std::string *error) const {
    static std::atomic<unsigned> counter{0};
    std::string temp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
    std::string text = toText();
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        if (error) *error = path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
    }
    return ok;
}

IniFile::Section *IniFile::find(const std::string &name) {
    for (auto &s : sections_)
        if (s.name == name) return &s;
    return nullptr;
}

const IniFile::Section *IniFile::find(const std::string &name) const {
    for (const auto &s : sections_)
        if (s.name == name) return &s;
    return nullptr;
}

}  // namespace orvex::sim
