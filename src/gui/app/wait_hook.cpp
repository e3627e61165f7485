#include "gui/app/wait_hook.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "orvex/orvex.h"

namespace orvex::gui {

namespace {

bool g_inside = false;

void processPaintEvents(void *) {
    if (g_inside) return;
    g_inside = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    g_inside = false;
}

}  // namespace

void installReaderWaitHook() { Orvex_SetWaitHook(&processPaintEvents, nullptr); }

void removeReaderWaitHook() { Orvex_SetWaitHook(nullptr, nullptr); }

bool insideReaderWait() { return g_inside; }

}  // namespace orvex::gui
