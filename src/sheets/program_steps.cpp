#include "sheets/program_steps.h"

#include <algorithm>
#include <string_view>

#include "app/string_table.h"

namespace orvex::app {

namespace {

// Step id -> string-table name of its caption; the block steps use the
// titles of their pages so the person finds the same words on the tabs.
struct StepCaption {
    std::string_view step;
    std::string_view textName;
};
constexpr StepCaption kStepCaptions[] = {
    {"backup", "program.step.backup"},     {"prefix", "seq.prefix"},       {"data", "data.page"},
    {"parameters", "param.page"},          {"suffix", "seq.suffix"},       {"removal", "seq.removal"},
    {"separator", "seq.separator"},        {"baudRate", "param.baudRate"}, {"keys", "program.step.keys"},
    {"keyTable", "program.step.keyTable"}, {"powerOn", "param.powerOn"},   {"verify", "program.step.verify"},
};

}  // namespace

ProgramStep StepPlan::find(const std::string &what) const {
    const auto at = std::find(steps_.begin(), steps_.end(), what);
    if (at == steps_.end()) return {what, 0, count()};
    return {what, static_cast<int>(at - steps_.begin()) + 1, count()};
}

std::string programStepText(const ProgramStep &step) {
    const auto &table = StringTable::instance();
    std::string caption = step.what;
    for (const StepCaption &c : kStepCaptions)
        if (c.step == step.what) caption = table.text(c.textName);
    return table.format("program.step", caption, step.index, step.count);
}

}  // namespace orvex::app
