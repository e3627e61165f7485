// The reader list of the IP address search ("IP-Adressen"): every device that
// answers the discovery, the maker's readers marked, merged from the filtered
// and the unfiltered search.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/lan_functions.h"
#include "app/prompts.h"

namespace orvex::app {

enum LanItemValue { LanMakerReader = 1, LanOtherDevice = 2 };

struct LanListItem {
    std::string text;
    int value = LanOtherDevice;
    bool operator==(const LanListItem &) const = default;
};

// The maker's readers (value 1), then every entry of the unfiltered search:
// one whose key (the entry, or its "[name]" prefix) is already listed
// (case-insensitively) replaces that item's text and marks it a maker's
// reader; any other is appended as another device (value 2).
std::vector<LanListItem> mergeLanSearch(const std::vector<std::string> &makerReaders,
                                        const std::vector<std::string> &allDevices);

// The search dialog without its window.
class LanSearchModel {
public:
    LanSearchModel(LanFunctions lan, Prompts &prompts) : lan_(std::move(lan)), prompts_(prompts) {}

    // Searches both ways and rebuilds the list. When nothing answers the
    // person is asked to retry (10131, caption 10129); false when they cancel
    // (the dialog closes).
    bool refresh();
    const std::vector<LanListItem> &items() const { return items_; }

    // "IP-Adresse ändern" is enabled only with a selection.
    bool canChange(std::optional<std::size_t> selected) const {
        return selected && *selected < items_.size();
    }
    // Runs the settings dialog on the selected item (it returns whether it
    // ended with OK); after a change the list is searched again 300 ms later.
    // False when that search found nothing and the person cancelled.
    bool change(std::size_t selected, const std::function<bool(const std::string &address)> &lanConfigDialog);
    // "Schliessen": the chosen address, only a maker's reader can be chosen.
    std::optional<std::string> close(std::optional<std::size_t> selected) const;

private:
    LanFunctions lan_;
    Prompts &prompts_;
    std::vector<LanListItem> items_;
};

}  // namespace orvex::app
