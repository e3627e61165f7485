#include "gui/app/window_lan_functions.h"

#include <QEventLoop>
#include <QTimer>

namespace orvex::gui {

app::LanFunctions windowLanFunctions() {
    app::LanFunctions lan = app::systemLanFunctions();
    lan.sleep = [](std::chrono::milliseconds pause) {
        QEventLoop loop;
        QTimer::singleShot(pause, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    };
    return lan;
}

}  // namespace orvex::gui
