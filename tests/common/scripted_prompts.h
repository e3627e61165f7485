// Prompts for widget tests: the real busy state of the desktop program, but
// messages and questions are recorded and answered from a script, so no
// message box ever blocks a test.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "gui/app/qt_prompts.h"

namespace orvex::gui::test {

class ScriptedPrompts : public QtPrompts {
public:
    using QtPrompts::QtPrompts;

    void showMessage(const std::string &text, app::MessageIcon icon) override {
        messages.push_back(text);
        icons.push_back(icon);
    }
    bool askYesNoWith(app::MessageIcon icon, const std::string &text, bool defaultYes) override {
        questions.push_back(text);
        icons.push_back(icon);
        defaults.push_back(defaultYes);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    bool askRetry(const std::string &text, const std::string &caption) override {
        return askYesNoWith(app::MessageIcon::Warning, caption + "\n\n" + text, true);
    }

    void beginBusy() override {
        ++busyEntered;
        QtPrompts::beginBusy();
    }

    int busyEntered = 0;
    std::vector<std::string> messages, questions;
    std::vector<app::MessageIcon> icons;
    std::vector<bool> defaults;
    std::deque<bool> answers;
};

}  // namespace orvex::gui::test
