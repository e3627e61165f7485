// The SDK's LAN functions for the LAN windows: the same calls, but the waits
// between them keep the window painted (the progress bar moves) and take no
// input.
#pragma once

#include "app/lan_functions.h"

namespace orvex::gui {

app::LanFunctions windowLanFunctions();

}  // namespace orvex::gui
