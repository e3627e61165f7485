#include "app/bluetooth_connect_model.h"

#include "app/settings_store.h"
#include "app/string_table.h"

namespace orvex::app {

namespace {
constexpr int kConnecting = 511;  // "Verbindung mit %s aufbauen ... "
constexpr int kConnectError = 512;
constexpr int kDone = 514;
constexpr int kSearching = 515;
constexpr int kSearchCaption = 550;
constexpr int kConnectCaption = 563;
}  // namespace

BluetoothConnectModel::BluetoothConnectModel(SettingsStore &settings, int handle)
    : settings_(settings), handle_(handle), chosen_(rememberedReader(settings)) {
    caption_ = chosen_ ? kConnectCaption : kSearchCaption;
    if (chosen_) {
        list_ = {chosen_->name};
        selected_ = 0;
    }
}

bool BluetoothConnectModel::press(const std::function<void()> &show) {
    log_.clear();
    if (!chosen_ && selected_ >= 0) {
        // The last of the found devices with that name.
        for (const BtDevice &d : found_)
            if (d.name == list_[static_cast<std::size_t>(selected_)]) chosen_ = d;
    }
    if (chosen_) {
        if (connectChosen(show)) return true;
    }
    search(show);
    return false;
}

bool BluetoothConnectModel::connectChosen(const std::function<void()> &show) {
    const auto &strings = StringTable::instance();
    log_ += strings.format(kConnecting, chosen_->name);
    show();
    const int error = connectBtDevice(handle_, chosen_->address);
    if (error == 0) {
        rememberReader(settings_, *chosen_);
        log_ += strings.text(kDone);
        show();
        return true;
    }
    log_ += "\n" + strings.format(kConnectError, error);
    show();
    chosen_.reset();  // for this dialog only; the settings keep it until a connect succeeds
    caption_ = kSearchCaption;
    return false;
}

void BluetoothConnectModel::search(const std::function<void()> &show) {
    const auto &strings = StringTable::instance();
    log_ += strings.text(kSearching);
    list_.clear();
    selected_ = -1;
    show();
    found_ = searchBtDevices(handle_, kBtSearchSeconds, kRecordCapacity).value_or(std::vector<BtDevice>{});
    for (const BtDevice &d : found_)
        if (isListedReaderName(d.name)) list_.push_back(d.name);
    log_ += strings.text(kDone);
    if (list_.empty()) {
        caption_ = kSearchCaption;
    } else {
        selected_ = 0;
        caption_ = kConnectCaption;
    }
    show();
}

}  // namespace orvex::app
