// The progress bar of key-table transfers with a USB keyboard reader: a
// window-modal progress dialog that appears when a step takes a moment and
// closes at its end.
#pragma once

#include <QPointer>
#include <QProgressDialog>

#include "params/key_table_transfer.h"

namespace orvex::gui {

class KeyTableProgress {
public:
    explicit KeyTableProgress(QWidget *parent) : parent_(parent) {}

    // The callback for the transfer functions; it keeps the windows painted.
    app::KeyTableProgress callback();

    // The dialog of the running step (null between transfers), for tests and pictures.
    QProgressDialog *dialog() const { return dialog_; }

private:
    void show(app::KeyTableStep step, int done, int total);

    QWidget *parent_;
    QPointer<QProgressDialog> dialog_;
};

}  // namespace orvex::gui
