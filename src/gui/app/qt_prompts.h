// Prompts for the desktop program: message boxes, file dialogs and the busy
// state (wait cursor, main window disabled). Tests derive from it and answer
// the questions themselves, so nothing blocks.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "app/prompts.h"

namespace orvex::gui {

class QtPrompts : public app::Prompts {
public:
    explicit QtPrompts(QWidget *mainWindow = nullptr);

    void setMainWindow(QWidget *mainWindow) { mainWindow_ = mainWindow; }
    QWidget *mainWindow() const { return mainWindow_; }

    void showMessage(const std::string &text, app::MessageIcon icon) override;
    bool askYesNo(const std::string &text, bool defaultYes = true) override;
    bool askYesNoWith(app::MessageIcon icon, const std::string &text, bool defaultYes) override;
    bool askRetry(const std::string &text, const std::string &caption) override;
    std::optional<std::string> chooseOpenFile(const std::string &title, const std::string &filter,
                                              const std::string &folder) override;
    std::optional<std::string> chooseSaveFile(const std::string &title, const std::string &filter,
                                              const std::string &folder,
                                              const std::string &suggestedName) override;
    void beginBusy() override;
    void endBusy() override;
    void status(const std::string &text) override;

    int busyDepth() const { return busyDepth_; }

protected:
    // The window a message box belongs to: the open modal dialog, else the main window.
    QWidget *messageParent() const;

private:
    QPointer<QWidget> mainWindow_;
    int busyDepth_ = 0;
    bool wasEnabled_ = true;
};

QMessageBox::Icon toQtIcon(app::MessageIcon icon);

}  // namespace orvex::gui
