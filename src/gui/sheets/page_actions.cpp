#include "gui/sheets/page_actions.h"

#include "gui/keys/function_test_dialog.h"
#include "gui/params/read_content_dialog.h"

namespace orvex::gui {

void openPageFunctionTest(QWidget *parent, app::ConnectContext &ctx, app::CapabilityFlags flags) {
    openFunctionTest(parent, ctx, flags);
}

void openPageReadContent(QWidget *parent, app::ConnectContext &ctx) {
    // No link is handed over: the dialog connects at 19200 baud by itself.
    ReadContentDialog dialog(parent, ctx, 0, 19200, 0);
    dialog.exec();
    dialog.closeReader();
}

}  // namespace orvex::gui
