#include "gui/sheets/view_binding.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace orvex::gui {

QString fromUtf8(const std::string &text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QWidget *ViewBinding::control(const std::string &name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

void ViewBinding::apply(const app::ViewState &view) const {
    for (const auto &[name, state] : view) {
        QWidget *w = control(name);
        if (!w) continue;
        w->setVisible(state.shown);
        w->setEnabled(state.enabled);
        const bool caption = !state.caption.empty() || alwaysCaption_.count(name);
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->isCheckable()) button->setChecked(state.checked);
            if (caption) button->setText(fromUtf8(state.caption));
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            if (caption) label->setText(fromUtf8(state.caption));
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            if (caption) group->setTitle(fromUtf8(state.caption));
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            edit->setMaxLength(state.maxLength > 0 ? state.maxLength : 32767);
            if (caption) setEditText(edit, state.caption);
        }
    }
}

void setEditText(QLineEdit *edit, const std::string &text) {
    const QString value = fromUtf8(text);
    if (edit->text() != value) edit->setText(value);
}

void focusRefusedControl(QWidget *control, int selectPosition) {
    if (!control) return;
    control->setFocus(Qt::OtherFocusReason);
    auto *edit = qobject_cast<QLineEdit *>(control);
    if (!edit) {
        if (auto *combo = qobject_cast<QComboBox *>(control)) edit = combo->lineEdit();
    }
    if (!edit) return;
    if (selectPosition > 0)
        edit->setSelection(selectPosition - 1, 1);
    else
        edit->selectAll();
}

}  // namespace orvex::gui
