// Texts of the desktop program: every visible text comes from the string
// table, so a language switch reaches menus, dialogs and messages alike.
#pragma once

#include <QString>

#include "app/string_table.h"

namespace orvex::gui {

inline QString uiText(int id) { return QString::fromStdString(app::StringTable::instance().text(id)); }

inline QString uiText(const char *name) {
    return QString::fromStdString(app::StringTable::instance().text(std::string_view(name)));
}

// A prompt string holds the status-bar text, a line feed and the tooltip.
inline QString promptStatus(int id) { return uiText(id).section(QLatin1Char('\n'), 0, 0); }
inline QString promptTooltip(int id) { return uiText(id).section(QLatin1Char('\n'), 1); }

// Message texts keep their CR LF line ends in the table; a message box wants LF.
inline QString messageText(const std::string &text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace orvex::gui
