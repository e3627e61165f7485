#include "sheets/reader_key_table_link.h"

#include "app/string_table.h"

namespace orvex::app {
namespace {
constexpr int kLayoutDiffers = 611;
}

std::string keyTableProgressText(KeyTableStep step, int done, int total) {
    static constexpr const char *kTexts[] = {"keytable.progress.read", "keytable.progress.write",
                                             "keytable.progress.verify"};
    return StringTable::instance().format(kTexts[static_cast<int>(step)], done, total);
}

KeyTableProgress ReaderKeyTableLink::progressOrStatus() {
    if (progress) return progress;
    return [this](KeyTableStep step, int done, int total) {
        prompts_.status(keyTableProgressText(step, done, total));
    };
}

bool ReaderKeyTableLink::loadFromReader(int port, KeyTable &table) {
    const std::optional<KeyTable> reader = readReaderKeyTable(port, progressOrStatus());
    if (!reader) return false;
    table = *reader;
    if (layoutQuestion) {
        layoutQuestion(table);
        return true;
    }
    const KeyTable host = hostKeyTable();
    const int differences = countLayoutDifferences(table, host);
    if (askLayoutQuestion(differences, settings_.get(settings::ShowLayoutError) != 0) &&
        prompts_.askYesNo(StringTable::instance().format(kLayoutDiffers, differences)))
        table = host;
    return true;
}

bool ReaderKeyTableLink::writeToReader(int port, const KeyTable &table) {
    return writeReaderKeyTable(port, table, progressOrStatus());
}

}  // namespace orvex::app
