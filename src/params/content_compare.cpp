#include "params/content_compare.h"

#include <algorithm>
#include <array>

#include "app/string_table.h"

namespace orvex::app {

namespace {

using Block = std::optional<std::vector<std::uint8_t>> ReaderContent::*;

struct NamedBlock {
    const char *name;  // in messages of the command line's report
    const char *what;  // the write's name
    Block block;
};

// The order the sheets write in, so the first name is the first write that
// did not stick.
constexpr std::array<NamedBlock, 6> ProgrammingOrder{{
    {"Prefix", "prefix", &ReaderContent::prefix},
    {"Data format", "data", &ReaderContent::dataFormat},
    {"Parameters", "parameters", &ReaderContent::parameters},
    {"Suffix", "suffix", &ReaderContent::suffix},
    {"Removal", "removal", &ReaderContent::removal},
    {"Separator", "separator", &ReaderContent::separator},
}};

}  // namespace

std::vector<std::string> differingBlocks(const ReaderContent &meant, const ReaderContent &held) {
    std::vector<std::string> names;
    for (const auto &[name, what, block] : ProgrammingOrder) {
        const auto &want = meant.*block;
        if (!want) continue;
        if (held.*block != want) names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> differingParts(const ReaderImage &meant, const ReaderImage &held,
                                        bool readableOnly) {
    std::vector<std::string> whats;
    for (const auto &[name, what, block] : ProgrammingOrder) {
        const auto &want = meant.blocks.*block;
        if (want && held.blocks.*block != want) whats.emplace_back(what);
    }
    for (const ReaderSetting &want : meant.settings) {
        const auto has = std::find(held.settings.begin(), held.settings.end(), want);
        if (has == held.settings.end()) whats.push_back(want.what);
    }
    if (!readableOnly) whats.insert(whats.end(), meant.writeOnly.begin(), meant.writeOnly.end());
    return whats;
}

std::string partName(const std::string &what) {
    const std::string id = "part." + what;
    return StringTable::instance().has(id) ? text(id) : what;
}

std::string partNames(const std::vector<std::string> &whats) {
    std::string out;
    for (const auto &what : whats) out += (out.empty() ? "" : ", ") + partName(what);
    return out;
}

}  // namespace orvex::app
