// One page of a configuration sheet: binds the widgets to its page model.
// The widgets write every edit and click into the model at once; refresh()
// copies the model's values and view state back onto the widgets.
#pragma once

#include <QWidget>
#include <string>

#include "gui/sheets/view_binding.h"

namespace orvex::gui {

class SheetPage : public QWidget {
    Q_OBJECT
public:
    SheetPage(std::string id, QWidget *parent = nullptr) : QWidget(parent), id_(std::move(id)) {}

    // The page name the sheet model uses ("parameters", "data1", "prefix", ...).
    const std::string &id() const { return id_; }

    virtual void refresh() = 0;      // model -> widgets
    virtual void retranslate() = 0;  // fixed captions of the current language
    // The sheet forwards Enter to the active page; only key-stroke pages record it.
    virtual void enterPressed() {}
    // The page became the active tab.
    virtual void activated() {}

    QWidget *control(const std::string &name) const { return binding_.control(name); }

protected:
    // True while refresh() writes into the widgets: their change signals are
    // not the person's edits.
    bool refreshing_ = false;
    ViewBinding binding_;

private:
    std::string id_;
};

// Keeps refreshing_ set for one refresh.
class RefreshScope {
public:
    explicit RefreshScope(bool &flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~RefreshScope() { flag_ = old_; }
    RefreshScope(const RefreshScope &) = delete;
    RefreshScope &operator=(const RefreshScope &) = delete;

private:
    bool &flag_;
    bool old_;
};

}  // namespace orvex::gui
