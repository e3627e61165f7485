// The surroundings of a desktop-program test: a settings store in a scratch
// folder, scripted prompts, the connect context, optionally a simulated
// reader on a pseudo-terminal as the stored interface, and helpers that
// answer the file dialogs and send keys as a desktop would.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "app/connect.h"
#include "app/settings_store.h"
#include "common/scripted_prompts.h"
// Qt's "emit" keyword is a macro; the simulator has a field of that name.
#pragma push_macro("emit")
#undef emit
#include "sim/pty_reader.h"
#pragma pop_macro("emit")

namespace orvex::gui::test {

struct GuiFixture {
    GuiFixture()
        : settings(dir.filePath(QStringLiteral("settings.ini")).toStdString()), ctx(settings, prompts) {
        ctx.devices = {};  // nothing beyond the stored port is looked up
    }

    // A simulated reader with this version answer becomes the stored interface.
    sim::PtyReader &attach(const std::string &versionAnswer, bool wireSpeed = false) {
        sim::Options o;
        o.versionAnswer = versionAnswer;
        o.baud = 19200;
        o.wireSpeed = wireSpeed;
        reader = std::make_unique<sim::PtyReader>(o);
        settings.set(app::settings::PortName, reader->slavePath());
        settings.set(app::settings::PortBaudrate, 19200);
        return *reader;
    }

    // A link as the main frame holds it when it opens a sheet.
    struct Link {
        int handle = 0;
        int baud = 19200;
        app::CapabilityFlags flags = 0;
    };
    Link connect() {
        Link link;
        link.handle = app::connectReader(ctx, link.baud, link.flags, false);
        return link;
    }

    std::string file(const char *name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }

    QTemporaryDir dir;
    app::SettingsStore settings;
    ScriptedPrompts prompts;
    app::ConnectContext ctx;
    std::unique_ptr<sim::PtyReader> reader;
};

// What a file dialog offered before it was answered.
struct FileDialogSeen {
    QString directory;
    QStringList filters;
    bool shown = false;
};

// Answers the next file dialog with path (or cancels it for an empty path).
// The dialog lists its folder in the background, so an answer it refuses
// meanwhile is given again on the next tick.
inline void answerNextFileDialog(const QString &path, FileDialogSeen *seen = nullptr) {
    struct State {
        bool answered = false;
        QPointer<QFileDialog> dialog;
    };
    auto *timer = new QTimer(qApp);
    auto state = std::make_shared<State>();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, path, seen, state] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (state->answered && (!dialog || dialog != state->dialog)) {
            timer->stop();  // the answered dialog has closed
            timer->deleteLater();
            return;
        }
        if (!dialog) return;  // not open yet
        if (!state->answered && seen) {
            seen->shown = true;
            seen->directory = dialog->directory().absolutePath();
            seen->filters = dialog->nameFilters();
        }
        state->answered = true;
        state->dialog = dialog;
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name field, as a person does: the folder listing
        // may still be loading.
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        else
            dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);  // no check of the folder listing
    });
    timer->start(10);
}

// A key event as the X server delivers it: the keycode is the evdev code + 8.
inline void sendKey(QWidget *target, QEvent::Type type, int key, unsigned evdev,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {},
                    bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, evdev + 8, 0, 0, text, autoRepeat);
    QApplication::sendEvent(target, &event);
}
inline void tapKey(QWidget *target, int key, unsigned evdev, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                   const QString &text = {}) {
    sendKey(target, QEvent::KeyPress, key, evdev, modifiers, text);
    sendKey(target, QEvent::KeyRelease, key, evdev, modifiers, text);
}

}  // namespace orvex::gui::test
