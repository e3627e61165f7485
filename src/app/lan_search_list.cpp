#include "app/lan_search_list.h"

#include <algorithm>
#include <cctype>

#include "app/string_table.h"

namespace orvex::app {
namespace {

constexpr int kTextNoDevices = 10131;
constexpr int kCaptionDeviceList = 10129;
constexpr std::chrono::milliseconds kSettleAfterChange{300};

bool sameText(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A reader on DHCP is listed by the filtered search as "[name]" and by the
// unfiltered one as "[name]a.b.c.d-port": the bracket part is the key.
std::string keyOf(const std::string &entry) {
    if (!entry.empty() && entry.front() == '[') {
        auto close = entry.find(']');
        if (close != std::string::npos) return entry.substr(0, close + 1);
    }
    return entry;
}

}  // namespace

std::vector<LanListItem> mergeLanSearch(const std::vector<std::string> &makerReaders,
                                        const std::vector<std::string> &allDevices) {
    std::vector<LanListItem> items;
    for (const std::string &entry : makerReaders) items.push_back({entry, LanMakerReader});
    for (const std::string &entry : allDevices) {
        const std::string key = keyOf(entry);
        auto listed = std::find_if(items.begin(), items.end(),
                                   [&](const LanListItem &item) { return sameText(item.text, key); });
        if (listed == items.end())
            items.push_back({entry, LanOtherDevice});
        else
            *listed = {entry, LanMakerReader};
    }
    return items;
}

bool LanSearchModel::refresh() {
    for (;;) {
        {
            BusyScope busy(prompts_);
            items_.clear();
            items_ = mergeLanSearch(lan_.searchMaker ? lan_.searchMaker() : std::vector<std::string>{},
                                    lan_.searchAll ? lan_.searchAll() : std::vector<std::string>{});
        }
        if (!items_.empty()) return true;
        const auto &table = StringTable::instance();
        if (!prompts_.askRetry(table.text(kTextNoDevices), table.text(kCaptionDeviceList))) return false;
    }
}

bool LanSearchModel::change(std::size_t selected,
                            const std::function<bool(const std::string &address)> &lanConfigDialog) {
    if (!canChange(selected) || !lanConfigDialog(items_[selected].text)) return true;
    if (lan_.sleep) lan_.sleep(kSettleAfterChange);
    return refresh();
}

std::optional<std::string> LanSearchModel::close(std::optional<std::size_t> selected) const {
    if (!canChange(selected) || items_[*selected].value != LanMakerReader) return std::nullopt;
    return items_[*selected].text;
}

}  // namespace orvex::app
