#include "gui/app/dialog_registry.h"

namespace orvex::gui {

DialogRegistry &DialogRegistry::instance() {
    static DialogRegistry registry;
    return registry;
}

}  // namespace orvex::gui
