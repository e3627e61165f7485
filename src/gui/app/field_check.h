// The standard checks when a dialog reads its edits: an integer that does
// not parse gives message 61712, one outside its range 61714 with the
// bounds; the offending edit gets the focus.
#pragma once

#include <QLineEdit>
#include <optional>

#include "app/prompts.h"

namespace orvex::gui {

std::optional<int> readIntField(QLineEdit *edit, int min, int max, app::Prompts &prompts);

}  // namespace orvex::gui
