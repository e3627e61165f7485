#include "app/string_table.h"

#include "app/program_files.h"
#include "app/string_file.h"
#include "app/strings_de.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvex::app {
namespace {

constexpr const char *kEnglishFileName = "OrvexReaderSetupEng.ini";

template <typename Map, typename Key>
const std::string *find(const Map &map, const Key &key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

// Drops translations whose placeholders do not match the German text.
template <typename Map>
void dropMismatchedPlaceholders(Map &english, const Map &german) {
    for (auto it = english.begin(); it != english.end();) {
        const std::string *original = find(german, it->first);
        if (original && formatSignature(*original) != formatSignature(it->second))
            it = english.erase(it);
        else
            ++it;
    }
}

}  // namespace

StringTable &StringTable::instance() {
    static StringTable table;
    return table;
}

StringTable::StringTable() {
    for (const auto &entry : germanNumberedTexts())
        german_.numbered.emplace(entry.id, std::string(entry.text));
    for (const auto &entry : germanNamedTexts())
        german_.named.emplace(std::string(entry.name), std::string(entry.text));
}

const std::string *StringTable::lookup(const Table &table, int id) const { return find(table.numbered, id); }

const std::string *StringTable::lookup(const Table &table, std::string_view name) const {
    return find(table.named, name);
}

const std::string &StringTable::text(int id) const {
    std::lock_guard lock(mutex_);
    if (language_ == Language::English && english_)
        if (const std::string *s = lookup(*english_, id)) return *s;
    if (const std::string *s = lookup(german_, id)) return *s;
    return missing_.numbered.try_emplace(id, "#" + std::to_string(id)).first->second;
}

const std::string &StringTable::text(std::string_view name) const {
    std::lock_guard lock(mutex_);
    if (language_ == Language::English && english_)
        if (const std::string *s = lookup(*english_, name)) return *s;
    if (const std::string *s = lookup(german_, name)) return *s;
    if (const std::string *s = lookup(missing_, name)) return *s;
    return missing_.named.emplace(std::string(name), "#" + std::string(name)).first->second;
}

bool StringTable::has(int id) const { return lookup(german_, id) != nullptr; }

bool StringTable::has(std::string_view name) const { return lookup(german_, name) != nullptr; }

std::string StringTable::defaultEnglishPath() {
    if (const char *overridden = std::getenv("ORVEX_ENGLISH_STRINGS"); overridden && *overridden)
        return overridden;
    return (std::filesystem::path(programDataDirectory()) / kEnglishFileName).string();
}

bool StringTable::loadEnglish(const std::string &path) {
    std::ifstream in(path.empty() ? defaultEnglishPath() : path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return false;
    auto table = std::make_unique<Table>();
    if (parseStringFile(content.str(), *table) == 0) return false;
    dropMismatchedPlaceholders(table->numbered, german_.numbered);
    dropMismatchedPlaceholders(table->named, german_.named);

    std::lock_guard lock(mutex_);
    if (english_) retired_.push_back(std::move(english_));
    english_ = std::move(table);
    language_ = Language::English;
    return true;
}

void StringTable::useGerman() {
    std::lock_guard lock(mutex_);
    language_ = Language::German;
}

Language StringTable::language() const {
    std::lock_guard lock(mutex_);
    return language_;
}

}  // namespace orvex::app
