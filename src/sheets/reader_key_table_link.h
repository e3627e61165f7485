// The key-table link the sheets use by default: the reader's table over its
// HID channel, the layout question when it differs from the host's layout,
// progress of the transfers.
#pragma once

#include <functional>

#include "app/prompts.h"
#include "app/settings_store.h"
#include "params/key_table_transfer.h"
#include "sheets/hid_key_layout.h"

namespace orvex::app {

class ReaderKeyTableLink final : public HidKeyTableLink {
public:
    ReaderKeyTableLink(SettingsStore &settings, Prompts &prompts) : settings_(settings), prompts_(prompts) {}

    // Shows the transfers' progress; unset: the step texts go to the status line.
    KeyTableProgress progress;
    // Asks whether to take the host's layout when the reader's differs (and
    // the warning is on); unset: the Yes/No question 611.
    std::function<void(KeyTable &table)> layoutQuestion;

    bool loadFromReader(int port, KeyTable &table) override;
    bool writeToReader(int port, const KeyTable &table) override;

private:
    KeyTableProgress progressOrStatus();

    SettingsStore &settings_;
    Prompts &prompts_;
};

// The text of a progress step: "Tastenbelegung lesen: 47 von 94" and so on.
std::string keyTableProgressText(KeyTableStep step, int done, int total);

}  // namespace orvex::app
