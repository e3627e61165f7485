#include "gui/app/field_check.h"

#include "app/string_table.h"

namespace orvex::gui {

namespace {
constexpr int kNotAnInteger = 61712;
constexpr int kIntegerOutOfRange = 61714;
}  // namespace

std::optional<int> readIntField(QLineEdit *edit, int min, int max, app::Prompts &prompts) {
    bool ok = false;
    const long long value = edit->text().trimmed().toLongLong(&ok);
    const app::StringTable &st = app::StringTable::instance();
    std::string failure;
    if (!ok)
        failure = st.text(kNotAnInteger);
    else if (value < min || value > max)
        failure = st.format(kIntegerOutOfRange, min, max);
    if (failure.empty()) return int(value);
    prompts.showMessage(failure, app::MessageIcon::Warning);
    edit->setFocus();
    edit->selectAll();
    return std::nullopt;
}

}  // namespace orvex::gui
