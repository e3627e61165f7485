// Shared vocabulary of the page models: what a page tells its widgets about
// each control, and how it reports the first value it refuses.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvex::app {

// What one control looks like. A widget copies these; it decides nothing.
struct ControlState {
    bool shown = true;
    bool enabled = true;
    bool checked = false;
    std::string caption;  // empty: the control keeps its own text
    int maxLength = 0;    // edits: characters the user may type, 0 = no limit
};

// Controls by their stable name (the names are listed in each page's header).
using ViewState = std::map<std::string, ControlState>;

// The first value a page refuses: the message (string-table number and its
// arguments), the control that gets the focus and, for message 552, the
// 1-based position of the character to select in that control.
struct ValidationFailure {
    int messageId = 0;
    std::vector<std::string> args;
    std::string field;
    int selectPosition = 0;

    // The message in the current language with its arguments inserted.
    std::string text() const;
    bool operator==(const ValidationFailure &) const = default;
};

using Validation = std::optional<ValidationFailure>;

// A message text with its %1..%9 placeholders replaced by args (the form of
// the standard messages).
std::string insertArguments(const std::string &pattern, const std::vector<std::string> &args);

// Standard data-exchange messages.
inline constexpr int MsgEnterInteger = 61712;    // "Geben Sie eine ganze Zahl ein."
inline constexpr int MsgEnterNumber = 61713;     // "Geben Sie eine Zahl ein."
inline constexpr int MsgIntegerBetween = 61714;  // "... ganze Zahl zwischen %1 und %2 ein."
inline constexpr int MsgNumberBetween = 61715;   // "... Zahl zwischen %1 und %2 ein."

// Reads an integer edit the way the dialog data exchange does: optional
// blanks, optional sign, digits, trailing blanks; nothing else.
std::optional<long> parseIntegerText(const std::string &text);
// A decimal number edit (digits with an optional "." or "," fraction).
std::optional<double> parseNumberText(const std::string &text);
// Leading-digits conversion: "12ab" -> 12, "" -> 0 (block and ID texts).
long leadingDecimal(const std::string &text);

// Checks of one integer edit: parse (61712), then the range (61714).
Validation checkIntegerField(const std::string &field, const std::string &text, long min, long max,
                             long *value = nullptr);

}  // namespace orvex::app
