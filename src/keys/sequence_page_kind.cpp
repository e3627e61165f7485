#include "keys/sequence_page_kind.h"

#include <array>

#include "params/page_text.h"

namespace orvex::app {

namespace {
struct KindTexts {
    const char *titleName, *title;
    const char *charColumn, *keyColumn;
    const char *charSection, *keySection;
};
// By SequenceKind.
constexpr std::array<KindTexts, 4> kKinds{{
    {"seq.prefix", "Prefix", "Prefix", "Prefix code", "Prefix", "Prefix"},
    {"seq.suffix", "Suffix", "Suffix Code", "Suffix code", "Suffix", "Suffix"},
    {"seq.separator", "Block Trenner", "Trenner code", "Trenner code", "Termix", "Termix"},
    {"seq.removal", "Abziehen", "Abziehen", "Abziehen code", "Abziehen", "Ende"},
}};
const KindTexts &of(SequenceKind k) { return kKinds[static_cast<std::size_t>(k)]; }
}  // namespace

std::string sequencePageTitle(SequenceKind kind) { return pageText(of(kind).titleName, of(kind).title); }

std::string sequenceColumnCaption(SequenceKind kind, bool keyStrokes) {
    const char *german = keyStrokes ? of(kind).keyColumn : of(kind).charColumn;
    return pageText(std::string(keyStrokes ? "seq.keyColumn." : "seq.charColumn.") + of(kind).titleName,
                    german);
}

const char *sequenceSection(SequenceKind kind, bool keyStrokes) {
    return keyStrokes ? of(kind).keySection : of(kind).charSection;
}

}  // namespace orvex::app
