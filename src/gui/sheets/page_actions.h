// What the buttons "Funktionstest" and "Inhalt lesen" of the pages open; both
// dialogs connect by themselves and close their link again.
#pragma once

#include <QWidget>

#include "app/connect.h"

namespace orvex::gui {

void openPageFunctionTest(QWidget *parent, app::ConnectContext &ctx, app::CapabilityFlags flags);
void openPageReadContent(QWidget *parent, app::ConnectContext &ctx);

}  // namespace orvex::gui
