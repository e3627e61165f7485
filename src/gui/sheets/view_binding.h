// Binds the controls of a page to the names its model uses: the model's view
// state (shown, enabled, checked, caption, typing limit) is copied onto the
// widgets, and a refused value puts the focus on the control it names.
#pragma once

#include <QString>
#include <QWidget>
#include <map>
#include <set>
#include <string>

#include "params/page_model.h"

class QLineEdit;

namespace orvex::gui {

class ViewBinding {
public:
    void add(const std::string &name, QWidget *widget) { controls_[name] = widget; }
    // A control whose caption is always the model's, also when it is empty
    // (info lines); other controls keep their own text for an empty caption.
    void addText(const std::string &name, QWidget *widget) {
        add(name, widget);
        alwaysCaption_.insert(name);
    }
    QWidget *control(const std::string &name) const;

    void apply(const app::ViewState &view) const;

private:
    std::map<std::string, QWidget *> controls_;
    std::set<std::string> alwaysCaption_;
};

// Sets an edit's text only when it differs, so the cursor stays where it is.
void setEditText(QLineEdit *edit, const std::string &text);
QString fromUtf8(const std::string &text);

// Activates the control a refusal names: focus, and the offending character
// (1-based position) or the whole text selected in an edit.
void focusRefusedControl(QWidget *control, int selectPosition);

}  // namespace orvex::gui
