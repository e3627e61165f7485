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
const KindTexts &Of(SequenceKind k) { return kKinds[static_cast<std::size_t>(k)]; }
}  // namespace

std::string SequencePageTitle(SequenceKind kind) { return PageText(Of(kind).titleName, Of(kind).title); }

std::string SequenceColumnCaption(SequenceKind kind, bool keyStrokes) {
    const char *german = keyStrokes ? Of(kind).keyColumn : Of(kind).charColumn;
    return PageText(std::string(keyStrokes ? "seq.keyColumn." : "seq.charColumn.") + Of(kind).titleName,
                    german);
}

const char *SequenceSection(SequenceKind kind, bool keyStrokes) {
    return keyStrokes ? Of(kind).keySection : Of(kind).charSection;
}

}  // namespace orvex::app
