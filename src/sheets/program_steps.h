// Where a programming run stands: the step the sheet is in, its place and the
// number of steps, so a front end can show progress while the reader works.
#pragma once

#include <string>
#include <vector>

namespace orvex::app {

struct ProgramStep {
    std::string what;  // "prefix", "data", "parameters", ... as in SheetWrite::what
    int index = 0;     // 1-based
    int count = 0;
};

// The steps of one run in order; announcing a step looks up its place.
class StepPlan {
public:
    StepPlan() = default;
    explicit StepPlan(std::vector<std::string> steps) : steps_(std::move(steps)) {}

    const std::vector<std::string> &steps() const { return steps_; }
    int count() const { return static_cast<int>(steps_.size()); }
    // The step `what` with its place; index 0 when the plan has no such step.
    ProgramStep find(const std::string &what) const;

private:
    std::vector<std::string> steps_;
};

// "Prefix (2 von 7)" in the current language; an unknown step shows its id.
std::string programStepText(const ProgramStep &step);

}  // namespace orvex::app
