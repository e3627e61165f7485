#include "app/interface_selection.h"

#include <unistd.h>

#include <algorithm>

#include "app/settings_store.h"
#include "app/string_table.h"
#include "app/usb_mode_switch.h"
#include "base/message_ids.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {

constexpr int kRefreshRepeats = 4;  // own requests after the arrival's first refresh
constexpr int kModeSwitchWaitMs = 1000;
constexpr int kDriverPageWaitMs = 2000;

bool sameLists(const DeviceLists &a, const DeviceLists &b) {
    return a.com == b.com && a.usb == b.usb && a.lan == b.lan && a.bluetooth == b.bluetooth;
}

}  // namespace

InterfaceSelection::InterfaceSelection(SettingsStore &store, DeviceListProviders devices, Prompts &prompts,
                                       InterfaceSelectionHooks hooks)
    : store_(store), devices_(std::move(devices)), prompts_(prompts), hooks_(std::move(hooks)) {
    settings_ = loadPortSettings(store_, devices_);
    // A stored serial device that is present but not enumerated (a
    // pseudo-terminal, a by-id link) stays listed and selected: otherwise the
    // dialog would select another port and OK would silently lose the reader.
    if (settings_.kind == PortKind::Serial && settings_.name.starts_with("/dev/") &&
        access(settings_.name.c_str(), F_OK) == 0)
        storedSerialPort_ = settings_.name;
    lists_ = enumerateDevices(devices_, settings_.ethernet);
    rebuildTexts(true);
}

void InterfaceSelection::rebuildTexts(bool initial) {
    DeviceLists shown = lists_;
    if (!storedSerialPort_.empty() && !selectByPrefix(interfaceListTexts(lists_), storedSerialPort_))
        shown.com.push_back(storedSerialPort_);
    texts_ = interfaceListTexts(shown);
    selection_ = initial ? initialSelection(texts_, settings_.name) : selectByPrefix(texts_, settings_.name);
}

UsbModeRadios InterfaceSelection::usbRadios() const {
    return usbModeRadiosFor(selection_ ? settings_.name : std::string());
}

bool InterfaceSelection::refresh(int code) {
    if (refreshing_) return false;
    refreshing_ = true;
    bool changed = false;
    for (int pass = 0; pass < 2; ++pass) {
        DeviceLists fresh = enumerateDevices(devices_, settings_.ethernet);
        if (!sameLists(fresh, lists_)) {
            lists_ = std::move(fresh);
            rebuildTexts(false);
            changed = true;
        }
        if (driverChecked_) break;
        driverChecked_ = true;
        if (!driverCheck()) break;  // a shown driver message is followed by a second pass
    }

    scheduleRefresh_ = false;
    if (code == kDeviceArrival || code == kDeviceNodesChanged) {
        refreshCounter_ = 1;
        scheduleRefresh_ = true;
    } else if (code == kOwnRefreshRequest && refreshCounter_ >= 1 && refreshCounter_ <= kRefreshRepeats) {
        ++refreshCounter_;
        scheduleRefresh_ = true;
    } else {
        refreshCounter_ = 0;
    }
    refreshing_ = false;
    return changed;
}

bool InterfaceSelection::driverCheck() {
    const std::string question = driverCheckQuestion(Orvex_GetUsbDriverState());
    if (question.empty()) return false;
    if (prompts_.askYesNo(question, true)) openDriverPage();
    return true;
}

void InterfaceSelection::openDriverPage() {
    if (hooks_.openPage) hooks_.openPage(driverDownloadPage());
    if (hooks_.pause) hooks_.pause(kDriverPageWaitMs);
}

void InterfaceSelection::select(std::optional<std::size_t> index) {
    if (index && *index >= texts_.size()) index.reset();
    selection_ = index;
    if (!index) return;
    settings_.name = texts_[*index];
    settings_.kind = portKindOf(settings_.name, settings_.ethernet);
}

void InterfaceSelection::setEthernet(bool on) { settings_.ethernet = on; }

void InterfaceSelection::chooseLanAddress(const std::string &address) {
    std::string chosen = address;
    const auto bracket = chosen.find(']');
    if (bracket != std::string::npos && bracket > 0) chosen.resize(bracket + 1);
    settings_.name = std::string(LanPrefix) + chosen;
}

const std::string *InterfaceSelection::selectedText() const {
    return selection_ ? &texts_[*selection_] : nullptr;
}

bool InterfaceSelection::switchToHidMode() {
    const std::string *text = selectedText();
    if (!text || !isQelVirtualComPort(*text)) return false;
    return finishModeSwitch(switchVirtualComToHid(*text));
}

bool InterfaceSelection::switchToVirtualCom() {
    const std::string *text = selectedText();
    if (!text || !isSwitchableUsbReader(*text)) return false;
    if (Orvex_IsVirtualComDriverInstalled() != 1) {
        if (prompts_.askYesNo(virtualComDriverQuestion(), true)) openDriverPage();
        return false;
    }
    return finishModeSwitch(switchHidToVirtualCom(*text));
}

bool InterfaceSelection::finishModeSwitch(bool switched) {
    if (!switched) {
        // The reader stays where it is, so does the choice; say why nothing happened.
        prompts_.showMessage(StringTable::instance().text(msg::kNoConnection), MessageIcon::Error);
        return false;
    }
    // The port goes away while the reader restarts in its other mode.
    settings_.name.clear();
    if (hooks_.pause) hooks_.pause(kModeSwitchWaitMs);
    return true;
}

bool InterfaceSelection::accept(std::optional<LineCombos> line, int timeoutMs, int address) {
    PortSettings result = settings_;
    if (const std::string *text = selectedText()) {
        result.name = *text;
        result.kind = portKindOf(result.name, result.ethernet);
    } else {
        result.name.clear();  // nothing chosen: "Name" stays as stored
    }
    if (line) result.baudValue = baudValueFromLineCombos(*line);
    result.timeoutMs = timeoutMs;
    result.address = address;
    if (!storePortSettings(store_, result)) return false;
    settings_ = result;
    return true;
}

}  // namespace orvex::app
