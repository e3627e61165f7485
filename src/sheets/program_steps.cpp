#include "sheets/program_steps.h"

#include <algorithm>

#include "app/string_table.h"
#include "params/content_compare.h"

namespace orvex::app {

ProgramStep StepPlan::find(const std::string &what) const {
    const auto at = std::find(steps_.begin(), steps_.end(), what);
    if (at == steps_.end()) return {what, 0, count()};
    return {what, static_cast<int>(at - steps_.begin()) + 1, count()};
}

std::string programStepText(const ProgramStep &step) {
    // The step by the same name as in the messages about written parts.
    return StringTable::instance().format("program.step", partName(step.what), step.index, step.count);
}

}  // namespace orvex::app
