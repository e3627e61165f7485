// Prompts for tests of liborvexapp: messages and questions are recorded and
// answered from a script (No, Cancel and no file when the script runs out).
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/prompts.h"

namespace orvex::app::test {

class ScriptedPrompts : public Prompts {
public:
    void showMessage(const std::string &text, MessageIcon) override { messages.push_back(text); }
    bool askYesNo(const std::string &text, bool) override {
        questions.push_back(text);
        return next(answers).value_or(false);
    }
    bool askRetry(const std::string &text, const std::string &caption) override {
        messages.push_back(caption + "|" + text);
        return next(retries).value_or(false);
    }
    std::optional<std::string> chooseOpenFile(const std::string &, const std::string &,
                                              const std::string &folder) override {
        folders.push_back(folder);
        return next(files).value_or(std::nullopt);
    }
    std::optional<std::string> chooseSaveFile(const std::string &, const std::string &,
                                              const std::string &folder, const std::string &) override {
        folders.push_back(folder);
        return next(files).value_or(std::nullopt);
    }

    std::vector<std::string> messages, questions, folders;
    std::deque<bool> answers, retries;
    std::deque<std::optional<std::string>> files;

private:
    template <typename T>
    static std::optional<T> next(std::deque<T> &script) {
        if (script.empty()) return std::nullopt;
        T next = std::move(script.front());
        script.pop_front();
        return next;
    }
};

}  // namespace orvex::app::test
