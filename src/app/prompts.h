// How flows of liborvexapp talk to the person: the desktop program implements
// this with message boxes and file dialogs, orvexctl with flags and stderr,
// tests with a scripted fake.
#pragma once

#include <optional>
#include <string>

namespace orvex::app {

enum class MessageIcon { Information, Warning, Error, Question };

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box with one OK button. text is UTF-8, already formatted.
    virtual void showMessage(const std::string &text, MessageIcon icon) = 0;

    // A Yes/No question; true for Yes. defaultYes names the default button.
    virtual bool askYesNo(const std::string &text, bool defaultYes = true) = 0;

    // The same question with a chosen icon (a warning before destructive
    // steps); front ends without icons answer it like askYesNo.
    virtual bool askYesNoWith(MessageIcon icon, const std::string &text, bool defaultYes) {
        (void)icon;
        return askYesNo(text, defaultYes);
    }

    // A Retry/Cancel message box with a caption; true for Retry.
    virtual bool askRetry(const std::string &text, const std::string &caption) {
        return askYesNo(caption + "\n\n" + text, true);
    }

    // File choosers; nullopt when the person cancels. filter is a list of
    // "Description (*.ext)" entries separated by ";;".
    virtual std::optional<std::string> chooseOpenFile(const std::string &title, const std::string &filter,
                                                      const std::string &folder) = 0;
    virtual std::optional<std::string> chooseSaveFile(const std::string &title, const std::string &filter,
                                                      const std::string &folder,
                                                      const std::string &suggestedName) = 0;

    // Busy state: wait cursor, main window disabled. Calls nest.
    virtual void beginBusy() {}
    virtual void endBusy() {}

    // A short text for the status line (progress of long work).
    virtual void status(const std::string &text) { (void)text; }
};

// Prompts of a front end without windows: it has no file chooser (files come
// from the command line), so choosing one is always cancelled.
class WindowlessPrompts : public Prompts {
public:
    std::optional<std::string> chooseOpenFile(const std::string &, const std::string &,
                                              const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> chooseSaveFile(const std::string &, const std::string &, const std::string &,
                                              const std::string &) override {
        return std::nullopt;
    }
};

// Keeps the busy state for one scope; restored on every exit path.
class BusyScope {
public:
    explicit BusyScope(Prompts &prompts) : prompts_(prompts) { prompts_.beginBusy(); }
    ~BusyScope() { prompts_.endBusy(); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    Prompts &prompts_;
};

}  // namespace orvex::app
