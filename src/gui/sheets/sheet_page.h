// One page of a configuration sheet: binds the widgets to its page model.
// The widgets write every edit and click into the model at once; refresh()
// copies the model's values and view state back onto the widgets.
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

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
    // A line edit bound to a text member of the page model's values: every
    // edit goes into the model at once, refreshEdits() copies the model back.
    template <typename Model, typename Values>
    QLineEdit *boundEdit(const std::string &name, Model &model, std::string Values::*member) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromStdString(name));
        binding_.add(name, e);
        connect(e, &QLineEdit::textChanged, this, [this, &model, member](const QString &text) {
            if (!refreshing_) model.values().*member = text.toStdString();
        });
        editRefreshers_.push_back([e, &model, member] { setEditText(e, model.values().*member); });
        return e;
    }
    void refreshEdits() {
        for (const auto &refresh : editRefreshers_) refresh();
    }

    // True while refresh() writes into the widgets: their change signals are
    // not the person's edits.
    bool refreshing_ = false;
    ViewBinding binding_;

private:
    std::vector<std::function<void()>> editRefreshers_;
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
