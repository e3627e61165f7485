#include "params/content_compare.h"

#include <array>

namespace orvex::app {

namespace {

using Block = std::optional<std::vector<std::uint8_t>> ReaderContent::*;

struct NamedBlock {
    const char *name;
    Block block;
};

// The order the sheets write in, so the first name is the first write that
// did not stick.
constexpr std::array<NamedBlock, 6> ProgrammingOrder{{
    {"Prefix", &ReaderContent::prefix},
    {"Data format", &ReaderContent::dataFormat},
    {"Parameters", &ReaderContent::parameters},
    {"Suffix", &ReaderContent::suffix},
    {"Removal", &ReaderContent::removal},
    {"Separator", &ReaderContent::separator},
}};

}  // namespace

std::vector<std::string> differingBlocks(const ReaderContent &meant, const ReaderContent &held) {
    std::vector<std::string> names;
    for (const auto &[name, block] : ProgrammingOrder) {
        const auto &want = meant.*block;
        if (!want) continue;
        if (held.*block != want) names.emplace_back(name);
    }
    return names;
}

}  // namespace orvex::app
